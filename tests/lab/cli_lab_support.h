// What the ktr-cli lab tests share: the fixture, simulator arguments and the program's JSON
// output.
#pragma once

#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/lab/support/cli_process.h"
#include "tests/lab/support/lab_sockets.h"
#include "tests/lab/support/sim_process.h"

namespace ktr {

inline std::vector<std::string> Sim(int devices, const std::string &ip, const std::string &mac,
                                    std::vector<std::string> extra = {})
{
    std::vector<std::string> args{"--devices", std::to_string(devices), "--ip", ip, "--mac", mac};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

inline nlohmann::json ParseJson(const CliRun &run)
{
    const nlohmann::json parsed = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << run.out << run.err;
    return parsed;
}

// One JSON document per line (apply --json).
inline std::vector<nlohmann::json> ParseJsonLines(const std::string &text)
{
    std::vector<nlohmann::json> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(nlohmann::json::parse(text.substr(start, end - start), nullptr, false));
    return lines;
}

// A file in the test's temporary folder holding the text; its path.
inline std::string WriteFile(const std::string &name, const std::string &text)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

// Writes the simulated devices took (answered lines; "ignored" ones changed nothing).
inline std::size_t TakenWrites(const SimProcess &sim)
{
    std::size_t count = 0;
    for (const std::string &line : sim.lines()) {
        const bool write = line.find("write-network") != std::string::npos ||
                           line.find("tunnel write") != std::string::npos ||
                           line.find("write-mac") != std::string::npos ||
                           line.find("factory-reset") != std::string::npos;
        if (write && line.find(" -> ") != std::string::npos &&
            line.find("ignored") == std::string::npos)
            ++count;
    }
    return count;
}

// The ktr-cli tests broadcast: they run only in the lab's PC namespace.
class CliLab : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!InLabPc())
            GTEST_SKIP() << "not in the lab's PC namespace";
    }
    SimProcess sim_;
};

} // namespace ktr
