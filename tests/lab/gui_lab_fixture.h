// The end-to-end fixture: the real main window on the offscreen platform in the lab's PC
// namespace, simulated devices in the devices namespace, a watcher on the second segment that
// sees every request the window sends, and the helpers that work the window as a person does.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTest>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_dialog.h"
#include "app/message_boxes.h"
#include "link/udp_socket.h"
#include "ops/app_state.h"
#include "tests/lab/support/sim_process.h"

class QComboBox;
class QLineEdit;

// Lets failing expectations show texts instead of code units.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace ktr::labgui {

using namespace std::chrono_literals;

struct RecordedBox
{
    QString text;
    QString caption;
};

class RecordingBoxes : public MessageBoxes
{
public:
    void show(QWidget *, const QString &text, const QString &caption, BoxIcon) override
    {
        boxes.push_back({text, caption});
    }
    bool ask(QWidget *, const QString &text, const QString &caption) override
    {
        questions.push_back({text, caption});
        return answerYes;
    }
    std::vector<RecordedBox> boxes;
    std::vector<RecordedBox> questions;
    bool answerYes = false;
};

// Bytes from text such as "AA 00 01 02 02".
Bytes Hex(std::string_view text);
// Bytes as "AA 00 01 ..." for failure messages.
std::string HexText(ByteView bytes);

// A request frame written here, apart from the product's encoders: 0xAA, the big-endian length
// of command and payload, the command, the payload and the additive checksum of both.
Bytes RequestFrame(std::uint8_t command, ByteView payload);
// CRC-16/MODBUS bit by bit (the product's is table-driven).
std::uint16_t ModbusCrc(ByteView bytes);
// The six bytes of a MAC written "00-0E-EB-00-00-01".
Bytes MacBytes(std::string_view dashed);

// The devices' first address, MAC and the simulator's restart time in the lab tests.
inline constexpr const char *kFirstIp = "192.168.0.10";
inline constexpr const char *kFirstMac = "00-0E-EB-00-00-01";
inline constexpr int kRestartMs = 300;

class GuiLab : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs after the lab check and before the window opens.
    virtual void beforeWindow() {}

    // ktr-sim in the devices namespace with `devices` devices and the lab defaults.
    void startSim(int devices, std::vector<std::string> extra = {});

    // Waits, processing events, until done() holds or the time is up; returns done().
    template <typename Done>
    static bool waitFor(Done done, std::chrono::milliseconds timeout = 3s);

    // The main window.
    QWidget *mainControl(int id) const;
    QWidget *networkControl(int id) const;
    QWidget *deviceControl(int id) const;
    void click(QWidget *button);
    void search();
    int rows() const;
    QString cell(int row, int column) const;
    bool waitForRows(int count, std::chrono::milliseconds timeout = 3s);
    void doubleClickRow(int row);
    void showTab(int index);
    QString messages() const;
    bool waitForMessage(const QString &text, std::chrono::milliseconds timeout = 3s);
    // Types into the message area, so that the next refresh shows by the text vanishing.
    void scribbleInMessageArea();

    // Page fields: what the field shows, and typing over it.
    static QString fieldText(QWidget *control);
    static void typeOver(QWidget *control, const QString &text);
    // A person's way to a combo item: arrow keys on the focused combo.
    static void stepCombo(QWidget *control, int steps);

    // Saves the window as PNG under $KTR_SHOTS_DIR when that is set.
    void shoot(const QString &name);

    // Requests the window sent, as seen on the second segment.
    void forgetRequests();
    std::vector<Bytes> requestsSeen(std::chrono::milliseconds quiet = 300ms);
    // The one request the last action sent, compared with the expected frame.
    void expectSent(const Bytes &expected);

    AppState state;
    RecordingBoxes boxes;
    std::unique_ptr<MainDialog> dialog;
    SimProcess sim;
    UdpSocket watcher;
};

template <typename Done>
bool GuiLab::waitFor(Done done, std::chrono::milliseconds timeout)
{
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

} // namespace ktr::labgui
