// The two ways of timing one search: a bare client on the lab PC, and the tool's main window.
#include "bench/search_timing.h"

#include "app/control_ids.h"
#include "app/main_dialog.h"
#include "app/message_boxes.h"
#include "app/multi_line_edit.h"
#include "app/template_builder.h"
#include "ops/app_state.h"
#include "tests/lab/support/lab_env.h"
#include "tests/lab/support/raw_udp_client.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <optional>
#include <utility>

#include <time.h>

namespace ktr::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration elapsed)
{
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

// CPU time the calling thread has used so far.
double ThreadCpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

class RecordingBoxes : public MessageBoxes
{
public:
    void show(QWidget *, const QString &text, const QString &, BoxIcon) override
    {
        if (!shown.isEmpty())
            shown += QStringLiteral("; ");
        shown += text;
    }
    QString shown;
};

// The real window, watched from outside: the clock starts where the first request after `arm`
// is handed to the sockets and stops at the first showing of replies (list and message area)
// after that request for which `done` holds; the event loop then ends. It also counts the events
// that brought datagrams to the window.
class WatchedDialog : public MainDialog
{
public:
    WatchedDialog(AppState &state, MessageBoxes &boxes, QEventLoop &loop)
        : MainDialog(state, boxes)
        , loop_(loop)
    {
        connect(&network(), &NetworkSession::datagramsWaiting, this, [this] { ++datagramEvents_; });
        connect(this, &MainDialog::repliesShown, this, [this] {
            if (done_ && sentAt_ && !doneAt_ && done_()) {
                doneAt_ = Clock::now();
                loop_.quit();
            }
        });
    }

    void arm(std::function<bool()> done)
    {
        done_ = std::move(done);
        sentAt_.reset();
        doneAt_.reset();
        datagramEvents_ = 0;
    }

    int SendToAll(ByteView datagram) override
    {
        if (!sentAt_)
            sentAt_ = Clock::now();
        return MainDialog::SendToAll(datagram);
    }

    std::optional<Clock::duration> elapsed() const
    {
        if (!sentAt_ || !doneAt_)
            return std::nullopt;
        return *doneAt_ - *sentAt_;
    }
    std::optional<Clock::time_point> doneAt() const { return doneAt_; }
    int datagramEvents() const { return datagramEvents_; }

private:
    QEventLoop &loop_;
    std::function<bool()> done_;
    std::optional<Clock::time_point> sentAt_;
    std::optional<Clock::time_point> doneAt_;
    int datagramEvents_ = 0;
};

// Runs the event loop for a while, so that what is pending (exposure, late datagrams, paint)
// is dealt with.
void Settle(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows the window, lets it settle on the screen, and finds its Search button (null if none).
QPushButton *ShowWithSearchButton(MainDialog &dialog)
{
    dialog.show();
    Settle(std::chrono::milliseconds(50));
    return qobject_cast<QPushButton *>(FindControl(dialog, ids::kSearch));
}

} // namespace

SearchSample TimeFloorSearch(std::size_t devices, std::chrono::milliseconds patience)
{
    SearchSample sample;
    RawUdpClient client;
    sample.failure = client.open(kLabPc0);
    if (!sample.failure.empty())
        return sample;
    const Bytes request = EncodeSearchRequest();
    const Clock::time_point sentAt = Clock::now();
    if (client.broadcast(request) != 0) {
        sample.failure = "the bare client could not broadcast";
        return sample;
    }
    sample.received = client.collect(patience, devices).size();
    sample.milliseconds = Milliseconds(Clock::now() - sentAt);
    sample.complete = sample.received >= devices;
    return sample;
}

SearchSample TimeWindowSearch(std::size_t devices, std::chrono::milliseconds patience)
{
    SearchSample sample;
    AppState state;
    RecordingBoxes boxes;
    QEventLoop loop;
    WatchedDialog dialog(state, boxes, loop);
    QPushButton *search = ShowWithSearchButton(dialog);
    if (search == nullptr) {
        sample.failure = "the window has no Search button";
        return sample;
    }
    const int expectedRows = static_cast<int>(devices);
    dialog.arm([&] { return dialog.deviceList()->topLevelItemCount() >= expectedRows; });
    QTimer::singleShot(patience, &loop, &QEventLoop::quit);
    const double cpuBefore = ThreadCpuMilliseconds();
    search->click();
    loop.exec();
    sample.cpuMilliseconds = ThreadCpuMilliseconds() - cpuBefore;

    sample.received = static_cast<std::size_t>(dialog.deviceList()->topLevelItemCount());
    if (const auto elapsed = dialog.elapsed()) {
        sample.milliseconds = Milliseconds(*elapsed);
        sample.complete = true;
    }
    // Whatever is still queued is dispatched before the area is read: "搜索..." and one line
    // per listed row, each on a line of its own, and the empty line after the last one.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const int expectedBlocks = static_cast<int>(sample.received) + 2;
    sample.messagesComplete = dialog.messageArea()->blockCount() == expectedBlocks;
    sample.failure = boxes.shown.toStdString();
    dialog.network().shutDown();
    return sample;
}

} // namespace ktr::bench

namespace ktr::bench {
namespace {

constexpr std::string_view kReadLine = "读取网络参数成功！";

} // namespace

ReadSample TimeFloorRead(const MacAddress &device, std::chrono::milliseconds patience)
{
    ReadSample sample;
    RawUdpClient client;
    sample.failure = client.open(kLabPc0);
    if (!sample.failure.empty())
        return sample;
    const Clock::time_point sentAt = Clock::now();
    sample.complete = client.exchange(EncodeReadNetworkRequest(device), patience, 1).size() == 1;
    sample.milliseconds = Milliseconds(Clock::now() - sentAt);
    return sample;
}

std::vector<ReadSample> TimeWindowReads(int reads, std::chrono::milliseconds patience)
{
    std::vector<ReadSample> samples;
    AppState state;
    RecordingBoxes boxes;
    QEventLoop loop;
    WatchedDialog dialog(state, boxes, loop);
    ReadSample failed;
    QPushButton *search = ShowWithSearchButton(dialog);
    if (search == nullptr) {
        failed.failure = "the window has no Search button";
        return {failed};
    }
    dialog.arm([&] { return dialog.deviceList()->topLevelItemCount() >= 1; });
    QTimer::singleShot(patience, &loop, &QEventLoop::quit);
    search->click();
    loop.exec();
    QTreeWidget *list = dialog.deviceList();
    if (list->topLevelItemCount() < 1) {
        failed.failure = "the search listed no device";
        return {failed};
    }
    for (int read = 0; read < reads; ++read) {
        // A quiet frame before each read, so that its reply is shown the moment it is taken.
        Settle(std::chrono::milliseconds(40));
        list->setCurrentItem(list->topLevelItem(0));
        // The read starts the message text afresh: "读取参数..." until the reply comes.
        dialog.arm([&] { return state.messageText.text().find(kReadLine) != std::string::npos; });
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(patience);
        const double cpuBefore = ThreadCpuMilliseconds();
        Clock::time_point clickAt;
        QTimer::singleShot(0, &dialog, [&] {
            clickAt = Clock::now();
            dialog.deviceListDoubleClicked();
        });
        loop.exec();
        ReadSample sample;
        if (const auto doneAt = dialog.doneAt())
            sample.fromClickMilliseconds = Milliseconds(*doneAt - clickAt);
        sample.cpuMilliseconds = ThreadCpuMilliseconds() - cpuBefore;
        sample.datagramEvents = dialog.datagramEvents();
        if (const auto elapsed = dialog.elapsed()) {
            sample.milliseconds = Milliseconds(*elapsed);
            sample.complete = true;
        }
        sample.failure = boxes.shown.toStdString();
        samples.push_back(sample);
    }
    dialog.network().shutDown();
    return samples;
}

} // namespace ktr::bench
