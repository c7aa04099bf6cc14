// What the ktr-cli lab tests share: the fixture, simulator arguments and the program's JSON
// output.
#pragma once

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
