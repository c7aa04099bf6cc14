// The network page's commands: selecting a device, showing its record, and the write overlay.
#include <gtest/gtest.h>

#include "tests/unit/ops/fakes.h"

namespace ktr::test {
namespace {

constexpr std::size_t kBlockAt = 10; // the record's offset in the write request
constexpr std::size_t kEntryAt = kBlockAt + 20;
constexpr std::size_t kEntrySize = 34;

std::size_t EntryAt(int entry)
{
    return kEntryAt + kEntrySize * static_cast<std::size_t>(entry - 1);
}

Bytes Slice(const Bytes &bytes, std::size_t at, std::size_t count)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
}

// One server entry as a device stores it: ports, address text, its zero byte, then filler that
// the device left behind a shorter text.
Bytes Entry(const Bytes &ports, std::string_view address, std::uint8_t filler)
{
    Bytes entry = Concat({ports, Text(address), Hex("00")});
    entry.resize(kEntrySize, filler);
    return entry;
}

// A device's record: static IP (0x81, one extra bit) 10.1.2.3, gateway 10.1.2.254, mask
// 255.255.0.0, opaque bytes 11..66, four connections, entries with ports 502+n.
Bytes DeviceRecord(std::uint8_t mode = 0x81, std::uint8_t maxConnections = 4)
{
    Bytes block = Concat({Bytes{mode}, Hex("03 02 01 0A  FE 02 01 0A  00 00 FF FF"),
                          Hex("11 22 33 44 55 66"), Bytes{maxConnections}});
    for (int n = 0; n < 8; ++n) {
        const auto port = static_cast<std::uint8_t>(0xF6 + n);
        block = Concat({block, Entry(Bytes{port, 0x01, port, 0x01}, "192.168.0.166", 0xEE)});
    }
    return block;
}

Bytes NetworkReply(const Bytes &block)
{
    return Concat({Hex("55 01 2B 03 00 0E EB 12 34 56"), block, Hex("00")});
}

constexpr MacAddress kDevice{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};

class NetworkCommands : public ::testing::Test
{
protected:
    // The device the replies below come from, as if double-clicked and its record (all zero,
    // as at start) read: the writes need a device chosen and read.
    NetworkCommands()
    {
        h.state.SelectedDeviceMac = kDevice;
        h.state.pageDeviceMac = kDevice;
    }
    void read(const Bytes &block = DeviceRecord()) { Answer(h, NetworkReply(block)); }
    const Bytes &write()
    {
        OnConfigureNetwork(h.ui);
        return h.shell.sent.back();
    }
    FakeNetworkPage &page() { return h.networkPage; }

    Harness h;
};

TEST_F(NetworkCommands, DoubleClickSelectsTheRowsDeviceAndAsksForItsRecord)
{
    h.state.SelectedDeviceMac = {};
    h.state.pageDeviceMac.reset();
    h.list.rows = {{"192.168.0.167", "QX-HT-LAN", "000EEB999999", "1"},
                   {"192.168.0.166", "QX-HT-LAN", "000EEB123456", "288"}};
    h.list.selected = 1;
    OnDblclkDeviceList(h.ui);

    EXPECT_EQ(h.state.SelectedDeviceMac, (MacAddress{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56}));
    EXPECT_EQ(page().current.mac, "00-0E-EB-12-34-56");
    ASSERT_EQ(h.shell.sent.size(), 1u);
    EXPECT_EQ(h.shell.sent[0], Hex("AA 00 07 03 00 0E EB 12 34 56 98"));
    EXPECT_EQ(h.shell.area(), "读取参数...\r\n");

    read();
    EXPECT_EQ(h.shell.area(), "读取参数...\r\n读取网络参数成功！\r\n");
    EXPECT_EQ(page().source, "000EEB123456 (192.168.0.166)");
}

TEST_F(NetworkCommands, ThePageNamesTheDeviceItsValuesCameFrom)
{
    EXPECT_EQ(page().source, "") << "nothing read yet";
    read();
    EXPECT_EQ(page().source, "000EEB123456") << "a device without a row in the list";
    h.list.rows = {{"10.0.0.7", "QX-HT-LAN", "000EEB123456", "288"}};
    read();
    EXPECT_EQ(page().source, "000EEB123456 (10.0.0.7)");
    // A reply nobody waits for shows nothing and names nothing.
    page().source.clear();
    OnDatagram(h.ui, NetworkReply(DeviceRecord()));
    EXPECT_EQ(page().source, "");
}

TEST_F(NetworkCommands, DoubleClickWithoutSelectionDoesNothing)
{
    h.list.rows = {{"192.168.0.166", "QX-HT-LAN", "000EEB123456", "288"}};
    h.state.messageText.appendLine("搜索到设备");
    const int writes = page().shows;
    OnDblclkDeviceList(h.ui);
    EXPECT_TRUE(h.shell.sent.empty());
    EXPECT_TRUE(h.shell.shown.empty());
    EXPECT_EQ(h.state.messageText.text(), "搜索到设备\r\n");
    EXPECT_EQ(page().shows, writes);
}

TEST_F(NetworkCommands, ReadShowsTheRecordAndKeepsIt)
{
    page().current.mac = "00-0E-EB-AA-BB-CC";
    read();
    EXPECT_EQ(page().current.staticIp, "10.1.2.3");
    EXPECT_EQ(page().current.gateway, "10.1.2.254");
    EXPECT_EQ(page().current.subnetMask, "255.255.0.0");
    EXPECT_EQ(page().current.maxConnections, 4);
    for (int n = 0; n < 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(page().current.servers[n].localPort, std::to_string(502 + n));
        EXPECT_EQ(page().current.servers[n].targetPort, std::to_string(502 + n));
        EXPECT_EQ(page().current.servers[n].targetAddress, "192.168.0.166");
    }
    EXPECT_EQ(page().current.mac, "00-0E-EB-AA-BB-CC");
    const auto kept = h.state.LastNetworkBlock.bytes();
    EXPECT_EQ(Bytes(kept.begin(), kept.end()), DeviceRecord());
}

struct ModeCase
{
    std::uint8_t byte;
    int selection;
    bool enabled;
};
class IpModeOfARead : public NetworkCommands, public ::testing::WithParamInterface<ModeCase>
{
};

TEST_P(IpModeOfARead, SelectsTheModeAndGreysTheStaticFieldsForDhcp)
{
    page().addressesEnabled = !GetParam().enabled;
    read(DeviceRecord(GetParam().byte));
    EXPECT_EQ(page().current.ipMode, GetParam().selection);
    EXPECT_EQ(page().addressesEnabled, GetParam().enabled);
    EXPECT_EQ(page().current.staticIp, "10.1.2.3");
}

INSTANTIATE_TEST_SUITE_P(ModeByte, IpModeOfARead,
                         ::testing::Values(ModeCase{0x00, 1, false}, ModeCase{0x7F, 1, false},
                                           ModeCase{0x80, 0, true}, ModeCase{0x81, 0, true}));

TEST_F(NetworkCommands, ChangingTheModeAppliesTheSameRule)
{
    for (const auto &[selection, enabled] :
         {std::pair{1, false}, {0, true}, {1, false}, {-1, true}}) {
        page().current.ipMode = selection;
        OnSelchangeIpMode(h.ui);
        EXPECT_EQ(page().addressesEnabled, enabled) << "selection " << selection;
    }
}

TEST_F(NetworkCommands, WriteOfTheStartUpPageOverAnAllZeroRecordSendsZerosWhereThePageHasNoField)
{
    Bytes entries;
    for (int n = 0; n < 8; ++n) {
        const auto low = static_cast<std::uint8_t>(0xD0 + n);
        entries = Concat({entries, Entry(Bytes{low, 0x07, low, 0x07}, "192.168.0.166", 0x00)});
    }
    const Bytes expected = Concat({
        Hex("AA 01 2B 04  00 0E EB 12 34 56"),
        Hex("80  09 00 A8 C0  01 00 A8 C0  00 FF FF FF  00 00 00 00 00 00  08"),
        entries,
        Hex("30"),
    });
    EXPECT_EQ(write(), expected);
    EXPECT_EQ(h.shell.area(), "设置参数... \r\n");
}

TEST_F(NetworkCommands, WriteAfterAReadOverlaysOnlyWhatThePageShows)
{
    read();
    page().current.servers[0].targetAddress = "10.0.0.1";
    const Bytes &sent = write();

    EXPECT_EQ(Slice(sent, kBlockAt + 13, 6), Hex("11 22 33 44 55 66"));
    EXPECT_EQ(sent[kBlockAt], 0x80) << "a write sends exactly 0x80 for static IP";
    EXPECT_EQ(Slice(sent, EntryAt(1) + 4, 30),
              Concat({Text("10.0.0.1"), Hex("00"), Text(".166"), Hex("00"), Bytes(16, 0xEE)}));
    EXPECT_EQ(Slice(sent, EntryAt(2) + 4, 30), Slice(DeviceRecord(), 20 + 34 + 4, 30));
    const auto kept = h.state.LastNetworkBlock.bytes();
    EXPECT_EQ(Bytes(kept.begin(), kept.end()), Slice(sent, kBlockAt, 292))
        << "the overlaid record stays for the next write";
}

TEST_F(NetworkCommands, DhcpWriteStillSendsTheGreyedFieldsAndClearsTheModeByte)
{
    read(DeviceRecord(0x7F));
    ASSERT_FALSE(page().addressesEnabled);
    page().current.staticIp = "172.16.0.9";
    const Bytes &sent = write();
    EXPECT_EQ(sent[kBlockAt], 0x00);
    EXPECT_EQ(Slice(sent, kBlockAt + 1, 12), Hex("09 00 10 AC  FE 02 01 0A  00 00 FF FF"));
}

struct DottedCase
{
    const char *text;
    const char *stored;
};
class DottedAddressOnWrite : public NetworkCommands,
                             public ::testing::WithParamInterface<DottedCase>
{
};

TEST_P(DottedAddressOnWrite, ReachesEachAddressFieldAtItsOffset)
{
    page().current.staticIp = GetParam().text;
    page().current.gateway = "1.1.1.1";
    page().current.subnetMask = "255.255.255.0";
    const Bytes &sent = write();
    EXPECT_EQ(Slice(sent, kBlockAt + 1, 4), Hex(GetParam().stored));
    EXPECT_EQ(Slice(sent, kBlockAt + 5, 4), Hex("01 01 01 01"));
    EXPECT_EQ(Slice(sent, kBlockAt + 9, 4), Hex("00 FF FF FF"));
}

INSTANTIATE_TEST_SUITE_P(Texts, DottedAddressOnWrite,
                         ::testing::Values(DottedCase{"192.168.0.9", "09 00 A8 C0"},
                                           DottedCase{" 192.168.0.1 ", "01 00 A8 C0"},
                                           DottedCase{"010.255.0.1", "01 00 FF 0A"},
                                           DottedCase{"0.0.0.1", "01 00 00 00"}));

// A static IP that is the network or broadcast address of the subnet the mask makes would leave
// the device unreachable: one box, the focus on the address, nothing sent.
TEST_F(NetworkCommands, AStaticIpThatIsItsSubnetsNetworkOrBroadcastAddressIsNotWritten)
{
    read();
    for (const auto &[ip, what] :
         {std::pair{"192.168.0.255", "广播地址"}, std::pair{"192.168.0.0", "网络地址"}}) {
        h.shell.boxes.clear();
        page().current.staticIp = ip;
        page().current.subnetMask = "255.255.255.0";
        OnConfigureNetwork(h.ui);
        EXPECT_TRUE(h.shell.sent.empty()) << ip;
        ASSERT_EQ(h.shell.boxes.size(), 1u) << ip;
        EXPECT_EQ(h.shell.boxes[0].text, std::string("静态IP：") + ip +
                                             " 是子网掩码 255.255.255.0 下的" + what +
                                             ", 设备将无法访问");
        EXPECT_EQ(page().focused, "static_ip");
    }
    page().current.staticIp = "192.168.1.0";
    page().current.subnetMask = "255.255.254.0";
    OnConfigureNetwork(h.ui);
    ASSERT_EQ(h.shell.sent.size(), 1u) << "a host under a wider mask";
    EXPECT_EQ(Slice(h.shell.sent[0], kBlockAt + 1, 4), Hex("00 01 A8 C0"));
}

struct PortCase
{
    const char *text;
    const char *stored;
};
class PortOnWrite : public NetworkCommands, public ::testing::WithParamInterface<PortCase>
{
};

TEST_P(PortOnWrite, IsWrittenLittleEndian)
{
    page().current.servers[4].localPort = GetParam().text;
    page().current.servers[4].targetPort = GetParam().text;
    const Bytes &sent = write();
    EXPECT_EQ(Slice(sent, EntryAt(5), 4), Concat({Hex(GetParam().stored), Hex(GetParam().stored)}));
}

INSTANTIATE_TEST_SUITE_P(Texts, PortOnWrite,
                         ::testing::Values(PortCase{"0", "00 00"}, PortCase{"65535", "FF FF"},
                                           PortCase{" 80 ", "50 00"}, PortCase{"0502", "F6 01"}));

TEST_F(NetworkCommands, ConnectionCountOffTheItemsShowsNoneAndMustBeChosenBeforeAWrite)
{
    read(DeviceRecord(0x80, 9));
    EXPECT_EQ(page().current.maxConnections, -1);
    OnConfigureNetwork(h.ui);
    EXPECT_TRUE(h.shell.sent.empty());
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].text, "最大连接数量：应为列表中的一项");
    EXPECT_EQ(page().focused, "max_connections");
}

struct AddressLengthCase
{
    int entry;
    std::string text;
    Bytes stored; // the bytes on the device; empty when the write is refused
};
class TargetAddressLength : public NetworkCommands,
                            public ::testing::WithParamInterface<AddressLengthCase>
{
};

TEST_P(TargetAddressLength, TextsThatDoNotFitTheirFieldRefuseTheWholeWrite)
{
    const AddressLengthCase &c = GetParam();
    read();
    page().current.staticIp = "10.9.9.9";
    page().current.servers[0].targetAddress = "10.0.0.1";
    page().current.servers[c.entry - 1].targetAddress = c.text;
    h.state.messageText.clear();
    h.state.messageText.appendLine("读取网络参数成功！");
    const NetworkBlock before = h.state.LastNetworkBlock;

    OnConfigureNetwork(h.ui);

    if (!c.stored.empty()) {
        ASSERT_EQ(h.shell.sent.size(), 1u);
        EXPECT_TRUE(h.shell.boxes.empty());
        const Bytes &sent = h.shell.sent[0];
        EXPECT_EQ(Slice(sent, EntryAt(c.entry) + 4, 30), Concat({c.stored, Hex("00")}));
        if (c.entry < 8) {
            const auto port = static_cast<std::uint8_t>(0xF6 + c.entry);
            EXPECT_EQ(Slice(sent, EntryAt(c.entry + 1), 4), (Bytes{port, 0x01, port, 0x01}));
        }
        return;
    }
    EXPECT_TRUE(h.shell.sent.empty());
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].caption, "目标地址错误");
    EXPECT_EQ(h.shell.boxes[0].text, "服务器" + std::to_string(c.entry) + "的目标地址超过29字节");
    EXPECT_EQ(h.shell.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(h.state.messageText.text(), "读取网络参数成功！\r\n");
    EXPECT_EQ(h.shell.shown.size(), 1u) << "only the read's refresh";
    EXPECT_EQ(h.state.LastNetworkBlock, before);
}

std::string Times(std::string_view part, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += part;
    return s;
}

// "测" is three bytes in UTF-8 but two on the device (B2 E2).
INSTANTIATE_TEST_SUITE_P(Texts, TargetAddressLength,
                         ::testing::Values(AddressLengthCase{8, Times("a", 29), Bytes(29, 'a')},
                                           AddressLengthCase{2, Times("a", 29), Bytes(29, 'a')},
                                           AddressLengthCase{3, Times("a", 30), {}},
                                           AddressLengthCase{1, Times("a", 30), {}},
                                           AddressLengthCase{8, Times("a", 64), {}},
                                           AddressLengthCase{
                                               5, Times("测", 14) + "x",
                                               Concat({Repeat(Hex("B2 E2"), 14), Text("x")})},
                                           AddressLengthCase{6, Times("测", 15), {}}));

TEST_F(NetworkCommands, OnlyTheFirstEntryThatDoesNotFitIsNamed)
{
    page().current.servers[3].targetAddress = std::string(40, 'b');
    page().current.servers[6].targetAddress = std::string(40, 'c');
    OnConfigureNetwork(h.ui);
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].text, "服务器4的目标地址超过29字节");
}

TEST_F(NetworkCommands, ChineseTargetAddressTravelsInCodePage936AndReadsBackUnchanged)
{
    page().current.servers[1].targetAddress = "服务器.例子";
    const Bytes sent = write();
    EXPECT_EQ(Slice(sent, EntryAt(2) + 4, 12), Hex("B7 FE CE F1 C6 F7 2E C0 FD D7 D3 00"));

    page().current.servers[1].targetAddress = "changed";
    read(Slice(sent, kBlockAt, 292));
    EXPECT_EQ(page().current.servers[1].targetAddress, "服务器.例子");
}

TEST_F(NetworkCommands, ReadWithoutZeroByteShowsTheWholeThirtyByteField)
{
    Bytes block = DeviceRecord();
    std::fill_n(block.begin() + 20 + 4, 30, std::uint8_t{'z'});
    read(block);
    EXPECT_EQ(page().current.servers[0].targetAddress, std::string(30, 'z'));
    EXPECT_EQ(page().current.servers[0].targetPort, "502");
}

} // namespace
} // namespace ktr::test
