// UTF-8 <-> code page 936 conversion of the texts the device stores.
#include <gtest/gtest.h>

#include "ops/ansi_text.h"

namespace ktr {
namespace {

TEST(AnsiTextTest, ChineseTextRoundTripsAsTwoBytesPerCharacter)
{
    const std::string address = "服务器.例子";
    const std::string ansi = Utf8ToAnsi(address);
    EXPECT_EQ(ansi.size(), 11u); // five characters of two bytes and one dot
    EXPECT_EQ(static_cast<unsigned char>(ansi[0]), 0xB7); // 服 is B7 FE in code page 936
    EXPECT_EQ(static_cast<unsigned char>(ansi[1]), 0xFE);
    EXPECT_EQ(AnsiToUtf8(ansi), address);
}

TEST(AnsiTextTest, AsciiPassesUnchanged)
{
    EXPECT_EQ(Utf8ToAnsi("192.168.0.166"), "192.168.0.166");
    EXPECT_EQ(AnsiToUtf8("host-1"), "host-1");
    EXPECT_EQ(Utf8ToAnsi(""), "");
}

TEST(AnsiTextTest, UnmappableCharactersBecomeQuestionMarksAndTheRestSurvives)
{
    EXPECT_EQ(Utf8ToAnsi("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToAnsi("x\xFFy"), "x?y");
}

TEST(AnsiTextTest, BrokenDeviceBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(AnsiToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(AnsiToUtf8("\xFF"
                         "b"),
              "\xEF\xBF\xBD"
              "b");
    // A lead byte whose second byte is no trail byte: only the lead byte is lost.
    EXPECT_EQ(AnsiToUtf8("\x81"
                         " x"),
              "\xEF\xBF\xBD"
              " x");
    EXPECT_EQ(AnsiToUtf8("\x80"
                         "1"),
              "€1");
}

} // namespace
} // namespace ktr
