// The parameter pages through the real window on the lab: reading a device into the pages,
// writing settings, the restart that follows, a new MAC, factory defaults, and the request bytes
// each command puts on the wire.
#include "tests/lab/gui_lab_fixture.h"

#include <array>
#include <functional>

#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/network_page.h"
#include "app/template_builder.h"

namespace ktr::labgui {
namespace {

const char *const kSuccessNetworkRead = "读取网络参数成功！";
const char *const kSuccessDeviceRead = "读取设备参数成功！";
const char *const kSuccessDeviceWrite = "下载设备参数成功！";
const Bytes kDevice0 = MacBytes(kFirstMac);

Bytes Join(ByteView a, ByteView b)
{
    Bytes joined(a.begin(), a.end());
    joined.insert(joined.end(), b.begin(), b.end());
    return joined;
}

void PutLe(Bytes &bytes, std::size_t at, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A network record as the simulator's help describes its factory settings for device address
// a.b.c.d: static mode, mask 255.255.255.0, gateway a.b.c.1, six opaque bytes, 8 connections,
// server n with ports 1999 + n and target "192.168.0.166".
Bytes FactoryNetworkRecord(std::uint32_t ip)
{
    Bytes block(292, 0);
    block[0] = 0x80;
    PutLe(block, 1, ip, 4);
    PutLe(block, 5, (ip & 0xFFFFFF00u) | 1u, 4);
    PutLe(block, 9, 0xFFFFFF00u, 4);
    const Bytes opaque = Hex("4B 54 52 01 02 03");
    std::copy(opaque.begin(), opaque.end(), block.begin() + 13);
    block[19] = 8;
    for (std::size_t n = 0; n < 8; ++n) {
        const std::size_t entry = 20 + 34 * n;
        PutLe(block, entry, static_cast<std::uint32_t>(2000 + n), 2);
        PutLe(block, entry + 2, static_cast<std::uint32_t>(2000 + n), 2);
        const std::string_view target = "192.168.0.166";
        std::copy(target.begin(), target.end(), block.begin() + static_cast<long>(entry) + 4);
    }
    return block;
}

// The device record's fields in the order of the tunnel frame.
struct DeviceRecord
{
    std::uint8_t serverCount = 2;
    std::uint32_t terminalAddress = 0x0A0B0C0D;
    std::uint16_t login = 30;
    std::uint16_t heartbeat = 120;
    std::uint16_t report = 300;
    std::uint8_t workMode = 1;
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;
    std::uint8_t parity = 2;
    std::uint8_t stopBits = 1;
    std::uint8_t modbusCount = 2;
    std::array<std::uint8_t, 8> channels{11, 12, 13, 14, 15, 16, 17, 18};
    // Per channel: upper and lower temperature, upper and lower humidity, in tenths.
    std::array<std::array<std::int16_t, 4>, 8> limits = [] {
        std::array<std::array<std::int16_t, 4>, 8> l{};
        l.fill({500, -100, 900, 100});
        return l;
    }();
};

// The 96-byte write frame: 7E 11, the record, the CRC low byte first.
Bytes TunnelWrite(const DeviceRecord &r)
{
    Bytes frame(96, 0);
    frame[0] = 0x7E;
    frame[1] = 0x11;
    frame[2] = r.serverCount;
    PutLe(frame, 3, r.terminalAddress, 4);
    PutLe(frame, 7, r.login, 2);
    PutLe(frame, 9, r.heartbeat, 2);
    PutLe(frame, 11, r.report, 2);
    frame[13] = r.workMode;
    PutLe(frame, 14, r.baudRate, 4);
    frame[18] = r.dataBits;
    frame[19] = r.parity;
    frame[20] = r.stopBits;
    frame[21] = r.modbusCount;
    std::copy(r.channels.begin(), r.channels.end(), frame.begin() + 22);
    for (std::size_t n = 0; n < 8; ++n) {
        for (std::size_t k = 0; k < 4; ++k)
            PutLe(frame, 30 + 8 * n + 2 * k, static_cast<std::uint16_t>(r.limits[n][k]), 2);
    }
    const std::uint16_t crc = ModbusCrc(ByteView(frame).first(94));
    PutLe(frame, 94, crc, 2);
    return frame;
}

class PagesLab : public GuiLab
{
protected:
    // Repeats the action until done() holds, as a person does while a device restarts.
    bool retry(const std::function<void()> &action, const std::function<bool()> &done,
               std::chrono::milliseconds timeout = 5s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        do {
            action();
            if (waitFor(done, 400ms))
                return true;
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    // Searches until the one device is listed, then reads its network settings.
    void findAndRead(const QString &mac = "000EEB000001")
    {
        ASSERT_TRUE(retry([&] { search(); }, [&] { return rows() == 1; })) << "no device listed";
        ASSERT_EQ(cell(0, 2), mac);
        readNetwork();
    }

    void readNetwork()
    {
        ASSERT_TRUE(retry([&] { doubleClickRow(0); },
                          [&] { return messages().contains(kSuccessNetworkRead); }))
            << messages().toStdString();
        // A read while the device restarts after a write waits for its re-read, whose outcome
        // line comes before the page's.
        EXPECT_TRUE(messages().startsWith("读取参数...\n")) << messages().toStdString();
        EXPECT_TRUE(messages().endsWith(QString(kSuccessNetworkRead) + "\n"));
        EXPECT_FALSE(messages().contains("没有应答")) << messages().toStdString();
    }

    void readDevice()
    {
        ASSERT_TRUE(retry([&] { click(deviceControl(ids::kReadDeviceBlock)); },
                          [&] { return messages().contains(kSuccessDeviceRead); }))
            << messages().toStdString();
        EXPECT_EQ(messages(), QString("读取设备参数...\n") + kSuccessDeviceRead + "\n");
    }

    QString network(int id) const { return fieldText(networkControl(id)); }
    QString device(int id) const { return fieldText(deviceControl(id)); }

    // The page as the simulator's factory network settings for 192.168.0.10 fill it.
    void expectFactoryNetworkPage()
    {
        EXPECT_EQ(network(ids::kIpMode), "StaticIP");
        EXPECT_EQ(network(ids::kStaticIp), "192.168.0.10");
        EXPECT_EQ(network(ids::kSubnetMask), "255.255.255.0");
        EXPECT_EQ(network(ids::kGateway), "192.168.0.1");
        EXPECT_EQ(network(ids::kMaxConnections), "8");
        for (std::size_t n = 0; n < 8; ++n) {
            SCOPED_TRACE(n + 1);
            EXPECT_EQ(network(ids::kServers[n].localPort), QString::number(2000 + n));
            EXPECT_EQ(network(ids::kServers[n].targetPort), QString::number(2000 + n));
            EXPECT_EQ(network(ids::kServers[n].targetAddress), "192.168.0.166");
        }
    }

    void expectFactoryDevicePage()
    {
        EXPECT_EQ(device(ids::kServerCountCombo), "2");
        EXPECT_EQ(device(ids::kTerminalAddress), "0a0b0c0d");
        EXPECT_EQ(device(ids::kLoginInterval), "30");
        EXPECT_EQ(device(ids::kHeartbeatInterval), "120");
        EXPECT_EQ(device(ids::kReportInterval), "300");
        EXPECT_EQ(device(ids::kWorkMode), "Modbus温湿度传感器");
        EXPECT_EQ(device(ids::kBaudRate), "9600");
        EXPECT_EQ(device(ids::kDataBits), "8");
        EXPECT_EQ(device(ids::kParity), "EVEN");
        EXPECT_EQ(device(ids::kStopBits), "1");
        EXPECT_EQ(device(ids::kModbusCount), "2");
        for (std::size_t n = 0; n < 8; ++n) {
            SCOPED_TRACE(n + 1);
            EXPECT_EQ(device(ids::kChannelAddress[n]), QString::number(11 + n));
            EXPECT_EQ(device(ids::kTempHigh[n]), "50.0");
            EXPECT_EQ(device(ids::kTempLow[n]), "-10.0");
            EXPECT_EQ(device(ids::kHumHigh[n]), "90.0");
            EXPECT_EQ(device(ids::kHumLow[n]), "10.0");
        }
    }

    // Fields a person types over and never writes; a read must replace them.
    void scratch(QWidget *page, std::initializer_list<int> fields)
    {
        for (int id : fields)
            typeOver(FindControl(*page, id), "x");
    }
};

TEST_F(PagesLab, NetworkSettingsWrittenRestartTheDeviceAndReadBack)
{
    startSim(1);
    ASSERT_TRUE(retry([&] { search(); }, [&] { return rows() == 1; }));
    forgetRequests();
    doubleClickRow(0);
    expectSent(Hex("AA 00 07 03 00 0E EB 00 00 01 FD"));
    ASSERT_TRUE(waitForMessage(kSuccessNetworkRead));
    EXPECT_EQ(messages(), QString("读取参数...\n") + kSuccessNetworkRead + "\n");
    EXPECT_EQ(network(ids::kMacEdit), "00-0E-EB-00-00-01");
    expectFactoryNetworkPage();
    shoot("e2e-network-page.png");

    typeOver(networkControl(ids::kStaticIp), "192.168.0.77");
    typeOver(networkControl(ids::kSubnetMask), "255.255.0.0");
    typeOver(networkControl(ids::kGateway), "192.168.0.254");
    typeOver(networkControl(ids::kServers[0].targetAddress), "服务器.例子");
    typeOver(networkControl(ids::kServers[2].localPort), "4464");
    typeOver(networkControl(ids::kServers[7].targetPort), "65535");
    stepCombo(networkControl(ids::kMaxConnections), -1);
    ASSERT_EQ(network(ids::kMaxConnections), "7");

    Bytes block = FactoryNetworkRecord(0xC0A8000A);
    PutLe(block, 1, 0xC0A8004D, 4);
    PutLe(block, 5, 0xC0A800FE, 4);
    PutLe(block, 9, 0xFFFF0000, 4);
    block[19] = 7;
    // The Chinese address in code page 936 and its end mark; the rest of the field keeps what
    // the read delivered ("...66" of 192.168.0.166).
    const Bytes gbk = Hex("B7 FE CE F1 C6 F7 2E C0 FD D7 D3 00");
    std::copy(gbk.begin(), gbk.end(), block.begin() + 24);
    PutLe(block, 20 + 34 * 2, 4464, 2);
    PutLe(block, 20 + 34 * 7 + 2, 65535, 2);
    forgetRequests();
    click(networkControl(ids::kConfigureNetwork));
    expectSent(RequestFrame(0x04, Join(kDevice0, block)));
    EXPECT_EQ(messages(), "设置参数... \n");
    ASSERT_TRUE(sim.waitForLine("write-network -> reply", 2s));

    // What the page shows from here on must come from the device.
    scratch(dialog->networkPage(),
            {ids::kStaticIp, ids::kSubnetMask, ids::kGateway, ids::kServers[0].targetAddress,
             ids::kServers[2].localPort, ids::kServers[7].targetPort});
    findAndRead();
    EXPECT_EQ(cell(0, 0), "192.168.0.77") << "the device announces its new static address";
    EXPECT_EQ(network(ids::kStaticIp), "192.168.0.77");
    EXPECT_EQ(network(ids::kSubnetMask), "255.255.0.0");
    EXPECT_EQ(network(ids::kGateway), "192.168.0.254");
    EXPECT_EQ(network(ids::kServers[0].targetAddress), "服务器.例子");
    EXPECT_EQ(network(ids::kServers[2].localPort), "4464");
    EXPECT_EQ(network(ids::kServers[7].targetPort), "65535");
    EXPECT_EQ(network(ids::kMaxConnections), "7");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PagesLab, BlankedFieldRefusesTheWriteAndNothingGoesOnTheWire)
{
    startSim(1);
    findAndRead();
    const QString messagesBefore = messages();
    typeOver(networkControl(ids::kServers[2].targetPort), "");
    forgetRequests();
    click(networkControl(ids::kConfigureNetwork));

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "服务器3 目标端口：应为0-65535的整数");
    EXPECT_EQ(boxes.boxes[0].caption, "输入错误");
    EXPECT_TRUE(requestsSeen().empty()) << "a refused write sends nothing";
    QWidget *field = networkControl(ids::kServers[2].targetPort);
    EXPECT_EQ(field->window()->focusWidget(), field) << "the focus waits in the field";
    EXPECT_EQ(messages(), messagesBefore);
    EXPECT_EQ(network(ids::kStaticIp), kFirstIp) << "the rest of the page is as read";

    // Typed back, the same write goes out.
    typeOver(networkControl(ids::kServers[2].targetPort), "2002");
    click(networkControl(ids::kConfigureNetwork));
    EXPECT_EQ(requestsSeen().size(), 1u);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(PagesLab, NewMacIsListedByTheNextSearch)
{
    startSim(1);
    findAndRead();
    typeOver(networkControl(ids::kMacEdit), "00-0e-eb-00-00-99");
    forgetRequests();
    click(networkControl(ids::kWriteMac));
    expectSent(Hex("AA 00 0D 0F 00 0E EB 00 00 01 00 0E EB 00 00 99 9B"));
    EXPECT_EQ(messages(), "写入MAC地址...\n");
    ASSERT_TRUE(sim.waitForLine("write-mac to 00-0E-EB-00-00-99", 2s));

    findAndRead("000EEB000099");
    EXPECT_EQ(network(ids::kMacEdit), "00-0E-EB-00-00-99");
    // The read went to the new address.
    const std::vector<Bytes> seen = requestsSeen();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), Hex("AA 00 07 03 00 0E EB 00 00 99 95"));
}

TEST_F(PagesLab, DeviceSettingsWrittenAreReadBack)
{
    startSim(1);
    findAndRead();
    showTab(1);
    forgetRequests();
    click(deviceControl(ids::kReadDeviceBlock));
    expectSent(Hex("AA 00 0B 0A 00 0E EB 00 00 01 7E 10 21 DC 8F"));
    ASSERT_TRUE(waitForMessage(kSuccessDeviceRead));
    EXPECT_EQ(messages(), QString("读取设备参数...\n") + kSuccessDeviceRead + "\n");
    expectFactoryDevicePage();
    shoot("e2e-device-page.png");

    stepCombo(deviceControl(ids::kServerCountCombo), 3);
    typeOver(deviceControl(ids::kTerminalAddress), "1234566f");
    typeOver(deviceControl(ids::kLoginInterval), "4464");
    typeOver(deviceControl(ids::kHeartbeatInterval), "65");
    stepCombo(deviceControl(ids::kWorkMode), 1);
    typeOver(deviceControl(ids::kBaudRate), "115200");
    stepCombo(deviceControl(ids::kParity), -1);
    stepCombo(deviceControl(ids::kStopBits), 1);
    typeOver(deviceControl(ids::kModbusCount), "3");
    typeOver(deviceControl(ids::kChannelAddress[0]), "44");
    typeOver(deviceControl(ids::kTempHigh[0]), "120");
    typeOver(deviceControl(ids::kTempLow[0]), "-40");
    typeOver(deviceControl(ids::kHumHigh[0]), "99.9");
    typeOver(deviceControl(ids::kHumLow[0]), "20.5");
    typeOver(deviceControl(ids::kTempLow[1]), "-0.5");
    typeOver(deviceControl(ids::kHumHigh[1]), "45.6");
    typeOver(deviceControl(ids::kHumHigh[7]), "0");
    typeOver(deviceControl(ids::kHumLow[7]), "0");

    DeviceRecord written;
    written.serverCount = 5;
    written.terminalAddress = 0x1234566F;
    written.login = 4464;
    written.heartbeat = 65;
    written.workMode = 2;
    written.baudRate = 115200;
    written.parity = 1;
    written.stopBits = 2;
    written.modbusCount = 3;
    written.channels[0] = 44;
    written.limits[0] = {1200, -400, 999, 205};
    written.limits[1] = {500, -5, 456, 100};
    written.limits[7] = {500, -100, 0, 0};
    forgetRequests();
    click(deviceControl(ids::kWriteDeviceBlock));
    expectSent(RequestFrame(0x0A, Join(kDevice0, TunnelWrite(written))));
    ASSERT_TRUE(waitForMessage(kSuccessDeviceWrite));
    EXPECT_EQ(messages(), QString("设置参数... \n") + kSuccessDeviceWrite + "\n");

    scratch(dialog->devicePage(), {ids::kTerminalAddress, ids::kLoginInterval, ids::kTempHigh[0],
                                   ids::kHumLow[0], ids::kTempLow[1]});
    readDevice();
    EXPECT_EQ(device(ids::kServerCountCombo), "5");
    EXPECT_EQ(device(ids::kTerminalAddress), "1234566f");
    EXPECT_EQ(device(ids::kLoginInterval), "4464");
    EXPECT_EQ(device(ids::kHeartbeatInterval), "65");
    EXPECT_EQ(device(ids::kReportInterval), "300");
    EXPECT_EQ(device(ids::kWorkMode), "0-5V温湿度变送器");
    EXPECT_EQ(device(ids::kBaudRate), "115200");
    EXPECT_EQ(device(ids::kDataBits), "8");
    EXPECT_EQ(device(ids::kParity), "ODD");
    EXPECT_EQ(device(ids::kStopBits), "2");
    EXPECT_EQ(device(ids::kModbusCount), "3");
    EXPECT_EQ(device(ids::kChannelAddress[0]), "44");
    EXPECT_EQ(device(ids::kTempHigh[0]), "120.0");
    EXPECT_EQ(device(ids::kTempLow[0]), "-40.0");
    EXPECT_EQ(device(ids::kHumHigh[0]), "99.9");
    EXPECT_EQ(device(ids::kHumLow[0]), "20.5");
    EXPECT_EQ(device(ids::kTempLow[1]), "-0.5");
    EXPECT_EQ(device(ids::kHumHigh[1]), "45.6");
    EXPECT_EQ(device(ids::kHumHigh[7]), "0.0");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PagesLab, LoadDefaultsRestoresTheFactorySettingsOfBothRecords)
{
    startSim(1);
    findAndRead();
    typeOver(networkControl(ids::kStaticIp), "192.168.0.77");
    typeOver(networkControl(ids::kServers[0].localPort), "4000");
    click(networkControl(ids::kConfigureNetwork));
    ASSERT_TRUE(sim.waitForLine("write-network -> reply", 2s));
    showTab(1);
    ASSERT_TRUE(retry([&] { click(deviceControl(ids::kReadDeviceBlock)); },
                      [&] { return messages().contains(kSuccessDeviceRead); }));
    typeOver(deviceControl(ids::kTerminalAddress), "cafe0001");
    click(deviceControl(ids::kWriteDeviceBlock));
    ASSERT_TRUE(waitForMessage(kSuccessDeviceWrite));

    showTab(0);
    forgetRequests();
    boxes.answerYes = true;
    click(networkControl(ids::kLoadDefaults));
    expectSent(Hex("AA 00 07 06 00 0E EB 00 00 01 00"));
    EXPECT_EQ(messages(), "恢复出厂设置...\n");
    ASSERT_TRUE(sim.waitForLine("factory-reset -> reply", 2s));
    // The page is not touched by the command itself.
    EXPECT_EQ(network(ids::kStaticIp), "192.168.0.77");
    EXPECT_EQ(network(ids::kServers[0].localPort), "4000");

    findAndRead();
    EXPECT_EQ(cell(0, 0), "192.168.0.10");
    expectFactoryNetworkPage();
    showTab(1);
    readDevice();
    expectFactoryDevicePage();
}

} // namespace
} // namespace ktr::labgui
