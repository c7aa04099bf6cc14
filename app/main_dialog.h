// MainDialog: the tool's one window - local host information, device list, message area and
// the tab control with the two parameter pages - and the shell the commands talk to.
#pragma once

#include "app/network_session.h"
#include "app/reply_pacer.h"
#include "app/window_placement.h"
#include "ops/commands.h"
#include "ops/ports.h"
#include "widgets/hover_button.h"

#include <QDialog>

#include <memory>
#include <optional>

class QLineEdit;
class QMenu;
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

    Ui &ui() { return *ui_; }
    // The sockets, the receiver and its inbox; shut down when the window closes.
    NetworkSession &network() { return *network_; }
    NetworkPage *networkPage() const { return networkPage_; }
    // The device page, built when first needed (its tab chosen, or a command using it).
    DevicePage *devicePage();
    QTreeWidget *deviceList() const { return list_; }
    MultiLineEdit *messageArea() const { return messageArea_; }
    TabControl *tabControl() const { return tabs_; }
    // The menu with the About entry (the window's context menu); nullptr on Windows, where the
    // entry sits in the native system menu.
    QMenu *systemMenu() const { return systemMenu_; }
    // The hover buttons that stand in for the network page's "载入默认" and "参数配置".
    HoverButton &firstHoverButton() { return firstHoverButton_; }
    HoverButton &secondHoverButton() { return secondHoverButton_; }
    // Replies received but not yet shown in the list or the message area (they wait in the
    // inbox or for the end of the frame).
    bool repliesWaiting() const;

signals:
    // The list and the message area show what the replies dispatched so far brought.
    void repliesShown();

public slots:
    void searchClicked();
    void deviceListDoubleClicked();
    void OnSelchangeTab();
    void showAbout();

protected:
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
    void captureMessages();
    void createPages();
    std::unique_ptr<DeviceView> createDevicePage();
    void startNetwork();
    void showFailure(NetFailure failure, int osError);
    bool takeDatagrams(ReplyPacer::Clock::time_point deadline);
    void dispatchDatagram(const Bytes &datagram);
    bool showReplies();
    void showDeviceBlockSource(const MacAddress &device);

    AppState &state_;
    MessageBoxes &boxes_;
    FirstShowing *firstShowing_ = nullptr;

    QLineEdit *localAddress_ = nullptr;
    QTreeWidget *list_ = nullptr;
    MultiLineEdit *messageArea_ = nullptr;
    MessageAreaWriter *messageWriter_ = nullptr; // owned by the message area
    TabControl *tabs_ = nullptr;
    NetworkPage *networkPage_ = nullptr;
    DevicePage *devicePage_ = nullptr;
    QMenu *systemMenu_ = nullptr;
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

    // Destroyed (and so shut down) before the pages and the state the replies go to.
    std::unique_ptr<NetworkSession> network_;
    ReplyPacer *pacer_ = nullptr;
    bool messagesStale_ = false;
};

} // namespace ktr
