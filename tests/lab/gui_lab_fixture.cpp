// The end-to-end fixture's window handling, request watching and independent frame writing.
#include "tests/lab/gui_lab_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <algorithm>

#include <cstdio>

#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/multi_line_edit.h"
#include "app/network_page.h"
#include "app/tab_control.h"
#include "app/template_builder.h"
#include "tests/lab/support/lab_sockets.h"
#include "tests/support/window/screenshot.h"

namespace ktr::labgui {

Bytes Hex(std::string_view text)
{
    Bytes bytes;
    unsigned value = 0;
    int digits = 0;
    for (char c : text) {
        if (c == ' ')
            continue;
        value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
        if (++digits == 2) {
            bytes.push_back(static_cast<std::uint8_t>(value));
            value = 0;
            digits = 0;
        }
    }
    return bytes;
}

std::string HexText(ByteView bytes)
{
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X ", b);
        text += pair;
    }
    return text;
}

Bytes RequestFrame(std::uint8_t command, ByteView payload)
{
    const std::size_t length = payload.size() + 1;
    Bytes frame(4 + payload.size());
    frame[0] = 0xAA;
    frame[1] = static_cast<std::uint8_t>(length >> 8);
    frame[2] = static_cast<std::uint8_t>(length);
    frame[3] = command;
    std::copy(payload.begin(), payload.end(), frame.begin() + 4);
    unsigned sum = 0;
    for (std::size_t i = 3; i < frame.size(); ++i)
        sum += frame[i];
    frame.push_back(static_cast<std::uint8_t>(sum));
    return frame;
}

std::uint16_t ModbusCrc(ByteView bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

Bytes MacBytes(std::string_view dashed)
{
    std::string digits;
    for (char c : dashed) {
        if (c != '-')
            digits += c;
    }
    return Hex(digits);
}

void GuiLab::SetUp()
{
    // Everything below broadcasts; outside the lab nothing may be sent.
    if (!InLabPc())
        GTEST_SKIP() << "not inside the lab's PC namespace with 10.77.1.10 and 10.77.2.10 "
                        "(run through ctest or scripts/lab exec)";
    watcher = LabSocket(LabHost::Dev2);
    ASSERT_TRUE(watcher.isValid()) << "no watching socket on the second segment";
    beforeWindow();
    if (HasFatalFailure())
        return;
    dialog = std::make_unique<MainDialog>(state, boxes);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
}

void GuiLab::TearDown()
{
    if (dialog) {
        dialog->network().shutDown();
        dialog.reset();
    }
    if (sim.running()) {
        EXPECT_EQ(sim.stop(), 0) << "ktr-sim did not end cleanly";
    }
}

void GuiLab::startSim(int devices, std::vector<std::string> extra)
{
    std::vector<std::string> args{"--devices",    std::to_string(devices),
                                  "--ip",         kFirstIp,
                                  "--mac",        kFirstMac,
                                  "--firmware",   "288",
                                  "--restart-ms", std::to_string(kRestartMs)};
    args.insert(args.end(), extra.begin(), extra.end());
    ASSERT_EQ(sim.start(args), "");
}

QWidget *GuiLab::mainControl(int id) const
{
    return FindControl(*dialog, id);
}

QWidget *GuiLab::networkControl(int id) const
{
    return FindControl(*dialog->networkPage(), id);
}

QWidget *GuiLab::deviceControl(int id) const
{
    return FindControl(*dialog->devicePage(), id);
}

void GuiLab::click(QWidget *button)
{
    ASSERT_NE(qobject_cast<QPushButton *>(button), nullptr);
    ASSERT_TRUE(button->isVisible()) << "a person cannot click a hidden button";
    QTest::mouseClick(button, Qt::LeftButton);
}

void GuiLab::search()
{
    click(mainControl(ids::kSearch));
}

int GuiLab::rows() const
{
    return dialog->deviceList()->topLevelItemCount();
}

QString GuiLab::cell(int row, int column) const
{
    const QTreeWidgetItem *item = dialog->deviceList()->topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

bool GuiLab::waitForRows(int count, std::chrono::milliseconds timeout)
{
    return waitFor([&] { return rows() >= count; }, timeout) && rows() == count;
}

void GuiLab::doubleClickRow(int row)
{
    QTreeWidget *list = dialog->deviceList();
    QTreeWidgetItem *item = list->topLevelItem(row);
    ASSERT_NE(item, nullptr) << "no row " << row;
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    // The first press selects the row, the second one makes it a double-click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void GuiLab::showTab(int index)
{
    QTabBar *bar = dialog->tabControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    ASSERT_EQ(bar->currentIndex(), index);
}

QString GuiLab::messages() const
{
    return dialog->messageArea()->toPlainText();
}

bool GuiLab::waitForMessage(const QString &text, std::chrono::milliseconds timeout)
{
    return waitFor([&] { return messages().contains(text); }, timeout);
}

void GuiLab::scribbleInMessageArea()
{
    MultiLineEdit *area = dialog->messageArea();
    area->setFocus();
    area->moveCursor(QTextCursor::End);
    QTest::keyClicks(area, "z");
}

QString GuiLab::fieldText(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit->text();
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->currentText();
    ADD_FAILURE() << "neither an edit nor a combo box";
    return {};
}

void GuiLab::typeOver(QWidget *control, const QString &text)
{
    auto *edit = qobject_cast<QLineEdit *>(control);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    // Chinese comes through the input method as a committed string; key events carry Latin-1.
    bool latin1 = true;
    for (QChar c : text)
        latin1 = latin1 && c.unicode() < 0x80;
    if (latin1) {
        QTest::keyClicks(edit, text);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(edit, &commit);
    }
    ASSERT_EQ(edit->text(), text);
}

void GuiLab::stepCombo(QWidget *control, int steps)
{
    auto *combo = qobject_cast<QComboBox *>(control);
    ASSERT_NE(combo, nullptr);
    combo->setFocus();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(combo, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
}

void GuiLab::shoot(const QString &name)
{
    const QString dir = qEnvironmentVariable("KTR_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    EXPECT_TRUE(SaveScreenshot(*dialog, QDir(dir).filePath(name)));
}

void GuiLab::forgetRequests()
{
    ReceiveUntilQuiet(watcher, 0ms);
}

std::vector<Bytes> GuiLab::requestsSeen(std::chrono::milliseconds quiet)
{
    std::vector<Bytes> seen;
    for (UdpSocket::Received &r : ReceiveUntilQuiet(watcher, quiet)) {
        EXPECT_EQ(r.from, kLabPc1) << "a request from elsewhere on the second segment";
        seen.push_back(std::move(r.data));
    }
    return seen;
}

void GuiLab::expectSent(const Bytes &expected)
{
    const std::vector<Bytes> seen = requestsSeen();
    ASSERT_EQ(seen.size(), 1u) << "requests on the second segment";
    EXPECT_EQ(seen[0], expected) << "sent:     " << HexText(seen[0])
                                 << "\nexpected: " << HexText(expected);
}

} // namespace ktr::labgui
