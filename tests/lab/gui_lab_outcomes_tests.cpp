// Outcomes through the real window on the lab: answers taken only from the device asked,
// deadlines, writes checked after the device's restart, the reset question, and endpoints that
// follow the PC's addresses.
#include "tests/lab/gui_lab_fixture.h"

#include <QElapsedTimer>
#include <QTreeWidget>

#include <cstdlib>

#include "app/control_ids.h"

namespace ktr::labgui {
namespace {

class OutcomesLab : public GuiLab
{
protected:
    int rowOf(const QString &mac) const
    {
        for (int row = 0; row < rows(); ++row) {
            if (cell(row, 2) == mac)
                return row;
        }
        return -1;
    }
    QString network(int id) const { return fieldText(networkControl(id)); }
    // Milliseconds until the message area holds the text, or -1.
    qint64 msUntilMessage(const QString &text, std::chrono::milliseconds timeout)
    {
        QElapsedTimer clock;
        clock.start();
        return waitForMessage(text, timeout) ? clock.elapsed() : -1;
    }
    void searchFor(int count)
    {
        search();
        ASSERT_TRUE(waitForRows(count, 5s)) << rows() << " rows";
    }
};

TEST_F(OutcomesLab, ALateAnswerOfTheFirstDeviceIsNotWrittenIntoTheSecond)
{
    startSim(2, {"--delay", "0", "--delay-ms", "2500"});
    searchFor(2);
    const int row0 = rowOf("000EEB000001");
    const int row1 = rowOf("000EEB000002");
    ASSERT_GE(row0, 0);
    ASSERT_GE(row1, 0);
    doubleClickRow(row0);
    QTest::qWait(200);
    doubleClickRow(row1);
    ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
    EXPECT_EQ(network(ids::kStaticIp), "192.168.0.11");
    // Device 0's answer arrives 2.5 s after its read, and must change nothing.
    ASSERT_TRUE(sim.waitForLines("read-network -> reply", 2, 3s));
    QTest::qWait(2800);
    EXPECT_EQ(network(ids::kStaticIp), "192.168.0.11");
    EXPECT_EQ(network(ids::kMacEdit), "00-0E-EB-00-00-02");

    forgetRequests();
    click(networkControl(ids::kConfigureNetwork));
    const std::vector<Bytes> seen = requestsSeen();
    ASSERT_FALSE(seen.empty());
    const Bytes &write = seen.front();
    ASSERT_EQ(write.size(), 303u);
    EXPECT_EQ(Bytes(write.begin() + 4, write.begin() + 10), MacBytes("00-0E-EB-00-00-02"));
    // Its own static IP 192.168.0.11, little-endian at offset 1 of the record.
    EXPECT_EQ(Bytes(write.begin() + 11, write.begin() + 15), Hex("0B 00 A8 C0"));
}

TEST_F(OutcomesLab, ADroppedReadSaysTheDeviceDidNotAnswerWithinItsDeadline)
{
    startSim(1);
    searchFor(1);
    sim.stop();
    startSim(1, {"--drop", "0"});
    doubleClickRow(0);
    const qint64 ms = msUntilMessage("设备00-0E-EB-00-00-01没有应答", 5s);
    RecordProperty("no_answer_ms", static_cast<int>(ms));
    std::printf("no-answer line after %lld ms\n", static_cast<long long>(ms));
    EXPECT_GE(ms, 2900);
    EXPECT_LE(ms, 3600);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(OutcomesLab, ANetworkWriteReportsWhatTookEffectAndWhatDid)
{
    for (const bool ignoring : {false, true}) {
        SCOPED_TRACE(ignoring);
        sim.stop();
        if (ignoring)
            startSim(1, {"--ignore-writes", "0"});
        else
            startSim(1);
        searchFor(1);
        doubleClickRow(0);
        ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
        typeOver(networkControl(ids::kStaticIp), "192.168.0.77");
        click(networkControl(ids::kConfigureNetwork));
        const QString outcome = ignoring ? "静态IP：写入 192.168.0.77，设备为 192.168.0.10"
                                         : "设备已重启，网络参数已生效";
        // A device that keeps its old values is read until the check's ten seconds are over.
        const qint64 ms = msUntilMessage(outcome, 12s);
        std::printf("%s write: outcome after %lld ms\n", ignoring ? "ignored" : "applied",
                    static_cast<long long>(ms));
        ASSERT_GE(ms, 0) << messages().toStdString();
        if (ignoring) {
            EXPECT_TRUE(messages().contains("以下网络参数与写入的不一致"));
        }
    }
}

TEST_F(OutcomesLab, AReadRightAfterAWriteWaitsOutTheRestart)
{
    startSim(1, {"--restart-ms", "1500"});
    searchFor(1);
    doubleClickRow(0);
    ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
    typeOver(networkControl(ids::kStaticIp), "192.168.0.78");
    click(networkControl(ids::kConfigureNetwork));
    typeOver(networkControl(ids::kStaticIp), "scribble");
    doubleClickRow(0);
    EXPECT_TRUE(messages().contains("设备正在重启，等设备重新上线后读取..."));
    ASSERT_TRUE(waitForMessage("读取网络参数成功！", 5s)) << messages().toStdString();
    EXPECT_EQ(network(ids::kStaticIp), "192.168.0.78");
    EXPECT_FALSE(messages().contains("没有应答"));
}

TEST_F(OutcomesLab, AMacWriteIsConfirmedUnderTheNewMac)
{
    startSim(1);
    searchFor(1);
    doubleClickRow(0);
    ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
    typeOver(networkControl(ids::kMacEdit), "00-0e-eb-00-00-99");
    click(networkControl(ids::kWriteMac));
    ASSERT_TRUE(waitForMessage("MAC地址已改为00-0E-EB-00-00-99，设备已用新地址应答", 8s))
        << messages().toStdString();
    EXPECT_TRUE(sim.waitForLine("read-network -> reply", 1s));
    // The next command goes to the MAC the device now answers to.
    showTab(1);
    click(deviceControl(ids::kReadDeviceBlock));
    EXPECT_TRUE(waitForMessage("读取设备参数成功！", 4s)) << messages().toStdString();
}

TEST_F(OutcomesLab, MacsThatWouldBreakADeviceOrTheLanAreRefusedAndNothingSent)
{
    startSim(2);
    searchFor(2);
    doubleClickRow(rowOf("000EEB000001"));
    ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
    const std::pair<QString, QString> refused[] = {
        {"00-00-00-00-00-00", "新MAC地址00-00-00-00-00-00全为零，设备将无法被寻址，没有写入\n"},
        {"FF-FF-FF-FF-FF-FF",
         "新MAC地址FF-FF-FF-FF-FF-FF是广播地址，不能用作设备的地址，没有写入\n"},
        {"01-00-5E-00-00-FB", "新MAC地址01-00-5E-00-00-FB是组播地址（第一个字节为奇数），"
                              "不能用作设备的地址，没有写入\n"},
        {"00-0E-EB-00-00-02", "新MAC地址00-0E-EB-00-00-02已被列表中的另一台设备（IP "
                              "192.168.0.11）使用，两台设备将无法区分，没有写入\n"},
    };
    forgetRequests();
    for (const auto &[typed, message] : refused) {
        typeOver(networkControl(ids::kMacEdit), typed);
        click(networkControl(ids::kWriteMac));
        EXPECT_EQ(messages(), message);
    }
    EXPECT_TRUE(requestsSeen().empty());
    for (const std::string &line : sim.lines())
        EXPECT_EQ(line.find("write-mac"), std::string::npos) << line;
}

TEST_F(OutcomesLab, AfterASearchWithNoDeviceReadTheWritesSendNothing)
{
    startSim(1);
    searchFor(1);
    boxes.answerYes = true;
    forgetRequests();
    for (const int id : {ids::kConfigureNetwork, ids::kLoadDefaults, ids::kWriteMac}) {
        click(networkControl(id));
        EXPECT_EQ(messages(), "请先搜索并双击列表中的设备\n") << id;
    }
    EXPECT_TRUE(requestsSeen().empty()) << "sent to the all-zero MAC";
    EXPECT_TRUE(boxes.questions.empty());
}

TEST_F(OutcomesLab, FactoryResetAsksAndNoSendsNothingYesSendsAndChecks)
{
    startSim(1);
    searchFor(1);
    doubleClickRow(0);
    ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
    typeOver(networkControl(ids::kStaticIp), "192.168.0.77");
    click(networkControl(ids::kConfigureNetwork));
    ASSERT_TRUE(waitForMessage("设备已重启，网络参数已生效", 5s)) << messages().toStdString();
    forgetRequests();
    boxes.answerYes = false;
    click(networkControl(ids::kLoadDefaults));
    ASSERT_EQ(boxes.questions.size(), 1u);
    EXPECT_EQ(boxes.questions[0].text,
              "确定要将设备00-0E-EB-00-00-01（IP 192.168.0.10）恢复出厂设置吗？"
              "设备的网络参数将全部恢复为出厂值。");
    EXPECT_TRUE(requestsSeen().empty());

    boxes.answerYes = true;
    click(networkControl(ids::kLoadDefaults));
    expectSent(Hex("AA 00 07 06 00 0E EB 00 00 01 00"));
    ASSERT_TRUE(waitForMessage("设备已恢复出厂设置并重启，设备IP：192.168.0.10", 5s))
        << messages().toStdString();
    // The page shows what the device now holds, so the next write does not undo the reset.
    EXPECT_TRUE(messages().contains("网络参数页已显示设备恢复出厂设置后的参数"));
    EXPECT_EQ(network(ids::kStaticIp), "192.168.0.10");
    forgetRequests();
    click(networkControl(ids::kConfigureNetwork));
    const std::vector<Bytes> seen = requestsSeen();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(Bytes(seen.front().begin() + 11, seen.front().begin() + 15), Hex("0A 00 A8 C0"));
}

TEST_F(OutcomesLab, AResetTheDeviceIgnoresIsNotReportedDone)
{
    startSim(1, {"--ignore-writes", "0"});
    searchFor(1);
    doubleClickRow(0);
    ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
    boxes.answerYes = true;
    click(networkControl(ids::kLoadDefaults));
    ASSERT_TRUE(waitForMessage("恢复出厂设置没有生效", 12s)) << messages().toStdString();
    EXPECT_FALSE(messages().contains("设备已恢复出厂设置并重启"));
}

TEST_F(OutcomesLab, AnAnswerCarryingAnotherMacIsNotTaken)
{
    startSim(1);
    searchFor(1);
    sim.stop();
    startSim(1, {"--wrong-mac", "0"});
    const QString before = network(ids::kStaticIp);
    doubleClickRow(0);
    ASSERT_TRUE(sim.waitForLine("with wrong MAC", 2s));
    ASSERT_TRUE(waitForMessage("设备00-0E-EB-00-00-01没有应答", 5s));
    EXPECT_EQ(network(ids::kStaticIp), before);
    EXPECT_FALSE(messages().contains("读取网络参数成功"));
}

TEST_F(OutcomesLab, AnAddressRemovedBetweenSearchesGivesNoBox)
{
    startSim(1);
    searchFor(1);
    ASSERT_TRUE(dialog->network().endpoints().slot(1).open);
    ASSERT_EQ(std::system("ip addr del 10.77.2.10/24 dev pc1"), 0);
    search();
    const int restored = std::system("ip addr add 10.77.2.10/24 dev pc1");
    EXPECT_TRUE(waitForRows(1));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_FALSE(dialog->network().endpoints().slot(1).open);
    ASSERT_EQ(restored, 0);
}

} // namespace
} // namespace ktr::labgui
