// Decimal, dotted-address and float reading of typed text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ops/text_convert.h"

namespace ktr {
namespace {

struct DottedCase
{
    const char *text;
    std::uint32_t value;
    const char *shown;
};

class DottedAddressTest : public ::testing::TestWithParam<DottedCase>
{
};

TEST_P(DottedAddressTest, ParsesAndShowsBack)
{
    EXPECT_EQ(ParseDottedAddress(GetParam().text), GetParam().value);
    EXPECT_EQ(FormatDottedAddress(GetParam().value), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Table, DottedAddressTest,
                         ::testing::Values(DottedCase{"192.168.0.9", 0xC0A80009, "192.168.0.9"},
                                           DottedCase{"1.2.3", 0x00010203, "0.1.2.3"},
                                           DottedCase{"1.2.3.4.5", 0x02030405, "2.3.4.5"},
                                           DottedCase{"10.0.0.256", 0x0A000100, "10.0.1.0"},
                                           DottedCase{"", 0, "0.0.0.0"},
                                           DottedCase{"255.255.255.255", 0xFFFFFFFF,
                                                      "255.255.255.255"}));

TEST(DottedAddressTest, NonDigitsCountTheirByteValueMinus48)
{
    // 'a' is 97: the part becomes 49; a blank (32) gives 32 - 48, wrapping.
    EXPECT_EQ(ParseDottedAddress("a"), 49u);
    EXPECT_EQ(ParseDottedAddress(" "), static_cast<std::uint32_t>(32 - 48));
    // A UTF-8 byte above 127 is taken as its unsigned value.
    EXPECT_EQ(ParseDottedAddress("\xC3"), 0xC3u - 48u);
}

struct DecimalCase
{
    const char *text;
    std::int32_t value;
};

class ReadDecimalTest : public ::testing::TestWithParam<DecimalCase>
{
};

TEST_P(ReadDecimalTest, ReadsWithWrap)
{
    EXPECT_EQ(ReadDecimal(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadDecimalTest,
    ::testing::Values(DecimalCase{"", 0}, DecimalCase{"abc", 0}, DecimalCase{"80x", 80},
                      DecimalCase{"  +12", 12}, DecimalCase{"-1", -1}, DecimalCase{"65536", 65536},
                      DecimalCase{"70000", 70000}, DecimalCase{"- 5", 0},
                      DecimalCase{"2147483647", 2147483647},
                      DecimalCase{"2147483648", -2147483647 - 1}, DecimalCase{"4294967296", 0},
                      DecimalCase{"4294967297", 1},
                      DecimalCase{"99999999999999999999", static_cast<std::int32_t>(1661992959)},
                      DecimalCase{"１２", 0}));

TEST(PortConversionTest, LowSixteenBitsOfTheDecimal)
{
    auto port = [](const char *text) {
        return static_cast<std::uint16_t>(ReadDecimal(text));
    };
    EXPECT_EQ(port("65536"), 0);
    EXPECT_EQ(port("-1"), 65535);
    EXPECT_EQ(port("80x"), 80);
    EXPECT_EQ(port(""), 0);
    EXPECT_EQ(port("70000"), 4464);
}

TEST(HexDigitTest, ValuesAndCharacters)
{
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    for (char c : std::string("gG:-/ @`\x80"))
        EXPECT_EQ(HexDigitValue(c), 0xFF) << int(c);
    for (std::uint8_t v = 0; v < 16; ++v)
        EXPECT_EQ(HexDigitValue(HexDigitChar(v)), v);
    EXPECT_EQ(HexDigitChar(10), 'A');
    EXPECT_EQ(HexDigitChar(0x1F), 'F');
}

struct FloatCase
{
    const char *text;
    double value;
};

class ReadLeadingFloatTest : public ::testing::TestWithParam<FloatCase>
{
};

TEST_P(ReadLeadingFloatTest, ReadsTheLeadingDecimalNumber)
{
    EXPECT_DOUBLE_EQ(ReadLeadingFloat(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadLeadingFloatTest,
    ::testing::Values(FloatCase{"99.9", 99.9}, FloatCase{"  -0.5", -0.5}, FloatCase{"+3", 3},
                      FloatCase{".5", 0.5}, FloatCase{"5.", 5}, FloatCase{"1e2", 100},
                      FloatCase{"1e", 1}, FloatCase{"1e+", 1}, FloatCase{"12abc", 12},
                      FloatCase{"", 0}, FloatCase{"-", 0}, FloatCase{".", 0}, FloatCase{"abc", 0},
                      FloatCase{"nan", 0}, FloatCase{"inf", 0}, FloatCase{"-infinity", 0},
                      FloatCase{"0x10", 0}, FloatCase{"1,5", 1}, FloatCase{"1e300", 1e300},
                      FloatCase{"1e-400", 0},
                      FloatCase{"0.00000000000000000000000000000000000000000000000000000000000"
                                "0000000000000000000000000000000000000000000000000000000000000"
                                "0000000000000000000000000000000000000000000000000000000000000"
                                "0000000000000000000000000000000000000000000000000000000000000"
                                "0000000000000000000000000000000000000000000000000000000000000"
                                "00000000000000000000000000000000000000000000000000000000001",
                                0}));

TEST(ReadLeadingFloatTest, BeyondTheDoubleRangeIsAnInfinityOfTheRightSign)
{
    EXPECT_EQ(ReadLeadingFloat("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadLeadingFloat("-1e99999999999999999999"),
              -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadLeadingFloat(std::string(400, '9')), std::numeric_limits<double>::infinity());
}

} // namespace
} // namespace ktr
