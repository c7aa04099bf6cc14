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
    // The replies below come from this device, as if it had been double-clicked. Tests of the
    // requests themselves reset it to the all-zero start value.
    DeviceCommands() { h.state.SelectedDeviceMac = {0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56}; }
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
    FakePage &page() { return h.devicePage; }

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
    h.state.deviceBlockRead = true; // as if read from the all-zero device
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
    EXPECT_EQ(page().selection(ids::kServerCountCombo), 3);
    EXPECT_EQ(page().text(ids::kTerminalAddress), "a1b2c3d4");
    EXPECT_EQ(page().text(ids::kLoginInterval), "65535");
    EXPECT_EQ(page().text(ids::kHeartbeatInterval), "30");
    EXPECT_EQ(page().text(ids::kReportInterval), "7");
    EXPECT_EQ(page().selection(ids::kWorkMode), 5);
    EXPECT_EQ(page().text(ids::kBaudRate), "-9600");
    EXPECT_EQ(page().selection(ids::kDataBits), 3);
    EXPECT_EQ(page().selection(ids::kParity), 2);
    EXPECT_EQ(page().selection(ids::kStopBits), 1);
    EXPECT_EQ(page().text(ids::kModbusCount), "200");
    EXPECT_EQ(page().text(ids::kChannelAddress[0]), "9");
    EXPECT_EQ(page().text(ids::kChannelAddress[7]), "255");
    const char *temps[] = {"120.0", "-40.0", "-0.5", "0.0", "0.5", "0.1", "-0.1", "99.9"};
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(page().text(ids::kTempHigh[n]), temps[n]) << n;
    EXPECT_EQ(page().text(ids::kTempLow[0]), "-3276.8");
    EXPECT_EQ(page().text(ids::kTempLow[1]), "3276.7");
    const char *hums[] = {"20.5", "99.9", "0.0", "0.1", "1.0", "6553.5", "0.0", "0.0"};
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(page().text(ids::kHumHigh[n]), hums[n]) << n;
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
    for (int id :
         {ids::kServerCountCombo, ids::kWorkMode, ids::kDataBits, ids::kParity, ids::kStopBits})
        EXPECT_EQ(page().selection(id), -1) << id;

    OnWriteDeviceBlock(h.ui);
    ASSERT_EQ(h.shell.sent.size(), 1u);
    const Bytes &sent = h.shell.sent[0];
    EXPECT_EQ(sent[kFrameAt + 2], 0xFF);                       // server count
    EXPECT_EQ(sent[kFrameAt + 13], 0xFF);                      // work mode
    EXPECT_EQ(Slice(sent, kFrameAt + 18, 3), Hex("04 FF 00")); // data bits, parity, stop bits
}

struct TerminalCase
{
    const char *text;
    const char *sent; // nullptr: refused
};
class TerminalAddress : public DeviceCommands, public ::testing::WithParamInterface<TerminalCase>
{
};

TEST_P(TerminalAddress, MustBeEightBytesLongOnTheDevice)
{
    const DeviceBlock before = DefaultPageDeviceBlock();
    const Bytes sent =
        writeAfterRead([](FakePage &p) { p.setText(ids::kTerminalAddress, GetParam().text); });
    if (GetParam().sent) {
        ASSERT_EQ(sent.size(), 107u);
        EXPECT_EQ(Slice(sent, kFrameAt + 3, 4), Hex(GetParam().sent));
        EXPECT_TRUE(h.shell.boxes.empty());
        return;
    }
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].text, "终端地址要为8位长度");
    EXPECT_EQ(h.shell.boxes[0].caption, "终端地址错误");
    EXPECT_EQ(h.shell.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(h.state.messageText.text(), "读取设备参数成功！\r\n");
    EXPECT_EQ(h.state.deviceBlock, before) << "a refused write leaves the store as read";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TerminalAddress,
    ::testing::Values(TerminalCase{"12345678", "78 56 34 12"},
                      TerminalCase{"abcdefAB", "AB EF CD AB"},
                      TerminalCase{"1234567G", "6F 56 34 12"},
                      TerminalCase{"终端地址", "EF EF EF EF"}, TerminalCase{"1234567", nullptr},
                      TerminalCase{"123456789", nullptr}, TerminalCase{"", nullptr},
                      TerminalCase{"123456终", "EF 56 34 12"}, TerminalCase{"1234567终", nullptr}));

TEST_F(DeviceCommands, TerminalAddressWithANonDigitReadsBackAsTheDeviceStoredIt)
{
    const Bytes sent =
        writeAfterRead([](FakePage &p) { p.setText(ids::kTerminalAddress, "1234567G"); });
    ASSERT_FALSE(sent.empty());
    Bytes body = Slice(sent, kFrameAt + 2, 92);
    Answer(h, DeviceReply(body));
    EXPECT_EQ(page().text(ids::kTerminalAddress), "1234566f");
}

struct LimitCase
{
    const char *text;
    const char *temperature; // tenths sent, little-endian
    const char *humidity;
};
class LimitText : public DeviceCommands, public ::testing::WithParamInterface<LimitCase>
{
};

TEST_P(LimitText, IsClampedAndCutToItsFieldOnWrite)
{
    const Bytes sent = writeAfterRead([](FakePage &p) {
        p.setText(ids::kTempHigh[2], GetParam().text);
        p.setText(ids::kTempLow[2], GetParam().text);
        p.setText(ids::kHumHigh[2], GetParam().text);
        p.setText(ids::kHumLow[2], GetParam().text);
    });
    ASSERT_FALSE(sent.empty());
    const std::size_t channel3 = kFrameAt + 30 + 8 * 2;
    const Bytes t = Hex(GetParam().temperature);
    const Bytes hum = Hex(GetParam().humidity);
    EXPECT_EQ(Slice(sent, channel3, 8), Concat({t, t, hum, hum}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LimitText,
    ::testing::Values(LimitCase{"130", "B0 04", "E7 03"}, LimitCase{"-50", "70 FE", "F4 01"},
                      LimitCase{"-0.5", "FB FF", "05 00"}, LimitCase{"-20.5", "33 FF", "CD 00"},
                      LimitCase{"150", "B0 04", "E7 03"}, LimitCase{"25.67", "00 01", "00 01"},
                      LimitCase{"99.9", "E7 03", "E7 03"}, LimitCase{"", "00 00", "00 00"},
                      LimitCase{"nan", "00 00", "00 00"}, LimitCase{"inf", "00 00", "00 00"},
                      LimitCase{"-inf", "00 00", "00 00"}, LimitCase{"1e300", "B0 04", "00 00"},
                      LimitCase{"-1e300", "70 FE", "00 00"}, LimitCase{"1e400", "B0 04", "00 00"},
                      LimitCase{"-1e400", "70 FE", "00 00"}, LimitCase{"温度", "00 00", "00 00"},
                      LimitCase{"２５", "00 00", "00 00"}, LimitCase{"12度", "78 00", "78 00"}));

TEST_F(DeviceCommands, ClampedValuesShowAsTheDeviceReturnsThem)
{
    const Bytes sent = writeAfterRead([](FakePage &p) {
        p.setText(ids::kTempHigh[0], "130");
        p.setText(ids::kTempLow[0], "-50");
        p.setText(ids::kTempHigh[1], "-0.5");
        p.setText(ids::kHumHigh[0], "-20.5");
        p.setText(ids::kHumLow[0], "150");
    });
    ASSERT_FALSE(sent.empty());
    Answer(h, DeviceReply(Slice(sent, kFrameAt + 2, 92)));
    EXPECT_EQ(page().text(ids::kTempHigh[0]), "120.0");
    EXPECT_EQ(page().text(ids::kTempLow[0]), "-40.0");
    EXPECT_EQ(page().text(ids::kTempHigh[1]), "-0.5");
    EXPECT_EQ(page().text(ids::kHumHigh[0]), "20.5");
    EXPECT_EQ(page().text(ids::kHumLow[0]), "99.9");
}

struct NumberCase
{
    const char *text;
    const char *interval; // 16 bits
    const char *baud;     // 32 bits
    const char *address;  // 8 bits
};
class NumberText : public DeviceCommands, public ::testing::WithParamInterface<NumberCase>
{
};

TEST_P(NumberText, IsReadAsAWrappingIntegerCutToItsField)
{
    const Bytes sent = writeAfterRead([](FakePage &p) {
        p.setText(ids::kLoginInterval, GetParam().text);
        p.setText(ids::kReportInterval, GetParam().text);
        p.setText(ids::kBaudRate, GetParam().text);
        p.setText(ids::kModbusCount, GetParam().text);
        p.setText(ids::kChannelAddress[7], GetParam().text);
    });
    ASSERT_FALSE(sent.empty());
    const Bytes interval = Hex(GetParam().interval);
    const Bytes address = Hex(GetParam().address);
    EXPECT_EQ(Slice(sent, kFrameAt + 7, 6), Concat({interval, Hex("3C 00"), interval}));
    EXPECT_EQ(Slice(sent, kFrameAt + 14, 4), Hex(GetParam().baud));
    EXPECT_EQ(Slice(sent, kFrameAt + 21, 1), address);
    EXPECT_EQ(Slice(sent, kFrameAt + 29, 1), address);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberText,
                         ::testing::Values(NumberCase{"70000", "70 11", "70 11 01 00", "70"},
                                           NumberCase{"-1", "FF FF", "FF FF FF FF", "FF"},
                                           NumberCase{"99999999999", "FF E7", "FF E7 76 48", "FF"},
                                           NumberCase{" +300 s", "2C 01", "2C 01 00 00", "2C"},
                                           NumberCase{"nan", "00 00", "00 00 00 00", "00"},
                                           NumberCase{"1e300", "01 00", "01 00 00 00", "01"},
                                           NumberCase{"９６００", "00 00", "00 00 00 00", "00"}));

TEST_F(DeviceCommands, RejectedReplyChangesNeitherPageNorFlagNorStore)
{
    page().setText(ids::kBaudRate, "typed");
    const auto controls = page().controls;
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

    EXPECT_EQ(page().controls, controls);
    EXPECT_FALSE(h.state.deviceBlockRead);
    EXPECT_EQ(h.state.deviceBlock, store);
    EXPECT_EQ(h.shell.shown.size(), 2u) << "each rejected reply refreshes only";
}

TEST_F(DeviceCommands, WriteAcknowledgementIsReportedUnderTheProgressLine)
{
    writeAfterRead([](FakePage &) {});
    Answer(h, Hex("55 00 04 0A 00 0E EB 12 34 56 7E 11 E0 1C 00"));
    EXPECT_EQ(h.shell.area(), "设置参数... \r\n下载设备参数成功！\r\n");
}

} // namespace
} // namespace ktr::test
