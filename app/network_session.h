// NetworkSession: the window's side of the network - the network stack, the receive socket on
// port 1901, the receiver thread with the inbox it fills, and the sending endpoints - with one
// way to tear it all down.
#pragma once

#include "link/datagram_inbox.h"
#include "link/endpoints.h"
#include "link/receiver_thread.h"
#include "link/udp_socket.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace ktr {

class NetworkSession : public QObject
{
    Q_OBJECT

public:
    // Failures go to report; at start-up the window holds them until it is on the screen.
    explicit NetworkSession(FailureReporter report, QObject *parent = nullptr);
    // Shuts down.
    ~NetworkSession() override;

    // Starts the network stack, binds the receive socket and starts the receiver thread.
    void start();
    // Stops and joins the receiver, closes the endpoints and the receive socket and releases
    // the network stack, in that order: nothing is delivered afterwards and port 1901 is free.
    // The endpoints keep their flags; a later refresh opens them again. Idempotent.
    void shutDown();

    // Reopens the endpoints for the host's current addresses; the receiver reads them too.
    void refreshEndpoints();
    int sendToAll(ByteView datagram);
    const Endpoints &endpoints() const { return endpoints_; }

    // A datagram as the receiver thread hands it over; any thread. Our own requests coming back
    // are dropped here; the rest go into the inbox, and datagramsWaiting is emitted when the
    // taker is not taking on its own.
    void deliver(Bytes datagram);
    // The inbox's take and takeMore, for the window thread.
    std::vector<Bytes> take() { return inbox_.take(); }
    std::vector<Bytes> takeMore() { return inbox_.takeMore(); }
    bool holdsDatagrams() { return inbox_.holdsDatagrams(); }

signals:
    // Datagrams wait in the inbox and nobody is taking them.
    void datagramsWaiting();
    // The system dropped this many replies (full receive queues) since the last report; emitted
    // once the drops of a burst have stopped coming.
    void repliesDropped(std::uint64_t count);

protected:
    bool event(QEvent *event) override;

private:
    void wakeTaker();
    void reportDrops();

    FailureReporter report_;
    // Declared before the receiver so that the receiver stops before the sockets close and
    // before the inbox it puts datagrams into is gone.
    DatagramInbox inbox_;
    Endpoints endpoints_;
    UdpSocket receiveSocket_;
    std::unique_ptr<ReceiverThread> receiver_;
    bool stackHeld_ = false;

    // The drops of one search come in several reports within moments: once they stop, the user
    // reads one line with their sum. The receiver thread adds to the count.
    std::atomic<std::uint64_t> unreportedDrops_{0};
    QTimer dropReport_;
    static constexpr std::chrono::milliseconds kDropReportDelay{250};
};

} // namespace ktr
