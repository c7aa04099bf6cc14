#include "gui_support.h"

#include "app/device_page.h"
#include "app/multi_line_edit.h"
#include "app/network_page.h"

#include <QTest>

namespace ktr::test {

bool InPrivateNetwork()
{
    return qEnvironmentVariableIsSet("KTR_PRIVATE_NETNS");
}

void MainWindowTest::SetUp()
{
    dialog = std::make_unique<MainDialog>(state, boxes);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
}

void MainWindowTest::TearDown()
{
    if (dialog) {
        dialog->network().shutDown();
        dialog.reset();
    }
}

QWidget *MainWindowTest::networkControl(int id) const
{
    return FindControl(*dialog->networkPage(), id);
}

QWidget *MainWindowTest::deviceControl(int id) const
{
    return FindControl(*dialog->devicePage(), id);
}

void MainWindowTest::receive(const Bytes &datagram)
{
    dialog->network().deliver(datagram);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !dialog->repliesWaiting(); }, 1000));
}

QString MainWindowTest::messageAreaText() const
{
    return dialog->messageArea()->toPlainText();
}

Bytes SearchReply(std::uint8_t lastOctet)
{
    Bytes payload{0,    0,    0,    0,    lastOctet, 0x00, 0xA8, 0xC0, 0x00, 0x0E, 0xEB,
                  0x12, 0x34, 0x56, 0x20, 0x01,      0,    0,    'K',  'T',  'R',  0};
    return EncodeReply(kCmdSearch, payload);
}

} // namespace ktr::test
