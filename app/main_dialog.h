// MainDialog: the tool's one window - local host information, device list, message area and
// the tab control with the two parameter pages - and the shell the commands talk to.
#pragma once

#include "app/show_pacer.h"
#include "link/datagram_inbox.h"
#include "link/endpoints.h"
#include "link/receiver_thread.h"
#include "link/udp_socket.h"
#include "ops/commands.h"
#include "ops/ports.h"
#include "widgets/hover_button.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QLineEdit;
class QMenu;
class QTimer;
class QTreeWidget;

namespace ktr {

class DeferredDeviceView;
class DevicePage;
class MessageAreaWriter;
class MessageBoxes;
class MultiLineEdit;
class NetworkPage;
class TabControl;
class TreeDeviceList;
class WidgetNetworkView;

// The four column widths of the device list for a client area this many pixels wide.
std::array<int, kListColumns> DeviceListColumnWidths(int clientWidth);

class MainDialog : public QDialog, public Shell
{
    Q_OBJECT

public:
    MainDialog(AppState &state, MessageBoxes &boxes, QWidget *parent = nullptr);
    ~MainDialog() override;

    // Shell.
    void refreshEndpoints() override;
    int SendToAll(ByteView datagram) override;
    void refreshMessages() override;
    void messageBox(std::string_view text, std::string_view caption, BoxIcon icon) override;
    bool askYesNo(std::string_view text, std::string_view caption) override;
    void trace(std::string_view line) override;

    // Stops and joins the receiver, closes the receive socket and releases the network stack;
    // runs once the modal run has ended, however it ended. Idempotent.
    void shutDownNetwork();

    Ui &ui() { return *ui_; }
    NetworkPage *networkPage() const { return networkPage_; }
    // The device page, built when first needed (its tab chosen, or a command using it).
    DevicePage *devicePage();
    QTreeWidget *deviceList() const { return list_; }
    MultiLineEdit *messageArea() const { return messageArea_; }
    const MessageAreaWriter &messageWriter() const { return *messageWriter_; }
    TabControl *tabControl() const { return tabs_; }
    // The menu with the About entry (the window's context menu); nullptr on Windows, where the
    // entry sits in the native system menu.
    QMenu *systemMenu() const { return systemMenu_; }
    const Endpoints &endpoints() const { return endpoints_; }
    // The hover buttons that stand in for the network page's "载入默认" and "参数配置".
    HoverButton &firstHoverButton() { return firstHoverButton_; }
    HoverButton &secondHoverButton() { return secondHoverButton_; }
    // Replies dispatched but not yet shown in the list or the message area (they wait for the
    // end of the frame).
    bool repliesWaiting() const;

signals:
    // The list and the message area show what the replies dispatched so far brought.
    void repliesShown();

public slots:
    void OnSearch();
    void OnDblclkDeviceList();
    void OnSelchangeTab();
    void showAbout();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

private:
    void addAboutEntry();
    void setUpListColumns();
    void captureMessages();
    void createPages();
    std::unique_ptr<DeviceView> createDevicePage();
    void startNetwork();
    void reportFailure(NetFailure failure, int osError);
    void dispatchDatagram(const Bytes &datagram);
    bool takeDatagrams();
    void repliesDispatched();
    void endReplyFrame();
    bool showReplies();
    void showFailure(NetFailure failure, int osError);
    void showHeldFailures();
    void noteDeviceBlockShown(int shownBefore);
    void watchForFrame();
    void reportDroppedReplies();

    AppState &state_;
    MessageBoxes &boxes_;
    FailureReporter reporter_;

    QLineEdit *localAddress_ = nullptr;
    QLineEdit *localPort_ = nullptr;
    QTreeWidget *list_ = nullptr;
    MultiLineEdit *messageArea_ = nullptr;
    MessageAreaWriter *messageWriter_ = nullptr; // owned by the message area
    TabControl *tabs_ = nullptr;
    NetworkPage *networkPage_ = nullptr;
    DevicePage *devicePage_ = nullptr;
    QMenu *systemMenu_ = nullptr;
    // Failures of the start-up are shown over the window once it is on the screen.
    std::vector<std::pair<NetFailure, int>> heldFailures_;
    bool shown_ = false;
    QTimer frameWatch_;
    int frameChecks_ = 0;
    // The device last double-clicked in the list and its address as the list showed it.
    MacAddress targetMac_{};
    QString targetAddress_;
    // They take over page buttons once the pages exist; destroyed before the pages are.
    HoverButton firstHoverButton_;
    HoverButton secondHoverButton_;

    std::unique_ptr<WidgetNetworkView> networkAdapter_;
    std::unique_ptr<DeferredDeviceView> deviceAdapter_;
    std::unique_ptr<TreeDeviceList> listAdapter_;
    std::optional<Ui> ui_;

    // Replies the system dropped (full receive queues) that the message area has not told of
    // yet; the receiver thread adds to it. The drops of one search come in several reports
    // within moments: once they stop, the user reads one line with their sum.
    std::atomic<std::uint64_t> unreportedDrops_{0};
    QTimer dropReport_;
    static constexpr std::chrono::milliseconds kDropReportDelay{250};

    // Declared before the receiver so that the receiver stops before the sockets close and
    // before the inbox it puts datagrams into is gone.
    DatagramInbox inbox_;
    Endpoints endpoints_;
    UdpSocket receiveSocket_;
    std::unique_ptr<ReceiverThread> receiver_;
    bool networkStackHeld_ = false;
    // Sends retries and gives up on silent devices while requests wait for answers.
    QTimer *outcomeTimer_ = nullptr;

    // A search of thousands of devices brings thousands of replies, each adding a row and a
    // line. While they keep coming the window takes them from its inbox, and the list and the
    // message area show them, once per frame: the first after a quiet frame at once, the rest
    // together at the end of the frame. A stream of replies longer than a moment gets longer
    // frames.
    // One frame of a 60 Hz display: replies that come within it are shown together at its end.
    static constexpr std::chrono::milliseconds kReplyFrame{16};
    // Bursts that end within a frame are shown at once, up to this many times in a row.
    static constexpr double kEarlyShowings = 3;
    bool dispatchingDatagram_ = false;
    bool messagesStale_ = false;
    QTimer replyFrame_;
    std::chrono::steady_clock::time_point streamStart_;
    ShowPacer showPacer_{kReplyFrame, kEarlyShowings};
    std::chrono::steady_clock::time_point lastShown_;
};

} // namespace ktr
