// What screen readers and UI automation are told about the window and its controls.
#include "gui_support.h"

#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/network_page.h"
#include "app/tab_control.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QLabel>
#include <QTabBar>
#include <QTreeWidget>

#include <map>

namespace ktr::test {
namespace {

QString NameOf(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

std::map<int, QString> ExpectedNetworkNames()
{
    std::map<int, QString> names{
        {ids::kStaticIp, "静态IP"},
        {ids::kSubnetMask, "子网掩码"},
        {ids::kGateway, "网关地址"},
        {ids::kIpMode, "IP获取方式"},
        {ids::kMaxConnections, "最大连接数量"},
        {ids::kMacEdit, "MAC地址"},
        {ids::kWriteMac, "写MAC"},
        {ids::kConfigureNetwork, "参数配置"},
        {ids::kLoadDefaults, "载入默认"},
    };
    for (std::size_t n = 0; n < ids::kServers.size(); ++n) {
        const QString group = QStringLiteral("服务器%1 ").arg(n + 1);
        names[ids::kServers[n].targetPort] = group + "目标端口";
        names[ids::kServers[n].targetAddress] = group + "目标地址";
        names[ids::kServers[n].localPort] = group + "本地端口";
    }
    return names;
}

std::map<int, QString> ExpectedDeviceNames()
{
    std::map<int, QString> names{
        {ids::kServerCountCombo, "服务器数量"},
        {ids::kTerminalAddress, "终端地址"},
        {ids::kLoginInterval, "登陆帧间隔时间"},
        {ids::kHeartbeatInterval, "心跳包间隔时间"},
        {ids::kReportInterval, "主动上送帧间隔时间"},
        {ids::kWorkMode, "工作模式"},
        {ids::kBaudRate, "485口波特率"},
        {ids::kDataBits, "数据位"},
        {ids::kParity, "校验位"},
        {ids::kStopBits, "停止位"},
        {ids::kModbusCount, "Modbus终端数量(1-8)"},
        {ids::kReadDeviceBlock, "读取设备参数"},
        {ids::kWriteDeviceBlock, "配置设备参数"},
    };
    for (std::size_t k = 0; k < 8; ++k) {
        const QString channel = QStringLiteral("%1号通道").arg(k + 1);
        names[ids::kChannelAddress[k]] = channel + "地址";
        names[ids::kTempHigh[k]] = channel + " 温度上限";
        names[ids::kTempLow[k]] = channel + " 温度下限";
        names[ids::kHumHigh[k]] = channel + " 湿度上限";
        names[ids::kHumLow[k]] = channel + " 湿度下限";
    }
    return names;
}

using AccessibilityTest = MainWindowTest;

TEST_F(AccessibilityTest, EveryControlHasItsName)
{
    const std::map<int, QString> mainNames{
        {ids::kLocalAddress, "本机IP"}, {ids::kLocalPort, "本机端口"},
        {ids::kSearch, "搜索"},         {ids::kDeviceListLabel, "设备列表"},
        {ids::kDeviceList, "设备列表"}, {ids::kMessageArea, "信息提示区"},
    };
    const std::pair<QWidget *, std::map<int, QString>> pages[] = {
        {dialog.get(), mainNames},
        {dialog->networkPage(), ExpectedNetworkNames()},
        {dialog->devicePage(), ExpectedDeviceNames()},
    };
    for (const auto &[owner, names] : pages) {
        for (const auto &[id, name] : names) {
            QWidget *control = FindControl(*owner, id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_EQ(NameOf(control), name) << "control " << id;
            EXPECT_EQ(control->accessibleName(), name) << "control " << id;
        }
        // Nothing that takes input was left out of the table.
        for (QWidget *child : owner->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const int id = child->property("ktrId").toInt();
            if (id > 0 && id != ids::kTabs && child->focusPolicy() != Qt::NoFocus) {
                EXPECT_TRUE(names.count(id)) << "no expected name for " << id;
            }
            if (child->property("ktrId").isValid()) {
                EXPECT_FALSE(NameOf(child).isEmpty()) << child->metaObject()->className();
            }
        }
    }
}

TEST_F(AccessibilityTest, LabelsAreBuddiesOfTheirFields)
{
    int buddies = 0;
    for (QWidget *page : {static_cast<QWidget *>(dialog->networkPage()),
                          static_cast<QWidget *>(dialog->devicePage())}) {
        for (QLabel *label : page->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (label->buddy() != nullptr) {
                ++buddies;
                QString text = label->text();
                text.remove(QStringLiteral("："));
                EXPECT_TRUE(NameOf(label->buddy()).endsWith(text)) << text.toStdString();
            }
        }
    }
    // 24 server fields and 6 more on the network page; 7 labelled fields, the Modbus count and
    // 8 channel addresses on the device page.
    EXPECT_EQ(buddies, 30 + 16);
}

TEST_F(AccessibilityTest, WindowTabsAndListReadAsTheyLook)
{
    EXPECT_EQ(NameOf(dialog.get()), QStringLiteral("KTR-4410-HT-LAN Setup V3.2"));

    QAccessibleInterface *tabs =
        QAccessible::queryAccessibleInterface(dialog->tabControl()->tabBar());
    ASSERT_NE(tabs, nullptr);
    QStringList tabNames;
    for (int i = 0; i < tabs->childCount(); ++i) {
        if (tabs->child(i)->role() == QAccessible::PageTab) {
            tabNames << tabs->child(i)->text(QAccessible::Name);
        }
    }
    EXPECT_EQ(tabNames, QStringList({"网络参数", "设备参数"}));

    QAccessibleInterface *parity =
        QAccessible::queryAccessibleInterface(FindControl(*dialog->devicePage(), ids::kParity));
    EXPECT_EQ(parity->role(), QAccessible::ComboBox);
    EXPECT_EQ(parity->text(QAccessible::Value), "NONE");
    EXPECT_TRUE(parity->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::showMenuAction()));

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(dialog->deviceList());
    ASSERT_NE(list, nullptr);
    QAccessibleTableInterface *table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->columnDescription(0), "设备IP");
    EXPECT_EQ(table->columnDescription(1), "设备名称");
    EXPECT_EQ(table->columnDescription(2), "MAC地址");
    EXPECT_EQ(table->columnDescription(3), "固件版本");
}

TEST(AccessibleNameRuleTest, StripsColonAndMnemonicAndPrefixesTheGroup)
{
    using K = ControlKind;
    EXPECT_EQ(AccessibleNameFor({1, K::Edit, "", 0, 0, 1, 1}, "目标端口："), "目标端口");
    EXPECT_EQ(
        AccessibleNameFor({1, K::Edit, "", 0, 0, 1, 1, kStyleNone, {}, {}, "服务器3"}, "本地端口:"),
        "服务器3 本地端口");
    EXPECT_EQ(AccessibleNameFor({1, K::Edit, "", 0, 0, 1, 1, kStyleNone, {}, "温度上限", "2号通道"},
                                "2号通道地址："),
              "2号通道 温度上限");
    EXPECT_EQ(AccessibleNameFor({1, K::PushButton, "写&MAC", 0, 0, 1, 1}, "ignored"), "写MAC");
    EXPECT_EQ(AccessibleNameFor({1, K::PushButton, "A&&B", 0, 0, 1, 1}, {}), "A&B");
}

} // namespace
} // namespace ktr::test
