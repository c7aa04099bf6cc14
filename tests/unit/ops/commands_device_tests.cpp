// The device page: reading the application settings, the write's checks and conversions.
#include <gtest/gtest.h>

#include "tests/unit/ops/fakes.h"

namespace ktr::test {
namespace {

// Offsets in the write request: the tunnel frame starts at 10.
constexpr std::size_t kFrameAt = 10;

Bytes Slice(const Bytes &bytes, std::size_t at, std::size_t count)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
}

// A device's read reply carrying the 92 body bytes, with a good CRC unless told otherwise.
Bytes DeviceReply(const Bytes &body, std::uint8_t command = 0x0A, bool goodCrc = true)
{
    Bytes frame = Concat({Hex("7E 10"), body});
    std::uint16_t crc = Crc16(frame);
    if (!goodCrc)
        crc ^= 0x0100;
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return Concat({Bytes{0x55, 0x00, 0x60, command}, Hex("00 0E EB 12 34 56"), frame, Hex("00")});
}

Bytes BodyOf(const DeviceBlock &block)
{
    const DeviceBody body = EncodeDeviceBody(block);
    return Bytes(body.begin(), body.end());
}

class DeviceCommands : public ::testing::Test
{
protected:
    // The replies below come from this device, as if it had been double-clicked and its
    // network settings read. Tests of the requests themselves reset it to the all-zero start
    // value.
    DeviceCommands()
    {
        h.state.SelectedDeviceMac = {0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};
        h.state.pageDeviceMac = h.state.SelectedDeviceMac;
    }
    void read(const DeviceBlock &block) { Answer(h, DeviceReply(BodyOf(block))); }
    // A write after a read of the device's current block, with the page edited by `edit`.
    template <typename Edit>
    Bytes writeAfterRead(Edit edit)
    {
        read(DefaultPageDeviceBlock());
        edit(page());
        OnWriteDeviceBlock(h.ui);
        return h.shell.sent.empty() ? Bytes{} : h.shell.sent.back();
    }
    FakeDevicePage &page() { return h.devicePage; }

    Harness h;
};

TEST_F(DeviceCommands, ReadRequestCarriesTheReadFunction)
{
    h.state.SelectedDeviceMac = {};
    OnReadDeviceBlock(h.ui);
    ASSERT_EQ(h.shell.sent.size(), 1u);
    EXPECT_EQ(h.shell.sent[0], Hex("AA 00 0B 0A 00 00 00 00 00 00 7E 10 21 DC 95"));
    EXPECT_EQ(h.shell.area(), "读取设备参数...\r\n");
}

TEST_F(DeviceCommands, WriteBeforeAnyReadIsRefusedWithANotice)
{
    h.state.messageText.appendLine("读取设备参数...");
    const DeviceBlock store = h.state.deviceBlock;
    OnWriteDeviceBlock(h.ui);
    EXPECT_TRUE(h.shell.sent.empty());
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].caption, "提示");
    EXPECT_EQ(h.shell.boxes[0].text, "请先执行\"读取设备参数\"操作;然后进行数据修改后再配置");
    EXPECT_EQ(h.shell.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(h.state.messageText.text(), "读取设备参数...\r\n");
    EXPECT_EQ(h.state.deviceBlock, store);
}

TEST_F(DeviceCommands, StartUpPageGivesTheKnownFrameByteForByte)
{
    h.state.SelectedDeviceMac = {};
    // As if both records had been read from a device that holds the all-zero MAC.
    h.state.pageDeviceMac = MacAddress{};
    h.state.deviceBlockRead = true;
    OnWriteDeviceBlock(h.ui);
    const Bytes frame = Concat({
        Hex("7E 11 08 78 56 34 12 03 00 3C 00 05 00 00 C0 12 00 00 08 00 01 01"),
        Hex("01 02 03 04 05 06 07 08"),
        Repeat(Hex("E7 03 00 00 E7 03 00 00"), 8),
        Hex("F7 A4"),
    });
    ASSERT_EQ(h.shell.sent.size(), 1u);
    EXPECT_EQ(h.shell.sent[0], Concat({Hex("AA 00 67 0A 00 00 00 00 00 00"), frame, Hex("34")}));
    EXPECT_EQ(h.shell.area(), "设置参数... \r\n");
}

TEST_F(DeviceCommands, ReadShowsTheRecordOnThePageAndSetsTheFlag)
{
    DeviceBlock block;
    block.serverCount = 3;
    block.terminalAddress = 0xA1B2C3D4;
    block.loginInterval = 65535;
    block.heartbeatInterval = 30;
    block.reportInterval = 7;
    block.workMode = 5;
    block.baudRate = -9600;
    block.dataBits = 8;
    block.parity = 2;
    block.stopBits = 2;
    block.modbusCount = 200;
    block.channelAddress = {9, 8, 7, 6, 5, 4, 3, 255};
    block.tempHigh = {1200, -400, -5, 0, 5, 1, -1, 999};
    block.tempLow = {-32768, 32767, 0, 0, 0, 0, 0, 0};
    block.humHigh = {205, 999, 0, 1, 10, 65535, 0, 0};
    read(block);

    EXPECT_TRUE(h.state.deviceBlockRead);
    EXPECT_EQ(h.state.deviceBlock, block);
    EXPECT_EQ(page().current.serverCount, 3);
    EXPECT_EQ(page().current.terminalAddress, "a1b2c3d4");
    EXPECT_EQ(page().current.loginInterval, "65535");
    EXPECT_EQ(page().current.heartbeatInterval, "30");
    EXPECT_EQ(page().current.reportInterval, "7");
    EXPECT_EQ(page().current.workMode, 5);
    EXPECT_EQ(page().current.baudRate, "-9600");
    EXPECT_EQ(page().current.dataBits, 3);
    EXPECT_EQ(page().current.parity, 2);
    EXPECT_EQ(page().current.stopBits, 1);
    EXPECT_EQ(page().current.modbusCount, "200");
    EXPECT_EQ(page().current.channels[0].address, "9");
    EXPECT_EQ(page().current.channels[7].address, "255");
    const char *temps[] = {"120.0", "-40.0", "-0.5", "0.0", "0.5", "0.1", "-0.1", "99.9"};
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(page().current.channels[n].tempHigh, temps[n]) << n;
    EXPECT_EQ(page().current.channels[0].tempLow, "-3276.8");
    EXPECT_EQ(page().current.channels[1].tempLow, "3276.7");
    const char *hums[] = {"20.5", "99.9", "0.0", "0.1", "1.0", "6553.5", "0.0", "0.0"};
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(page().current.channels[n].humHigh, hums[n]) << n;
    EXPECT_EQ(h.shell.area(), "读取设备参数成功！\r\n");
}

TEST_F(DeviceCommands, ComboValuesOffTheItemsShowNoneAndWriteBackAsTheNoSelectionBytes)
{
    DeviceBlock block = DefaultPageDeviceBlock();
    block.serverCount = 9;
    block.workMode = 6;
    block.dataBits = 3; // index -2
    block.parity = 3;
    block.stopBits = 0; // index -1
    read(block);
    const DeviceForm &shown = page().current;
    for (int index :
         {shown.serverCount, shown.workMode, shown.dataBits, shown.parity, shown.stopBits})
        EXPECT_EQ(index, kNoSelection);

    // The user has to choose before a write: the first combo without one is named.
    OnWriteDeviceBlock(h.ui);
    EXPECT_TRUE(h.shell.sent.empty());
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].text, "服务器数量：应为列表中的一项");
    EXPECT_EQ(page().focused, "server_count");
}

struct TerminalCase
{
    const char *text;
    const char *sent; // nullptr: refused
    const char *box = "终端地址要为8位长度";
};
constexpr const char *kNotHex = "终端地址：应为8位十六进制数字(0-9、A-F)";
class TerminalAddress : public DeviceCommands, public ::testing::WithParamInterface<TerminalCase>
{
};

TEST_P(TerminalAddress, MustBeEightBytesLongOnTheDevice)
{
    const DeviceBlock before = DefaultPageDeviceBlock();
    const Bytes sent =
        writeAfterRead([](FakeDevicePage &p) { p.current.terminalAddress = GetParam().text; });
    if (GetParam().sent) {
        ASSERT_EQ(sent.size(), 107u);
        EXPECT_EQ(Slice(sent, kFrameAt + 3, 4), Hex(GetParam().sent));
        EXPECT_TRUE(h.shell.boxes.empty());
        return;
    }
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].text, GetParam().box);
    EXPECT_EQ(h.shell.boxes[0].caption,
              std::string_view(GetParam().box) == kNotHex ? "输入错误" : "终端地址错误");
    EXPECT_EQ(page().focused, "terminal_address");
    EXPECT_EQ(h.shell.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(h.state.messageText.text(), "读取设备参数成功！\r\n");
    EXPECT_EQ(h.state.deviceBlock, before) << "a refused write leaves the store as read";
}

INSTANTIATE_TEST_SUITE_P(Texts, TerminalAddress,
                         ::testing::Values(TerminalCase{"12345678", "78 56 34 12"},
                                           TerminalCase{"abcdefAB", "AB EF CD AB"},
                                           TerminalCase{"1234567G", nullptr, kNotHex},
                                           TerminalCase{"终端地址", nullptr, kNotHex},
                                           TerminalCase{"1234567", nullptr},
                                           TerminalCase{"123456789", nullptr},
                                           TerminalCase{"", nullptr},
                                           TerminalCase{"123456终", nullptr, kNotHex},
                                           TerminalCase{"1234567终", nullptr}));

struct LimitCase
{
    const char *text;
    const char *temperature; // tenths sent, little-endian
    const char *humidity;
};
class LimitText : public DeviceCommands, public ::testing::WithParamInterface<LimitCase>
{
};

TEST_P(LimitText, IsWrittenInTenths)
{
    const Bytes sent = writeAfterRead([](FakeDevicePage &p) {
        p.current.channels[2].tempHigh = GetParam().text;
        p.current.channels[2].tempLow = GetParam().text;
        p.current.channels[2].humHigh = GetParam().text;
        p.current.channels[2].humLow = GetParam().text;
    });
    ASSERT_FALSE(sent.empty());
    const std::size_t channel3 = kFrameAt + 30 + 8 * 2;
    const Bytes t = Hex(GetParam().temperature);
    const Bytes hum = Hex(GetParam().humidity);
    EXPECT_EQ(Slice(sent, channel3, 8), Concat({t, t, hum, hum}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LimitText,
    ::testing::Values(LimitCase{"25.6", "00 01", "00 01"}, LimitCase{"99.9", "E7 03", "E7 03"},
                      LimitCase{"0", "00 00", "00 00"}, LimitCase{" 12 ", "78 00", "78 00"},
                      LimitCase{"0.1", "01 00", "01 00"}, LimitCase{"4.1", "29 00", "29 00"}));

TEST_F(DeviceCommands, LimitsShowInTheOneDecimalFormOfARead)
{
    const Bytes sent = writeAfterRead([](FakeDevicePage &p) {
        p.current.channels[0].tempHigh = "120";
        p.current.channels[0].tempLow = "-40";
        p.current.channels[1].tempHigh = "-0.5";
        p.current.channels[1].tempLow = "-0.5";
        p.current.channels[0].humHigh = "20.5";
        p.current.channels[0].humLow = "20.5";
    });
    ASSERT_FALSE(sent.empty());
    Answer(h, DeviceReply(Slice(sent, kFrameAt + 2, 92)));
    EXPECT_EQ(page().current.channels[0].tempHigh, "120.0");
    EXPECT_EQ(page().current.channels[0].tempLow, "-40.0");
    EXPECT_EQ(page().current.channels[1].tempHigh, "-0.5");
    EXPECT_EQ(page().current.channels[0].humHigh, "20.5");
    EXPECT_EQ(page().current.channels[0].humLow, "20.5");
}

struct NumberCase
{
    const char *text;
    const char *interval; // 16 bits
    const char *baud;     // 32 bits
    const char *address;  // Modbus count and channel address typed, one byte each
};
class NumberText : public DeviceCommands, public ::testing::WithParamInterface<NumberCase>
{
};

TEST_P(NumberText, IsWrittenLittleEndianInItsField)
{
    const Bytes sent = writeAfterRead([](FakeDevicePage &p) {
        p.current.loginInterval = GetParam().text;
        p.current.reportInterval = GetParam().text;
        p.current.baudRate = GetParam().text;
        p.current.modbusCount = GetParam().address;
        p.current.channels[7].address = GetParam().address;
    });
    ASSERT_FALSE(sent.empty());
    const Bytes interval = Hex(GetParam().interval);
    const Bytes address = {static_cast<std::uint8_t>(std::stoi(GetParam().address))};
    EXPECT_EQ(Slice(sent, kFrameAt + 7, 6), Concat({interval, Hex("3C 00"), interval}));
    EXPECT_EQ(Slice(sent, kFrameAt + 14, 4), Hex(GetParam().baud));
    EXPECT_EQ(Slice(sent, kFrameAt + 21, 1), address);
    EXPECT_EQ(Slice(sent, kFrameAt + 29, 1), address);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberText,
                         ::testing::Values(NumberCase{"65535", "FF FF", "FF FF 00 00", "8"},
                                           NumberCase{" 300 ", "2C 01", "2C 01 00 00", "1"},
                                           NumberCase{"1", "01 00", "01 00 00 00", "1"}));

TEST_F(DeviceCommands, RejectedReplyChangesNeitherPageNorFlagNorStore)
{
    page().current.baudRate = "typed";
    const DeviceForm shown = page().current;
    const DeviceBlock store = h.state.deviceBlock;
    DeviceBlock other = DefaultPageDeviceBlock();
    other.baudRate = 115200;

    OnDatagram(h.ui, DeviceReply(BodyOf(other), 0x0A, false));
    Bytes badStart = DeviceReply(BodyOf(other));
    badStart[10] = 0x7F; // CRC covers the start byte: fix it up so only the start is wrong
    const std::uint16_t crc = Crc16(ByteView(badStart).subspan(10, 94));
    badStart[104] = static_cast<std::uint8_t>(crc & 0xFF);
    badStart[105] = static_cast<std::uint8_t>(crc >> 8);
    OnDatagram(h.ui, badStart);

    EXPECT_EQ(page().current, shown);
    EXPECT_FALSE(h.state.deviceBlockRead);
    EXPECT_EQ(h.state.deviceBlock, store);
    EXPECT_EQ(h.shell.shown.size(), 2u) << "each rejected reply refreshes only";
}

TEST_F(DeviceCommands, WriteAcknowledgementIsReportedUnderTheProgressLine)
{
    writeAfterRead([](FakeDevicePage &) {});
    Answer(h, Hex("55 00 04 0A 00 0E EB 12 34 56 7E 11 E0 1C 00"));
    EXPECT_EQ(h.shell.area(), "设置参数... \r\n下载设备参数成功！\r\n");
}

} // namespace
} // namespace ktr::test
