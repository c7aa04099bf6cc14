// The subcommands of ktr-cli, each run to its exit code. Results go to standard output, messages
// to standard error.
#pragma once

#include <chrono>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"

#include "tools/cli/search.h"

namespace ktr::cli {

// Options every subcommand takes.
struct GlobalOptions
{
    bool trace = false;
    std::optional<std::uint32_t> interfaceAddress; // --interface: send on this address only
};

struct SearchOptions
{
    std::chrono::milliseconds wait = kDefaultSearchWait;
    bool json = false;
};

int RunSearch(const GlobalOptions &global, const SearchOptions &options);

struct DeviceOptions
{
    MacAddress mac{};
    bool json = false;
};
int RunGet(const GlobalOptions &global, const DeviceOptions &options);
int RunExport(const GlobalOptions &global, const DeviceOptions &options);

struct SetOptions
{
    MacAddress mac{};
    std::vector<std::string> assignments; // FIELD=VALUE
    std::string file;                     // --file: a JSON object of fields
    bool dryRun = false;
};
int RunSet(const GlobalOptions &global, const SetOptions &options);

struct ApplyOptions
{
    std::string planFile;
    std::optional<int> parallel; // --parallel; without it see ParallelDevices
    std::chrono::milliseconds searchWait = kDefaultSearchWait;
    bool dryRun = false;
    bool json = false;
};
int RunApply(const GlobalOptions &global, const ApplyOptions &options);

int RunMac(const GlobalOptions &global, const MacAddress &mac, const MacAddress &newMac);

struct ResetOptions
{
    MacAddress mac{};
    bool yes = false;
};
int RunReset(const GlobalOptions &global, const ResetOptions &options);

// Opens the session for a command; on failure says why on standard error and gives the exit
// code.
[[nodiscard]] Status<int> OpenSession(Session &session, const GlobalOptions &global);
// Reads a JSON file; the error says which file and where.
[[nodiscard]] Result<nlohmann::ordered_json, std::string> ReadJsonFile(const std::string &path);

} // namespace ktr::cli
