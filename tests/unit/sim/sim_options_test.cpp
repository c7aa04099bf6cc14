// ktr-sim's command line and device sets.
#include <gtest/gtest.h>

#include "tools/sim/sim_options.h"

namespace ktr {
namespace {

ParsedSimOptions Parse(std::vector<std::string_view> args)
{
    return ParseSimOptions(args);
}

TEST(SimOptions, FullCommandLine)
{
    const auto parsed =
        Parse({"--devices", "1000", "--ip", "10.1.2.250", "--mac", "00-0e-eb-00-00-fe",
               "--firmware", "288", "--unicast", "--restart-ms", "200"});
    ASSERT_TRUE(parsed) << parsed.error();
    const FleetOptions &f = parsed->fleet;
    EXPECT_EQ(f.devices, 1000u);
    EXPECT_EQ(f.firstIp, 0x0A0102FAu);
    EXPECT_EQ(f.firstMac, (MacAddress{0x00, 0x0E, 0xEB, 0x00, 0x00, 0xFE}));
    EXPECT_EQ(f.firmware, 288);
    EXPECT_EQ(f.restart, std::chrono::milliseconds(200));
    EXPECT_TRUE(f.unicast.contains(0) && f.unicast.contains(999));
    EXPECT_FALSE(parsed->help);
    EXPECT_FALSE(parsed->quiet);
    EXPECT_TRUE(Parse({"--quiet", "--devices", "5"})->quiet);
}

TEST(SimOptions, MixedDeliveryAndDelayAlone)
{
    const auto parsed = Parse({"--unicast-every", "3", "--delay-ms", "250"});
    ASSERT_TRUE(parsed) << parsed.error();
    const FleetOptions &f = parsed->fleet;
    EXPECT_TRUE(f.unicast.contains(0));
    EXPECT_FALSE(f.unicast.contains(1));
    EXPECT_TRUE(f.unicast.contains(6));
    EXPECT_TRUE(f.delay.contains(5)) << "--delay-ms alone delays every device";
    EXPECT_EQ(f.delayBy, std::chrono::milliseconds(250));
    EXPECT_TRUE(f.drop.empty());
}

TEST(SimOptions, DelayForChosenDevicesOnly)
{
    const auto parsed = Parse({"--delay-ms", "250", "--delay", "2"});
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_TRUE(parsed->fleet.delay.contains(2));
    EXPECT_FALSE(parsed->fleet.delay.contains(0));
}

TEST(SimOptions, IgnoreWritesTakesASet)
{
    const auto parsed = Parse({"--devices", "3", "--ignore-writes", "1-2"});
    ASSERT_TRUE(parsed) << parsed.error();
    const DeviceSet &set = parsed->fleet.ignoreWrites;
    EXPECT_FALSE(set.contains(0));
    EXPECT_TRUE(set.contains(1) && set.contains(2));
    EXPECT_FALSE(Parse({"--ignore-writes"}));
    EXPECT_FALSE(Parse({"--ignore-writes", "x"}));
}

TEST(SimOptions, HelpNamesEveryOption)
{
    const auto parsed = Parse({"--help"});
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->help);
    const std::string help = SimHelpText();
    for (const char *option :
         {"--devices", "--ip", "--mac", "--firmware", "--restart-ms", "--unicast ",
          "--unicast-every", "--unicast-devices", "--drop", "--delay ", "--delay-ms", "--duplicate",
          "--bad-crc", "--short-reply", "--wrong-mac", "--ignore-writes", "--quiet", "--version",
          "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(SimOptions, VersionIsAskedForWithoutOtherEffect)
{
    const auto parsed = Parse({"--devices", "3", "--version"});
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->version);
    EXPECT_FALSE(parsed->help);
    EXPECT_FALSE(Parse({})->version);
}

struct BadCommandLine
{
    const char *name;
    std::vector<std::string_view> args;
};

void PrintTo(const BadCommandLine &c, std::ostream *os)
{
    *os << c.name;
}

class SimOptionsRejects : public ::testing::TestWithParam<BadCommandLine>
{
};

TEST_P(SimOptionsRejects, WithAMessage)
{
    const auto parsed = Parse(GetParam().args);
    EXPECT_FALSE(parsed);
    EXPECT_FALSE(parsed.error().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimOptionsRejects,
    ::testing::Values(
        BadCommandLine{"Unknown", {"--colour"}}, BadCommandLine{"MissingValue", {"--devices"}},
        BadCommandLine{"NoDevices", {"--devices", "0"}},
        BadCommandLine{"TooManyDevices", {"--devices", "100001"}},
        BadCommandLine{"NotANumber", {"--devices", "3x"}},
        BadCommandLine{"ThreePartIp", {"--ip", "1.2.3"}},
        BadCommandLine{"OctetTooBig", {"--ip", "1.2.3.256"}},
        BadCommandLine{"FivePartIp", {"--ip", "1.2.3.4.5"}},
        BadCommandLine{"EmptyOctet", {"--ip", "1..3.4"}},
        BadCommandLine{"ColonMac", {"--mac", "00:0E:EB:00:00:01"}},
        BadCommandLine{"MacWithTail", {"--mac", "00-0E-EB-00-00-01-02"}},
        BadCommandLine{"FirmwareTooBig", {"--firmware", "65536"}},
        BadCommandLine{"NegativeRestart", {"--restart-ms", "-1"}},
        BadCommandLine{"BackwardRange", {"--drop", "5-2"}},
        BadCommandLine{"EveryZeroth", {"--duplicate", "%0"}},
        BadCommandLine{"EmptyListPart", {"--bad-crc", "1,,2"}},
        BadCommandLine{"UnicastEveryZero", {"--unicast-every", "0"}},
        BadCommandLine{"IpsPastTheEnd", {"--ip", "255.255.255.255", "--devices", "2"}},
        BadCommandLine{"MacsPastTheEnd", {"--mac", "FF-FF-FF-FF-FF-FF", "--devices", "2"}}),
    [](const auto &info) { return std::string(info.param.name); });

struct SetCase
{
    const char *name;
    const char *text;
    std::vector<std::size_t> in;
    std::vector<std::size_t> out;
};

void PrintTo(const SetCase &c, std::ostream *os)
{
    *os << c.name;
}

class DeviceSetParse : public ::testing::TestWithParam<SetCase>
{
};

TEST_P(DeviceSetParse, Membership)
{
    const auto set = DeviceSet::parse(GetParam().text);
    ASSERT_TRUE(set);
    for (std::size_t k : GetParam().in)
        EXPECT_TRUE(set->contains(k)) << k;
    for (std::size_t k : GetParam().out)
        EXPECT_FALSE(set->contains(k)) << k;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceSetParse,
    ::testing::Values(SetCase{"All", "all", {0, 1, 99999}, {}}, SetCase{"One", "3", {3}, {0, 2, 4}},
                      SetCase{"ListWithRange", "0,2,5-7", {0, 2, 5, 6, 7}, {1, 3, 4, 8}},
                      SetCase{"EveryFourth", "%4", {0, 4, 8}, {1, 3, 5}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(OffsetMac, CarriesIntoHigherBytes)
{
    EXPECT_EQ(OffsetMac({0x00, 0x0E, 0xEB, 0x00, 0x00, 0xFF}, 1),
              (MacAddress{0x00, 0x0E, 0xEB, 0x00, 0x01, 0x00}));
    EXPECT_EQ(OffsetMac({0x00, 0x0E, 0xEB, 0xFF, 0xFF, 0xFE}, 999),
              (MacAddress{0x00, 0x0E, 0xEC, 0x00, 0x03, 0xE5}));
}

} // namespace
} // namespace ktr
