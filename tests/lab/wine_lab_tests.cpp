// The Windows build of ktr-sim, run by Wine in the lab's devices namespace, against the real
// Linux window in the PC namespace: a search lists its devices, a double-click reads the
// network settings of one. KTR_SIM names a launcher that starts ktr-sim.exe through Wine.
#include "tests/lab/gui_lab_fixture.h"

#include "app/control_ids.h"

namespace ktr::labgui {
namespace {

class WineSimLab : public GuiLab
{
protected:
    // Wine starts its services with the first program of a prefix; the first reply may be slow.
    static constexpr auto kWineTimeout = 15s;

    void stopSim()
    {
        // Wine ends a Windows program on SIGTERM without the program's own clean exit, so only
        // that it ended counts here.
        EXPECT_NE(sim.stop(), -1);
        EXPECT_TRUE(sim.countLines("ready: 2 devices") == 1) << "no ready line from ktr-sim.exe";
    }
};

TEST_F(WineSimLab, SearchListsTheWindowsSimulatorsDevicesAndAReadFillsTheNetworkPage)
{
    startSim(2);
    search();
    ASSERT_TRUE(waitForRows(2, kWineTimeout)) << rows() << " rows";
    EXPECT_EQ(cell(0, 0), "192.168.0.11");
    EXPECT_EQ(cell(0, 2), "000EEB000002");
    EXPECT_EQ(cell(1, 0), "192.168.0.10");
    EXPECT_EQ(cell(1, 1), "QX-HT-LAN");
    EXPECT_EQ(cell(1, 2), "000EEB000001");
    EXPECT_EQ(cell(1, 3), "288");
    EXPECT_EQ(sim.countLines("search -> reply"), 2u);

    doubleClickRow(1);
    ASSERT_TRUE(waitForMessage("读取网络参数成功！", kWineTimeout)) << messages().toStdString();
    EXPECT_EQ(fieldText(networkControl(ids::kMacEdit)), "00-0E-EB-00-00-01");
    EXPECT_EQ(fieldText(networkControl(ids::kIpMode)), "StaticIP");
    EXPECT_EQ(fieldText(networkControl(ids::kStaticIp)), "192.168.0.10");
    EXPECT_EQ(fieldText(networkControl(ids::kSubnetMask)), "255.255.255.0");
    EXPECT_EQ(fieldText(networkControl(ids::kGateway)), "192.168.0.1");
    EXPECT_TRUE(boxes.boxes.empty());
    stopSim();
}

} // namespace
} // namespace ktr::labgui
