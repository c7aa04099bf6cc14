// MAC address text: the device list's twelve digits and the typed dash form.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ops/mac_text.h"

namespace ktr {
namespace {

constexpr MacAddress k57{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x57};

TEST(MacTextTest, FormatsBothForms)
{
    EXPECT_EQ(FormatMacPlain({0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56}), "000EEB123456");
    EXPECT_EQ(FormatMacDashed({0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56}), "00-0E-EB-12-34-56");
    EXPECT_EQ(FormatMacDashed({0xFF, 0xAB, 0, 0, 0, 1}), "FF-AB-00-00-00-01");
}

TEST(MacTextTest, PlainFormReadsPairsWhileTheyLast)
{
    EXPECT_EQ(ParseMacPlain("000EEB123456"), (MacAddress{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56}));
    EXPECT_EQ(ParseMacPlain("0A0B0"), (MacAddress{0x0A, 0x0B, 0, 0, 0, 0}));
    EXPECT_EQ(ParseMacPlain(""), MacAddress{});
    EXPECT_EQ(ParseMacPlain("000EEB12345678"), (MacAddress{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56}));
}

struct DashedCase
{
    const char *name;
    const char *text;
    std::optional<MacAddress> mac;
};

class DashedMacTest : public ::testing::TestWithParam<DashedCase>
{
};

TEST_P(DashedMacTest, AcceptsOnlyTheExactForm)
{
    EXPECT_EQ(ParseMacDashed(GetParam().text), GetParam().mac);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DashedMacTest,
    ::testing::Values(DashedCase{"startup_text", "00-0E-EB-00-00-00",
                                 MacAddress{0x00, 0x0E, 0xEB, 0, 0, 0}},
                      DashedCase{"lower_case", "00-0e-eb-12-34-57", k57},
                      DashedCase{"trailing_text", "00-0E-EB-12-34-57-99", k57},
                      DashedCase{"colon", "00:0E:EB:12:34:57", std::nullopt},
                      DashedCase{"blank", "00-0E-EB 12-34-57", std::nullopt},
                      DashedCase{"twelve_digits", "000EEB123457", std::nullopt},
                      DashedCase{"sixteen_chars", "00-0E-EB-12-34-5", std::nullopt},
                      DashedCase{"letter_g", "00-0E-EB-12-3G-57", std::nullopt},
                      DashedCase{"empty", "", std::nullopt},
                      DashedCase{"single_digit_groups", "0-E-EB-12-34-57-0", std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace ktr
