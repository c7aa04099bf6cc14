// Shared pieces of the GUI tests: a message-box recorder, a main window fixture and helpers to
// reach controls and to fake device replies.
#pragma once

#include "app/main_dialog.h"
#include "app/message_boxes.h"
#include "app/template_builder.h"
#include "link/frame.h"
#include "ops/app_state.h"

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Lets failing expectations show texts instead of bytes.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace ktr::test {

struct RecordedBox
{
    QString text;
    QString caption;
    BoxIcon icon;
    bool ownerShown; // the box's owner was on the screen when the box came
};

class RecordingBoxes : public MessageBoxes
{
public:
    void show(QWidget *owner, const QString &text, const QString &caption, BoxIcon icon) override
    {
        boxes.push_back({text, caption, icon, owner != nullptr && owner->isVisible()});
    }
    bool ask(QWidget *owner, const QString &text, const QString &caption) override
    {
        questions.push_back({text, caption, BoxIcon::None, owner != nullptr && owner->isVisible()});
        return answerYes;
    }
    std::vector<RecordedBox> boxes;
    std::vector<RecordedBox> questions;
    bool answerYes = false;
};

// True inside the namespace in_private_netns.sh makes: only there may a test search or bind
// the tool's port for real traffic.
bool InPrivateNetwork();

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QWidget *mainControl(int id) const { return FindControl(*dialog, id); }
    QWidget *networkControl(int id) const;
    QWidget *deviceControl(int id) const;
    QString messageAreaText() const;
    // Hands the window's network session a datagram as the receiver thread does and waits until
    // the list and the message area show what it brought (replies within a frame are shown at
    // its end).
    void receive(const Bytes &datagram);

    AppState state;
    RecordingBoxes boxes;
    std::unique_ptr<MainDialog> dialog;
};

// A search reply as a device sends it: IP 192.168.0.166, MAC 00-0E-EB-12-34-56, firmware 288.
Bytes SearchReply(std::uint8_t lastOctet = 0xA6);

} // namespace ktr::test
