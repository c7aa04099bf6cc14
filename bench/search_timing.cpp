// The two ways of timing one search: a bare client on the lab PC, and the tool's main window.
#include "bench/search_timing.h"

#include "app/control_ids.h"
#include "app/datagram_event.h"
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

#include <optional>

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

// The real window, watched from outside: the clock starts where the search request is handed to
// the sockets and stops once the list and the message area show the last expected row (they
// take replies at most once per frame while replies keep coming).
class WatchedDialog : public MainDialog
{
public:
    WatchedDialog(AppState &state, MessageBoxes &boxes, std::size_t expectedRows, QEventLoop &loop)
        : MainDialog(state, boxes)
        , expectedRows_(static_cast<int>(expectedRows))
        , loop_(loop)
    {
        connect(this, &MainDialog::repliesShown, this, [this] {
            if (!lastRowAt_ && deviceList()->topLevelItemCount() >= expectedRows_) {
                lastRowAt_ = Clock::now();
                loop_.quit();
            }
        });
    }

    int SendToAll(ByteView datagram) override
    {
        if (!sentAt_)
            sentAt_ = Clock::now();
        return MainDialog::SendToAll(datagram);
    }

    std::optional<Clock::duration> elapsed() const
    {
        if (!sentAt_ || !lastRowAt_)
            return std::nullopt;
        return *lastRowAt_ - *sentAt_;
    }

private:
    const int expectedRows_;
    QEventLoop &loop_;
    std::optional<Clock::time_point> sentAt_;
    std::optional<Clock::time_point> lastRowAt_;
};

// Runs the event loop for a while, so that what is pending (exposure, late datagrams, paint)
// is dealt with.
void Settle(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
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
    WatchedDialog dialog(state, boxes, devices, loop);
    dialog.show();
    Settle(std::chrono::milliseconds(50));

    auto *search = qobject_cast<QPushButton *>(FindControl(dialog, ids::kSearch));
    if (search == nullptr) {
        sample.failure = "the window has no Search button";
        return sample;
    }
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
    dialog.shutDownNetwork();
    return sample;
}

} // namespace ktr::bench
