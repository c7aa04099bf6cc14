// What ktr-cli prints: aligned tables with Chinese headings, search JSON, trace lines.
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

#include "ops/form_fields.h"
#include "ops/text_convert.h"
#include "tools/cli/frame_trace.h"
#include "tools/cli/search_report.h"
#include "tools/cli/text_table.h"

namespace ktr::cli {
namespace {

TEST(TextTableTest, ChineseCharactersTakeTwoColumns)
{
    EXPECT_EQ(DisplayWidth("设备IP"), 6u);
    EXPECT_EQ(DisplayWidth("00-0E"), 5u);
    EXPECT_EQ(DisplayWidth("ｘ"), 2u); // full-width form
    EXPECT_EQ(DisplayWidth("é"), 1u);
    EXPECT_EQ(FormatTable({{"设备IP", "接口"}, {"1.2.3.4", "a"}, {"10.20.30.40", "b, c"}}),
              "设备IP       接口\n"
              "1.2.3.4      a\n"
              "10.20.30.40  b, c\n");
}

TEST(TextTableTest, ShortRowsAndAnEmptyTable)
{
    EXPECT_EQ(FormatTable({}), "");
    EXPECT_EQ(FormatTable({{"a", "b"}, {"ccc"}}), "a    b\nccc\n");
}

FoundDevice Device(const char *ip, std::uint8_t macLast, std::vector<std::uint32_t> heardOn)
{
    FoundDevice d;
    d.reply.ip = ParseDottedAddress(ip);
    d.reply.mac = {0x00, 0x0E, 0xEB, 0x00, 0x00, macLast};
    d.reply.firmware = 288;
    d.heardOn = std::move(heardOn);
    return d;
}

TEST(SearchReportTest, TableAndJsonListTheSameDevicesInOrder)
{
    const std::vector<FoundDevice> devices{
        Device("192.168.0.9", 0xA1, {0x0A4D010Au}),
        Device("192.168.0.10", 0x02, {0x0A4D010Au, 0x0A4D020Au})};
    EXPECT_EQ(SearchTable(devices), "设备IP        MAC地址            固件版本  接口\n"
                                    "192.168.0.9   00-0E-EB-00-00-A1  288       10.77.1.10\n"
                                    "192.168.0.10  00-0E-EB-00-00-02  288       10.77.1.10, "
                                    "10.77.2.10\n");
    EXPECT_EQ(SearchJson(devices, 0).dump(),
              R"({"devices":[{"ip":"192.168.0.9","mac":"00-0E-EB-00-00-A1","firmware":288,)"
              R"("interfaces":["10.77.1.10"]},)"
              R"({"ip":"192.168.0.10","mac":"00-0E-EB-00-00-02","firmware":288,)"
              R"("interfaces":["10.77.1.10","10.77.2.10"]}],"dropped":0})");
    // Replies the system dropped are counted beside the devices heard, even when none was.
    EXPECT_EQ(SearchJson({}, 4169).dump(), R"({"devices":[],"dropped":4169})");
}

TEST(FrameTraceTest, TimestampIsTheUtcTimeOfDayInMilliseconds)
{
    using namespace std::chrono;
    const system_clock::time_point at{days(20000) + hours(7) + minutes(5) + seconds(9) +
                                      milliseconds(42)};
    EXPECT_EQ(TraceTimestamp(at), "07:05:09.042");
    EXPECT_EQ(TraceTimestamp(system_clock::time_point{days(1) - milliseconds(1)}), "23:59:59.999");
}

TEST(FrameTraceTest, LinesNameDirectionAddressesMeaningAndBytes)
{
    EXPECT_EQ(TraceLine(true, EncodeSearchRequest(), "10.77.1.10 -> 255.255.255.255"),
              "发送 10.77.1.10 -> 255.255.255.255  搜索请求  [5] AA 00 01 02 02");
    const MacAddress mac{0, 0x0E, 0xEB, 0, 0, 1};
    EXPECT_EQ(TraceLine(false, EncodeReply(kCmdFactoryReset, mac), "10.77.1.2"),
              "接收 10.77.1.2  恢复出厂设置应答 MAC 00-0E-EB-00-00-01  [11] 55 00 07 06 00 0E EB "
              "00 00 01 00");
}

// The manual's field table is the one place the keys are documented: it must name them all, with
// the digit of a server or channel written N.
TEST(ManualTest, FieldTableNamesEveryKeyWithItsLabel)
{
    std::ifstream in(KTR_MAN_PAGE);
    ASSERT_TRUE(in) << KTR_MAN_PAGE;
    const std::string manual((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    const auto generic = [](std::string text) {
        text = std::regex_replace(text, std::regex("(server|channel|服务器)[1-8]"), "$1N");
        return std::regex_replace(text, std::regex("^[1-8]号"), "N号");
    };
    auto check = [&](const auto &fields) {
        for (const auto &field : fields) {
            const std::string line = generic(field.key) + "\t" + generic(field.label);
            EXPECT_NE(manual.find("\n" + line + "\t"), std::string::npos) << line;
        }
    };
    check(NetworkFields());
    check(DeviceFields());
}

} // namespace
} // namespace ktr::cli
