// The two parameter pages: their start-up values, switching between them, the IP-mode rule and
// the placement of controls from dialog units.
#include "gui_support.h"

#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/dialog_units.h"
#include "app/network_page.h"
#include "app/tab_control.h"
#include "res/dialog_templates.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

namespace ktr::test {
namespace {

QString Text(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        return edit->text();
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        return combo->currentText();
    }
    ADD_FAILURE() << "no edit or combo";
    return {};
}

void ClickTab(MainDialog &dialog, int index)
{
    QTabBar *bar = dialog.tabControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

using PageTest = MainWindowTest;

TEST_F(PageTest, DevicePageShowsItsStartValues)
{
    std::vector<std::pair<int, QString>> expected{
        {ids::kServerCountCombo, "8"}, {ids::kTerminalAddress, "12345678"},
        {ids::kLoginInterval, "3"},    {ids::kHeartbeatInterval, "60"},
        {ids::kReportInterval, "5"},   {ids::kWorkMode, "温湿度探头"},
        {ids::kBaudRate, "4800"},      {ids::kDataBits, "8"},
        {ids::kParity, "NONE"},        {ids::kStopBits, "1"},
        {ids::kModbusCount, "1"},
    };
    for (int k = 0; k < 8; ++k) {
        const auto i = static_cast<std::size_t>(k);
        expected.emplace_back(ids::kChannelAddress[i], QString::number(k + 1));
        expected.emplace_back(ids::kTempHigh[i], "99.9");
        expected.emplace_back(ids::kTempLow[i], "0");
        expected.emplace_back(ids::kHumHigh[i], "99.9");
        expected.emplace_back(ids::kHumLow[i], "0");
    }
    for (const auto &[id, text] : expected) {
        EXPECT_EQ(Text(deviceControl(id)), text) << "control " << id;
    }
    EXPECT_EQ(qobject_cast<QComboBox *>(deviceControl(ids::kParity))->currentIndex(), 0);
    EXPECT_EQ(qobject_cast<QComboBox *>(deviceControl(ids::kWorkMode))->count(), 6);
}

TEST_F(PageTest, NetworkPageShowsItsStartValues)
{
    EXPECT_EQ(Text(networkControl(ids::kStaticIp)), "192.168.0.9");
    EXPECT_EQ(Text(networkControl(ids::kSubnetMask)), "255.255.255.0");
    EXPECT_EQ(Text(networkControl(ids::kGateway)), "192.168.0.1");
    EXPECT_EQ(Text(networkControl(ids::kIpMode)), "StaticIP");
    EXPECT_EQ(Text(networkControl(ids::kMaxConnections)), "8");
    EXPECT_EQ(Text(networkControl(ids::kMacEdit)), "00-0E-EB-00-00-00");
    for (std::size_t n = 0; n < ids::kServers.size(); ++n) {
        const QString port = QString::number(2000 + static_cast<int>(n));
        EXPECT_EQ(Text(networkControl(ids::kServers[n].localPort)), port);
        EXPECT_EQ(Text(networkControl(ids::kServers[n].targetPort)), port);
        EXPECT_EQ(Text(networkControl(ids::kServers[n].targetAddress)), "192.168.0.166");
    }
}

TEST_F(PageTest, SwitchingTabsKeepsTypedValuesOnBothPages)
{
    auto *staticIp = qobject_cast<QLineEdit *>(networkControl(ids::kStaticIp));
    staticIp->selectAll();
    QTest::keyClicks(staticIp, "10.1.2.3");
    auto *maxConnections = qobject_cast<QComboBox *>(networkControl(ids::kMaxConnections));
    maxConnections->setEditText("5");

    ClickTab(*dialog, 1);
    EXPECT_FALSE(dialog->networkPage()->isVisible());
    EXPECT_TRUE(dialog->devicePage()->isVisible());
    auto *terminal = qobject_cast<QLineEdit *>(deviceControl(ids::kTerminalAddress));
    terminal->selectAll();
    QTest::keyClicks(terminal, "CAFE0001");
    qobject_cast<QComboBox *>(deviceControl(ids::kParity))->setCurrentIndex(2);

    ClickTab(*dialog, 0);
    EXPECT_TRUE(dialog->networkPage()->isVisible());
    EXPECT_FALSE(dialog->devicePage()->isVisible());
    EXPECT_EQ(staticIp->text(), "10.1.2.3");
    EXPECT_EQ(maxConnections->currentText(), "5");

    ClickTab(*dialog, 1);
    EXPECT_EQ(terminal->text(), "CAFE0001");
    EXPECT_EQ(Text(deviceControl(ids::kParity)), "EVEN");
    EXPECT_EQ(Text(deviceControl(ids::kBaudRate)), "4800");
}

TEST_F(PageTest, TheDevicePageIsBuiltWhenItsTabIsFirstChosenWithItsStartValues)
{
    EXPECT_EQ(dialog->findChild<DevicePage *>(), nullptr) << "not built for the first paint";
    ClickTab(*dialog, 1);
    auto *page = dialog->findChild<DevicePage *>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page, dialog->devicePage());
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(dialog->networkPage()->isVisible());
    EXPECT_EQ(page->geometry(), dialog->networkPage()->geometry());
    EXPECT_EQ(Text(deviceControl(ids::kTerminalAddress)), "12345678");
    EXPECT_EQ(page->findChild<QLabel *>(QStringLiteral("deviceSource"))->text(),
              QStringLiteral("尚未读取设备参数，下面是默认值"));
    ClickTab(*dialog, 0);
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(dialog->findChildren<DevicePage *>().size(), 1);
}

TEST_F(PageTest, DhcpGreysTheStaticAddressFieldsAndStaticIpEnablesThem)
{
    auto *mode = qobject_cast<QComboBox *>(networkControl(ids::kIpMode));
    const std::array fields{networkControl(ids::kStaticIp), networkControl(ids::kSubnetMask),
                            networkControl(ids::kGateway)};
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Down);
    ASSERT_EQ(mode->currentText(), "DHCP/autoIP");
    for (QWidget *field : fields) {
        EXPECT_FALSE(field->isEnabled()) << field->objectName().toStdString();
    }
    // Switching tabs changes nothing about it.
    ClickTab(*dialog, 1);
    ClickTab(*dialog, 0);
    for (QWidget *field : fields) {
        EXPECT_FALSE(field->isEnabled());
    }
    QTest::keyClick(mode, Qt::Key_Up);
    ASSERT_EQ(mode->currentText(), "StaticIP");
    for (QWidget *field : fields) {
        EXPECT_TRUE(field->isEnabled());
    }
}

TEST_F(PageTest, PagesFillTheTabControlBelowItsTabs)
{
    TabControl *tabs = dialog->tabControl();
    const QRect page = dialog->networkPage()->geometry();
    EXPECT_EQ(page, dialog->devicePage()->geometry());
    EXPECT_EQ(page.left(), 8);
    EXPECT_EQ(page.right(), tabs->width() - 9);
    EXPECT_EQ(page.bottom(), tabs->height() - 9);
    EXPECT_GE(page.top(), 20);
    EXPECT_GE(page.top(), tabs->tabBar()->geometry().bottom());
}

// Positions in pixels follow the dialog units of the templates.
struct PlacementCase
{
    int templateId;
    int controlId;
    QRect dialogUnits;
};

class PlacementTest : public MainWindowTest, public ::testing::WithParamInterface<PlacementCase>
{
};

TEST_P(PlacementTest, ControlSitsAtItsTemplatePosition)
{
    const PlacementCase &c = GetParam();
    QWidget *owner = c.templateId == kMainTemplate ? static_cast<QWidget *>(dialog.get())
                     : c.templateId == kNetworkPageTemplate
                         ? static_cast<QWidget *>(dialog->networkPage())
                         : static_cast<QWidget *>(dialog->devicePage());
    QWidget *control = FindControl(*owner, c.controlId);
    ASSERT_NE(control, nullptr);
    const BaseUnits units = MeasureBaseUnits(owner->font());
    const QRect &d = c.dialogUnits;
    EXPECT_EQ(control->geometry(), DialogRectToPixels(d.x(), d.y(), d.width(), d.height(), units));
    EXPECT_EQ(control->pos(), QPoint((d.x() * units.cx + 2) / 4, (d.y() * units.cy + 4) / 8));
}

INSTANTIATE_TEST_SUITE_P(
    Samples, PlacementTest,
    ::testing::Values(PlacementCase{kMainTemplate, 1002, {157, 22, 77, 21}},
                      PlacementCase{kMainTemplate, 1001, {7, 64, 240, 143}},
                      PlacementCase{kMainTemplate, 1007, {7, 227, 240, 131}},
                      PlacementCase{kMainTemplate, 1047, {254, 7, 315, 352}},
                      PlacementCase{kNetworkPageTemplate, 1057, {202, 29, 73, 12}},
                      PlacementCase{kNetworkPageTemplate, 1024, {33, 308, 53, 22}},
                      PlacementCase{kNetworkPageTemplate, 1031, {184, 295, 44, 12}},
                      PlacementCase{kDevicePageTemplate, 1057, {99, 159, 40, 14}},
                      PlacementCase{kDevicePageTemplate, 1093, {218, 290, 27, 13}},
                      PlacementCase{kDevicePageTemplate, 1048, {159, 311, 59, 21}}),
    [](const ::testing::TestParamInfo<PlacementCase> &info) {
        return "Template" + std::to_string(info.param.templateId) + "Control" +
               std::to_string(info.param.controlId);
    });

// The four limit columns of the Modbus rows are headed by statics at the top of the rows.
TEST_F(PageTest, LimitColumnHeadingsSitAtTheirTemplatePositions)
{
    const BaseUnits units = MeasureBaseUnits(dialog->devicePage()->font());
    const std::pair<const char *, int> headings[] = {
        {"温度上限", 146}, {"温度下限", 182}, {"湿度上限", 218}, {"湿度下限", 254}};
    for (const auto &[text, x] : headings) {
        const QLabel *heading = nullptr;
        for (const QLabel *label : dialog->devicePage()->findChildren<QLabel *>()) {
            if (label->text() == QString::fromUtf8(text))
                heading = label;
        }
        ASSERT_NE(heading, nullptr) << text;
        EXPECT_EQ(heading->pos(),
                  QPoint(HorizontalDluToPixels(x, units), VerticalDluToPixels(161, units)))
            << text;
    }
}

TEST(DialogUnitsTest, ConvertWithRoundingLikeTheDialogManager)
{
    const BaseUnits simSun{6, 12}; // SimSun 9 pt at 96 dpi
    EXPECT_EQ(DialogRectToPixels(579, 366, 52, 12, simSun), QRect(869, 549, 78, 18));
    const BaseUnits odd{7, 17};
    EXPECT_EQ(HorizontalDluToPixels(1, odd), 2); // 1.75
    EXPECT_EQ(HorizontalDluToPixels(2, odd), 4); // 3.5 rounds up
    EXPECT_EQ(VerticalDluToPixels(3, odd), 6);   // 6.375
    EXPECT_EQ(VerticalDluToPixels(12, odd), 26); // 25.5 rounds up
    EXPECT_EQ(HorizontalDluToPixels(-2, odd), -4);
}

TEST(DialogUnitsTest, BaseUnitsGrowWithTheFont)
{
    QFont small = DialogFont(QStringLiteral("宋体"), 9);
    QFont large = DialogFont(QStringLiteral("宋体"), 18);
    const BaseUnits a = MeasureBaseUnits(small);
    const BaseUnits b = MeasureBaseUnits(large);
    EXPECT_GT(a.cx, 0);
    EXPECT_GT(a.cy, 0);
    EXPECT_GT(b.cx, a.cx);
    EXPECT_GT(b.cy, a.cy);
}

} // namespace
} // namespace ktr::test
