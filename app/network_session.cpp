#include "app/network_session.h"

#include "app/net_trace.h"

#include <QCoreApplication>
#include <QEvent>

#include <utility>

namespace ktr {
namespace {

// Wakes the session's owner for datagrams waiting in the inbox.
class DatagramsWaitingEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 11);

    DatagramsWaitingEvent()
        : QEvent(kType)
    {
    }
};

} // namespace

NetworkSession::NetworkSession(FailureReporter report, QObject *parent)
    : QObject(parent)
    , report_(std::move(report))
{
    dropReport_.setSingleShot(true);
    dropReport_.setInterval(kDropReportDelay);
    connect(&dropReport_, &QTimer::timeout, this, &NetworkSession::reportDrops);
}

NetworkSession::~NetworkSession()
{
    shutDown();
}

void NetworkSession::start()
{
    if (const OsStatus started = StartNetworkStack(); !started)
        report_(NetFailure::StackStartup, started.error().code);
    stackHeld_ = true;
    receiveSocket_ = OpenReceiveSocket(report_);
    if (!receiveSocket_.isValid())
        return;
    // The session stops the thread before it is destroyed, so it outlives every delivery.
    receiver_ = std::make_unique<ReceiverThread>(
        receiveSocket_.handle(), [this](Bytes data) { deliver(std::move(data)); },
        [this](std::uint32_t added, std::uint64_t total) {
            TraceDroppedDatagrams(added, total);
            unreportedDrops_ += added;
            QMetaObject::invokeMethod(
                this, [this] { dropReport_.start(); }, Qt::QueuedConnection);
        },
        // When a burst of replies ends within a frame, what it left in the inbox is shown then
        // rather than at the frame's end.
        [this] {
            if (inbox_.holdsDatagrams())
                wakeTaker();
        });
    TraceReceiveQueue(ReceiveQueueBytes(), receiveSocket_.receiveBufferSize());
}

void NetworkSession::shutDown()
{
    if (receiver_) {
        receiver_->stop();
        receiver_.reset();
    }
    endpoints_.closeAll();
    receiveSocket_.close();
    if (stackHeld_) {
        ReleaseNetworkStack();
        stackHeld_ = false;
    }
}

void NetworkSession::refreshEndpoints()
{
    // The receiver lets go of the slot sockets before the refresh may close some of them.
    if (receiver_)
        receiver_->setSlotSockets({});
    endpoints_.refresh(LocalIpv4Addresses(), report_);
    if (receiver_)
        receiver_->setSlotSockets(endpoints_.openHandles());
}

int NetworkSession::sendToAll(ByteView datagram)
{
    return endpoints_.SendToAll(datagram, report_);
}

void NetworkSession::deliver(Bytes datagram)
{
    // Our own search and read requests come back to us as broadcasts; they mean nothing to the
    // window, so they cost it no event.
    if (IsRequestFrame(datagram))
        return;
    if (inbox_.put(std::move(datagram)))
        wakeTaker();
}

void NetworkSession::wakeTaker()
{
    // Ahead of the window's pending repaints: a reply that comes while the window is still to
    // paint the click that asked for it is shown in that same paint.
    QCoreApplication::postEvent(this, new DatagramsWaitingEvent, Qt::HighEventPriority);
}

bool NetworkSession::event(QEvent *event)
{
    if (event->type() == DatagramsWaitingEvent::kType) {
        emit datagramsWaiting();
        return true;
    }
    return QObject::event(event);
}

void NetworkSession::reportDrops()
{
    if (const std::uint64_t dropped = unreportedDrops_.exchange(0); dropped > 0)
        emit repliesDropped(dropped);
}

} // namespace ktr
