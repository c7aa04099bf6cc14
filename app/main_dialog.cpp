#include "app/main_dialog.h"

#include "app/about_dialog.h"
#include "app/app_icon.h"
#include "app/control_ids.h"
#include "app/datagram_event.h"
#include "app/deferred_device_view.h"
#include "app/device_page.h"
#include "app/dialog_keys.h"
#include "app/form_views.h"
#include "app/message_area_writer.h"
#include "app/message_boxes.h"
#include "app/multi_line_edit.h"
#include "app/net_trace.h"
#include "app/network_page.h"
#include "app/screenshot.h"
#include "app/slot_guard.h"
#include "app/tab_control.h"
#include "app/template_builder.h"
#include "app/tree_device_list.h"
#include "app/widget_page.h"
#include "app/window_placement.h"
#include "ops/mac_text.h"
#include "ops/text_convert.h"
#include "res/dialog_templates.h"
#include "res/string_table.h"
#include "res/texts/failure_texts.h"
#include "widgets/main_window_buttons.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>

#ifdef Q_OS_WIN
#ifndef NOMINMAX // MinGW's C++ headers define it already
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace ktr {
namespace {

constexpr int kAboutCommand = 0x0010;
// Fine enough for deadlines counted in seconds.
constexpr int kOutcomeTickMs = 100;

// Replies nobody waited for; shown with QT_LOGGING_RULES="ktr.replies.debug=true".
Q_LOGGING_CATEGORY(lcReplies, "ktr.replies", QtWarningMsg)
// How long the window looks for the frame the window manager gives it: 3 s.
constexpr int kFrameCheckMs = 50;
constexpr int kFrameChecks = 60;

// Replies that keep coming for longer than this (longer than the burst of answers to one
// search) are shown ten times a second instead: each showing repaints the whole list, and
// nobody reads rows arriving by the thousand per second.
constexpr std::chrono::milliseconds kBriefStream{1000};
constexpr std::chrono::milliseconds kLongStreamFrame{100};

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T>
T *Control(const QWidget &dialog, int id)
{
    return qobject_cast<T *>(FindControl(dialog, id));
}

// The help the message area shows after start-up, one line each.
constexpr std::string_view kHelpLines[] = {
    "  本软件适用于：KTR-4410-HT-LAN产品的参数配置。",
    "单击\"搜索\"按钮搜索设备，设备出现在设备列表后，双击设备更新信息到右边信息框中修改参数后，"
    "点击\"配置参数\"按钮，设备将保存参数并自动重启",
    "注意事项:",
    "1、确保软件与设备在同一局域网内",
    "2、请确定当前PC只使用一个网卡",
    "3、请按照 搜索->双击选中并读取->配置参数 的步骤来操作",
};

} // namespace

std::array<int, kListColumns> DeviceListColumnWidths(int clientWidth)
{
    const int wide = 3 * clientWidth / 11;
    return {wide, wide, wide, 2 * clientWidth / 11};
}

MainDialog::MainDialog(AppState &state, MessageBoxes &boxes, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , state_(state)
    , boxes_(boxes)
    , reporter_([this](NetFailure failure, int osError) { reportFailure(failure, osError); })
{
    frameWatch_.setInterval(kFrameCheckMs);
    connect(&frameWatch_, &QTimer::timeout, this, &MainDialog::watchForFrame);
    BuildFromTemplate(*FindDialogTemplate(kMainTemplate), *this);
    localAddress_ = Control<QLineEdit>(*this, ids::kLocalAddress);
    localPort_ = Control<QLineEdit>(*this, ids::kLocalPort);
    list_ = Control<QTreeWidget>(*this, ids::kDeviceList);
    messageArea_ = Control<MultiLineEdit>(*this, ids::kMessageArea);
    tabs_ = Control<TabControl>(*this, ids::kTabs);
    messageWriter_ = new MessageAreaWriter(*messageArea_);
    refreshMessages();

    addAboutEntry();
    setWindowIcon(LoadResourceIcon(kAppIconResource));
    captureMessages();
    localPort_->setText(QString::number(kPort));
    setUpListColumns();

    captureMessages();
    for (std::string_view line : kHelpLines) {
        state_.messageText.appendLine(line);
    }
    refreshMessages();

    createPages();
    // The two hover buttons belong to the network page's buttons, so they are bound once that
    // page exists; the page's handlers still get every click.
    BindMainWindowHoverButtons(networkPage_, firstHoverButton_, secondHoverButton_);
    LoadPageDefaults(*networkAdapter_, *deviceAdapter_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);

    listAdapter_ = std::make_unique<TreeDeviceList>(*list_);
    ui_.emplace(Ui{state_, *this, *listAdapter_, *networkAdapter_, *deviceAdapter_});
    networkPage_->bind(*ui_);
    auto *search = Control<QPushButton>(*this, ids::kSearch);
    connect(search, &QPushButton::clicked, this, &MainDialog::OnSearch);
    // Searching is the first step of every use; the help text that says how to go on is gone
    // after the first search, so the list says it too.
    search->setFocus();
    list_->setToolTip(QStringLiteral("双击列表中的设备，读取并配置它的参数"));
    list_->viewport()->installEventFilter(this);
    connect(tabs_->tabBar(), &QTabBar::currentChanged, this, &MainDialog::OnSelchangeTab);

    replyFrame_.setSingleShot(true);
    replyFrame_.setTimerType(Qt::PreciseTimer);
    connect(&replyFrame_, &QTimer::timeout, this, &MainDialog::endReplyFrame);
    dropReport_.setSingleShot(true);
    dropReport_.setInterval(kDropReportDelay);
    connect(&dropReport_, &QTimer::timeout, this, &MainDialog::reportDroppedReplies);

    startNetwork();
    state_.deviceBlockRead = false;

    outcomeTimer_ = new QTimer(this);
    outcomeTimer_->setInterval(kOutcomeTickMs);
    connect(outcomeTimer_, &QTimer::timeout, this,
            [this] { RunGuarded([this] { ktr::OnTick(*ui_); }); });
    outcomeTimer_->start();
}

MainDialog::~MainDialog()
{
    shutDownNetwork();
}

void MainDialog::addAboutEntry()
{
    const QString text = FromUtf8(LoadResourceString(kAboutEntryString));
    if (text.isEmpty()) {
        return;
    }
#ifdef Q_OS_WIN
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kAboutCommand, reinterpret_cast<LPCWSTR>(text.utf16()));
#else
    systemMenu_ = new QMenu(this);
    systemMenu_->addSeparator();
    QAction *about = systemMenu_->addAction(text);
    about->setData(kAboutCommand);
    connect(about, &QAction::triggered, this, &MainDialog::showAbout);
#endif
}

void MainDialog::setUpListColumns()
{
    list_->setHeaderLabels({QStringLiteral("设备IP"), QStringLiteral("设备名称"),
                            QStringLiteral("MAC地址"), QStringLiteral("固件版本")});
    // The client area as it is without scroll bars: the list is empty at this point.
    const auto widths = DeviceListColumnWidths(list_->maximumViewportSize().width());
    for (int column = 0; column < kListColumns; ++column) {
        list_->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
    }
}

void MainDialog::captureMessages()
{
    // The area holds lines ended by LF; the message text's lines end in CR LF.
    QString text = messageArea_->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    state_.messageText.capture(text.toStdString());
}

void MainDialog::createPages()
{
    tabs_->tabBar()->addTab(QStringLiteral("网络参数"));
    tabs_->tabBar()->addTab(QStringLiteral("设备参数"));
    networkPage_ = new NetworkPage(tabs_);
    networkPage_->setGeometry(tabs_->pageRect());
    networkPage_->show();
    tabs_->tabBar()->setCurrentIndex(0);
    networkAdapter_ = std::make_unique<WidgetNetworkView>(*networkPage_);
    deviceAdapter_ = std::make_unique<DeferredDeviceView>([this] { return createDevicePage(); });
}

std::unique_ptr<DeviceView> MainDialog::createDevicePage()
{
    devicePage_ = new DevicePage(tabs_);
    devicePage_->setGeometry(tabs_->pageRect());
    devicePage_->hide();
    if (ui_) {
        devicePage_->bind(*ui_);
    }
    return std::make_unique<WidgetDeviceView>(*devicePage_);
}

DevicePage *MainDialog::devicePage()
{
    deviceAdapter_->view();
    return devicePage_;
}

void MainDialog::startNetwork()
{
    if (const OsStatus started = StartNetworkStack(); !started) {
        reportFailure(NetFailure::StackStartup, started.error().code);
    }
    networkStackHeld_ = true;
    receiveSocket_ = OpenReceiveSocket(reporter_);
    if (receiveSocket_.isValid()) {
        // The receiver thread puts each datagram into the window's inbox and wakes the window
        // when it is not taking them on its own; the window stops the thread before it is
        // destroyed, so the target outlives every posting.
        // Our own search and read requests come back to us as broadcasts; they mean nothing to
        // the window, so they are dropped here and cost it no event.
        receiver_ = std::make_unique<ReceiverThread>(
            receiveSocket_.handle(),
            [this](Bytes data) {
                if (IsRequestFrame(data))
                    return;
                // Ahead of the window's pending repaints: a reply that comes while the window
                // is still to paint the click that asked for it is shown in that same paint.
                if (inbox_.put(std::move(data)))
                    QCoreApplication::postEvent(this, new DatagramsWaitingEvent,
                                                Qt::HighEventPriority);
            },
            [this](std::uint32_t added, std::uint64_t total) {
                TraceDroppedDatagrams(added, total);
                unreportedDrops_ += added;
                QMetaObject::invokeMethod(
                    this, [this] { dropReport_.start(); }, Qt::QueuedConnection);
            },
            // When a burst of replies ends within a frame, what it left in the inbox is shown
            // then rather than at the frame's end.
            [this] {
                if (inbox_.holdsDatagrams())
                    QCoreApplication::postEvent(this, new DatagramsWaitingEvent,
                                                Qt::HighEventPriority);
            });
        TraceReceiveQueue(ReceiveQueueBytes(), receiveSocket_.receiveBufferSize());
    }
    const std::vector<std::uint32_t> addresses = LocalIpv4Addresses();
    localAddress_->setText(addresses.empty() ? QString()
                                             : FromUtf8(FormatDottedAddress(addresses.front())));
}

void MainDialog::reportDroppedReplies()
{
    if (const std::uint64_t dropped = unreportedDrops_.exchange(0); dropped > 0)
        RunGuarded([this, dropped] { ReportDroppedReplies(*ui_, dropped); });
}

void MainDialog::shutDownNetwork()
{
    if (receiver_) {
        receiver_->stop();
        receiver_.reset();
    }
    receiveSocket_.close();
    if (networkStackHeld_) {
        ReleaseNetworkStack();
        networkStackHeld_ = false;
    }
}

void MainDialog::reportFailure(NetFailure failure, int osError)
{
    if (!shown_) {
        heldFailures_.emplace_back(failure, osError);
        return;
    }
    showFailure(failure, osError);
}

void MainDialog::showFailure(NetFailure failure, int osError)
{
    // Without port 1901 the tool cannot work at all: a warning, not a notice.
    const BoxIcon icon = failure == NetFailure::ReceiveBind ? BoxIcon::Exclamation : BoxIcon::None;
    boxes_.show(this, FromUtf8(FailureMessage(failure, osError)),
                QCoreApplication::applicationName(), icon);
}

void MainDialog::showHeldFailures()
{
    const auto held = std::exchange(heldFailures_, {});
    for (const auto &[failure, osError] : held) {
        showFailure(failure, osError);
    }
}

void MainDialog::refreshEndpoints()
{
    // The receiver lets go of the slot sockets before the refresh may close some of them.
    if (receiver_) {
        receiver_->setSlotSockets({});
    }
    endpoints_.refresh(LocalIpv4Addresses(), reporter_);
    if (receiver_) {
        receiver_->setSlotSockets(endpoints_.openHandles());
    }
}

int MainDialog::SendToAll(ByteView datagram)
{
    return endpoints_.SendToAll(datagram, reporter_);
}

void MainDialog::refreshMessages()
{
    if (dispatchingDatagram_) {
        messagesStale_ = true;
        return;
    }
    messagesStale_ = false;
    messageWriter_->show(state_.messageText);
}

void MainDialog::messageBox(std::string_view text, std::string_view caption, BoxIcon icon)
{
    boxes_.show(this, FromUtf8(text), FromUtf8(caption), icon);
}

bool MainDialog::askYesNo(std::string_view text, std::string_view caption)
{
    return boxes_.ask(this, FromUtf8(text), FromUtf8(caption));
}

void MainDialog::trace(std::string_view line)
{
    qCDebug(lcReplies).noquote() << FromUtf8(line);
}

void MainDialog::OnSearch()
{
    RunGuarded([this] { ktr::OnSearch(*ui_); });
    ScheduleScreenshotFromEnvironment(*this);
}

void MainDialog::OnDblclkDeviceList()
{
    const std::optional<int> row = listAdapter_->selectedRow();
    RunGuarded([this] { ktr::OnDblclkDeviceList(*ui_); });
    if (row) {
        listAdapter_->markTarget(*row);
        targetMac_ = state_.SelectedDeviceMac;
        targetAddress_ = list_->topLevelItem(*row)->text(0);
    }
}

void MainDialog::noteDeviceBlockShown(int shownBefore)
{
    if (state_.deviceBlocksShown == shownBefore) {
        return;
    }
    // The values came from the device the read's reply was taken from; its address is known
    // when it is the device double-clicked in the list.
    QString device = FromUtf8(FormatMacPlain(state_.deviceBlockMac));
    if (state_.deviceBlockMac == targetMac_ && !targetAddress_.isEmpty()) {
        device += QStringLiteral(" (%1)").arg(targetAddress_);
    }
    devicePage()->showSource(device);
}

void MainDialog::OnSelchangeTab()
{
    switch (tabs_->tabBar()->currentIndex()) {
    case 0:
        networkPage_->show();
        if (deviceAdapter_->isBuilt()) {
            devicePage_->hide();
        }
        break;
    case 1:
        networkPage_->hide();
        devicePage()->show();
        break;
    default:
        break;
    }
}

void MainDialog::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

bool MainDialog::event(QEvent *event)
{
    if (event->type() == DatagramEvent::kType) {
        dispatchDatagram(static_cast<DatagramEvent *>(event)->datagram());
        repliesDispatched();
        return true;
    }
    if (event->type() == DatagramsWaitingEvent::kType) {
        if (takeDatagrams()) {
            // Woken within a frame, the replies stopped coming: shown now while the pacer
            // allows it.
            if (replyFrame_.isActive() && !dispatchingDatagram_ &&
                showPacer_.mayShowEarly(std::chrono::steady_clock::now()))
                showReplies();
            else
                repliesDispatched();
        }
        return true;
    }
    return QDialog::event(event);
}

void MainDialog::dispatchDatagram(const Bytes &datagram)
{
    // A box shown for a reply runs an event loop of its own, which dispatches the replies that
    // follow inside this one.
    const bool outer = dispatchingDatagram_;
    dispatchingDatagram_ = true;
    const int shownBefore = state_.deviceBlocksShown;
    RunGuarded([this, &datagram] { ktr::OnDatagram(*ui_, datagram); });
    noteDeviceBlockShown(shownBefore);
    dispatchingDatagram_ = outer;
}

bool MainDialog::takeDatagrams()
{
    // A burst is taken to its end, for one frame at the most, before anything is shown: what
    // arrives while the taken ones are dispatched is taken too, so a handful of replies is shown
    // together at once instead of the rest waiting for the frame's end. A take that finds
    // datagrams is always followed by another at the frame's end, which may end the frames.
    const auto deadline = std::chrono::steady_clock::now() + kReplyFrame;
    bool took = false;
    for (std::vector<Bytes> batch = inbox_.take(); !batch.empty(); batch = inbox_.takeMore()) {
        took = true;
        for (const Bytes &datagram : batch)
            dispatchDatagram(datagram);
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return took;
}

void MainDialog::repliesDispatched()
{
    // The first replies after a quiet frame are shown at once and open a frame; what follows
    // within it waits for its end. Replies dispatched inside another one's box wait for that one.
    if (dispatchingDatagram_ || replyFrame_.isActive())
        return;
    showReplies();
    streamStart_ = std::chrono::steady_clock::now();
    replyFrame_.start(kReplyFrame);
}

void MainDialog::endReplyFrame()
{
    const bool took = takeDatagrams();
    const bool shown = showReplies();
    // While replies keep coming, another frame; after one without any the window waits to be
    // woken by the next.
    if (took || shown) {
        const bool brief = std::chrono::steady_clock::now() - streamStart_ < kBriefStream;
        replyFrame_.start(brief ? kReplyFrame : kLongStreamFrame);
    }
}

bool MainDialog::repliesWaiting() const
{
    return listAdapter_->rowCount() != list_->topLevelItemCount() || messagesStale_;
}

bool MainDialog::showReplies()
{
    const bool rows = listAdapter_->showNewRows();
    const bool lines = messagesStale_;
    if (lines) {
        messagesStale_ = false;
        messageWriter_->show(state_.messageText);
    }
    if (rows || lines) {
        showPacer_.shown(std::chrono::steady_clock::now());
        emit repliesShown();
    }
    return rows || lines;
}

bool MainDialog::eventFilter(QObject *watched, QEvent *event)
{
    // A double-click anywhere in the list notifies, also on empty space (no row selected).
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        OnDblclkDeviceList();
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::closeEvent(QCloseEvent *event)
{
    if (receiver_) {
        receiver_->setSlotSockets({});
    }
    endpoints_.closeAll();
    if (networkStackHeld_) {
        ReleaseNetworkStack();
        networkStackHeld_ = false;
    }
    QDialog::closeEvent(event);
}

void MainDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (shown_ || event->spontaneous()) {
        return;
    }
    shown_ = true;
    PlaceInAvailableArea(*this);
    // The window manager frames the window after it is shown, and says so without an event of
    // its own: the window looks for its frame for a while and is centred again, frame and
    // title bar included, once it has one.
    frameWatch_.start();
    // Start-up failures wait until the window is on the screen, so their boxes stand over it.
    QTimer::singleShot(0, this, &MainDialog::showHeldFailures);
}

void MainDialog::watchForFrame()
{
    if (HasWindowFrame(*this) || ++frameChecks_ >= kFrameChecks) {
        frameWatch_.stop();
        PlaceInAvailableArea(*this);
    }
}

void MainDialog::keyPressEvent(QKeyEvent *event)
{
    // Neither key ends the tool: it ends by its close box only, so nothing typed on the pages
    // is lost to a stray key. Enter runs a focused button, and on the device list reads the
    // selected row as a double-click does.
    if (IsPlainEnter(*event)) {
        if (!ClickFocusedButton(*this) && focusWidget() == list_) {
            OnDblclkDeviceList();
        }
        event->accept();
        return;
    }
    if (IsPlainEscape(*event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::contextMenuEvent(QContextMenuEvent *event)
{
    if (systemMenu_ != nullptr) {
        systemMenu_->popup(event->globalPos());
        return;
    }
    QDialog::contextMenuEvent(event);
}

#ifdef Q_OS_WIN
bool MainDialog::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    const auto *msg = static_cast<const MSG *>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand) {
        showAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

} // namespace ktr
