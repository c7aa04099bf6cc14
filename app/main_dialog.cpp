#include "app/main_dialog.h"

#include "app/about_dialog.h"
#include "app/app_icon.h"
#include "app/control_ids.h"
#include "app/deferred_device_view.h"
#include "app/device_page.h"
#include "app/dialog_keys.h"
#include "app/form_views.h"
#include "app/main_window_buttons.h"
#include "app/message_area_writer.h"
#include "app/message_boxes.h"
#include "app/multi_line_edit.h"
#include "app/network_page.h"
#include "app/slot_guard.h"
#include "app/start_up_help.h"
#include "app/tab_control.h"
#include "app/template_builder.h"
#include "app/tree_device_list.h"
#include "app/widget_page.h"
#include "ops/mac_text.h"
#include "res/dialog_templates.h"
#include "res/string_table.h"
#include "res/texts/failure_texts.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

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

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T>
T *Control(const QWidget &dialog, int id)
{
    return qobject_cast<T *>(FindControl(dialog, id));
}

} // namespace

MainDialog::MainDialog(AppState &state, MessageBoxes &boxes, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , state_(state)
    , boxes_(boxes)
    , firstShowing_(new FirstShowing(*this))
{
    BuildFromTemplate(*FindDialogTemplate(kMainTemplate), *this);
    localAddress_ = Control<QLineEdit>(*this, ids::kLocalAddress);
    list_ = Control<QTreeWidget>(*this, ids::kDeviceList);
    messageArea_ = Control<MultiLineEdit>(*this, ids::kMessageArea);
    tabs_ = Control<TabControl>(*this, ids::kTabs);
    messageWriter_ = new MessageAreaWriter(*messageArea_);
    refreshMessages();

    addAboutEntry();
    setWindowIcon(LoadResourceIcon(kAppIconResource));
    captureMessages();
    Control<QLineEdit>(*this, ids::kLocalPort)->setText(QString::number(kPort));
    SetUpDeviceList(*list_);

    captureMessages();
    for (std::string_view line : kStartUpHelp) {
        state_.messageText.appendLine(line);
    }
    refreshMessages();

    createPages();
    // The two hover buttons belong to the network page's buttons, so they are bound once that
    // page exists; the page's handlers still get every click.
    BindMainWindowHoverButtons(networkPage_, firstHoverButton_, secondHoverButton_);
    LoadPageDefaults(*networkAdapter_, *deviceAdapter_);

    listAdapter_ = std::make_unique<TreeDeviceList>(*list_);
    ui_.emplace(Ui{state_, *this, *listAdapter_, *networkAdapter_, *deviceAdapter_});
    networkPage_->bind(*ui_);
    auto *search = Control<QPushButton>(*this, ids::kSearch);
    connect(search, &QPushButton::clicked, this, &MainDialog::searchClicked);
    search->setFocus();
    list_->viewport()->installEventFilter(this);
    connect(tabs_->tabBar(), &QTabBar::currentChanged, this, &MainDialog::OnSelchangeTab);

    startNetwork();
    state_.deviceBlockRead = false;

    auto *outcomeTimer = new QTimer(this);
    outcomeTimer->setInterval(kOutcomeTickMs);
    connect(outcomeTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { OnTick(*ui_); }); });
    outcomeTimer->start();
}

MainDialog::~MainDialog() = default;

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
    // Failures of the start-up are shown over the window once it is on the screen.
    network_ = std::make_unique<NetworkSession>([this](NetFailure failure, int osError) {
        firstShowing_->whenShown([this, failure, osError] { showFailure(failure, osError); });
    });
    pacer_ = new ReplyPacer(
        {[this](ReplyPacer::Clock::time_point deadline) { return takeDatagrams(deadline); },
         [this] {
             return showReplies();
         }},
        &ReplyPacer::Clock::now, this);
    connect(network_.get(), &NetworkSession::datagramsWaiting, pacer_, &ReplyPacer::woken);
    connect(network_.get(), &NetworkSession::repliesDropped, this, [this](std::uint64_t count) {
        RunGuarded([this, count] { ReportDroppedReplies(*ui_, count); });
    });
    network_->start();
    localAddress_->setText(FromUtf8(LocalAddressText(LocalIpv4Addresses())));
}

void MainDialog::showFailure(NetFailure failure, int osError)
{
    // Without port 1901 the tool cannot work at all: a warning, not a notice.
    const BoxIcon icon = failure == NetFailure::ReceiveBind ? BoxIcon::Exclamation : BoxIcon::None;
    boxes_.show(this, FromUtf8(FailureMessage(failure, osError)),
                QCoreApplication::applicationName(), icon);
}

void MainDialog::refreshEndpoints()
{
    network_->refreshEndpoints();
}

int MainDialog::SendToAll(ByteView datagram)
{
    return network_->sendToAll(datagram);
}

void MainDialog::refreshMessages()
{
    // Replies refresh the area once per frame, not once each.
    if (pacer_ != nullptr && pacer_->dispatching()) {
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

void MainDialog::searchClicked()
{
    RunGuarded([this] { OnSearch(*ui_); });
}

void MainDialog::deviceListDoubleClicked()
{
    const std::optional<int> row = listAdapter_->selectedRow();
    RunGuarded([this] { OnDblclkDeviceList(*ui_); });
    if (row) {
        listAdapter_->markTarget(*row);
        targetMac_ = state_.SelectedDeviceMac;
        targetAddress_ = list_->topLevelItem(*row)->text(0);
    }
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

bool MainDialog::takeDatagrams(ReplyPacer::Clock::time_point deadline)
{
    bool took = false;
    for (std::vector<Bytes> batch = network_->take(); !batch.empty();
         batch = network_->takeMore()) {
        took = true;
        for (const Bytes &datagram : batch)
            dispatchDatagram(datagram);
        if (ReplyPacer::Clock::now() >= deadline)
            break;
    }
    return took;
}

void MainDialog::dispatchDatagram(const Bytes &datagram)
{
    const ReplyPacer::Dispatch dispatch(*pacer_);
    ReplyOutcome outcome;
    RunGuarded([this, &datagram, &outcome] { outcome = OnDatagram(*ui_, datagram); });
    if (outcome.effect == ReplyEffect::DeviceBlockShown)
        showDeviceBlockSource(outcome.device);
}

void MainDialog::showDeviceBlockSource(const MacAddress &device)
{
    // Its address is known when it is the device double-clicked in the list.
    QString text = FromUtf8(FormatMacPlain(device));
    if (device == targetMac_ && !targetAddress_.isEmpty()) {
        text += QStringLiteral(" (%1)").arg(targetAddress_);
    }
    devicePage()->showSource(text);
}

bool MainDialog::repliesWaiting() const
{
    return listAdapter_->rowCount() != list_->topLevelItemCount() || messagesStale_ ||
           network_->holdsDatagrams();
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
        emit repliesShown();
    }
    return rows || lines;
}

bool MainDialog::eventFilter(QObject *watched, QEvent *event)
{
    // A double-click anywhere in the list notifies, also on empty space (no row selected).
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        deviceListDoubleClicked();
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::closeEvent(QCloseEvent *event)
{
    network_->shutDown();
    QDialog::closeEvent(event);
}

void MainDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    firstShowing_->windowShown(*event);
}

void MainDialog::keyPressEvent(QKeyEvent *event)
{
    // Neither key ends the tool: it ends by its close box only, so nothing typed on the pages
    // is lost to a stray key. Enter runs a focused button, and on the device list reads the
    // selected row as a double-click does.
    if (IsPlainEnter(*event)) {
        if (!ClickFocusedButton(*this) && focusWidget() == list_) {
            deviceListDoubleClicked();
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
