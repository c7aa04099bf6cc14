// The receiver thread: one poll over a wake-up channel, the receive socket and the slot
// sockets; each readable socket is drained and every datagram handed over as its own copy.
#include "link/receiver_thread.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#ifdef _WIN32
#include "link/winsock.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "link/arrival.h"
#include "link/drop_tally.h"
#include "link/slot_copies.h"
#include "link/socket_poll.h"

namespace ktr {
namespace {

#ifdef _WIN32
bool Interrupted(OsError)
{
    return false;
}
#else
bool Interrupted(OsError error)
{
    return error.code == EINTR;
}
#endif

// A busy socket is left after this many datagrams so that the others, stop and a change of the
// slot set are seen without delay; poll reports it again while it still holds datagrams.
constexpr int kDrainBatch = 64;

// Wakes the thread out of poll. POSIX: a non-blocking pipe. Windows, where only sockets can be
// polled: a UDP socket on 127.0.0.1 that sends one byte to itself.
class WakeChannel
{
public:
    WakeChannel() = default;
    WakeChannel(const WakeChannel &) = delete;
    WakeChannel &operator=(const WakeChannel &) = delete;
#ifdef _WIN32
    bool open()
    {
        constexpr std::uint32_t kLoopback = 0x7F000001u;
        if (!socket_.create() || !socket_.bind(kLoopback, 0))
            return false;
        const auto name = socket_.localName();
        if (!name)
            return false;
        port_ = name->port;
        return true;
    }
    SocketHandle pollHandle() const
    {
        return socket_.handle();
    }
    void signal()
    {
        constexpr std::uint32_t kLoopback = 0x7F000001u;
        const std::uint8_t byte = 1;
        // One byte to our own loopback socket: nothing the thread could do about a failure.
        (void)socket_.sendTo(ByteView(&byte, 1), kLoopback, port_);
    }
    void drain()
    {
        for (;;) {
            const ReceiveStatus s = ReceiveDatagram(socket_.handle()).status;
            if (s == ReceiveStatus::NothingWaiting || s == ReceiveStatus::Failed)
                return;
        }
    }

private:
    UdpSocket socket_;
    std::uint16_t port_ = 0;
#else
    ~WakeChannel()
    {
        for (int fd : fds_) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    bool open()
    {
        if (::pipe(fds_) != 0)
            return false;
        for (int fd : fds_) {
            if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0 ||
                ::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0)
                return false;
        }
        return true;
    }
    SocketHandle pollHandle() const
    {
        return fds_[0];
    }
    // A full pipe already holds a wake-up, so a failed write loses nothing.
    void signal()
    {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(fds_[1], &byte, 1);
    }
    void drain()
    {
        char bytes[64];
        while (::read(fds_[0], bytes, sizeof bytes) > 0) {
        }
    }

private:
    int fds_[2] = {-1, -1};
#endif
};

} // namespace

struct ReceiverThread::Impl
{
    SocketHandle receiveSocket = kNoSocket;
    Deliver deliver;
    DropsGrew dropsGrew;
    Quiet quiet;
    // A datagram was delivered since the last quiet spell; the thread's own.
    bool deliveredSinceQuiet = false;
    // The drop counts seen per socket; read and written by the thread only.
    DropTally drops;
    WakeChannel wake;

    std::mutex mutex;
    std::condition_variable changed; // the thread applied a slot set or ended
    std::vector<SocketHandle> requested;
    std::uint64_t requestedGeneration = 0;
    std::uint64_t appliedGeneration = 0;
    bool stopRequested = false;
    bool running = false;

    std::mutex joinMutex;
    std::thread thread;

    // The slot sockets being read, each with the address it is bound to.
    struct Slot
    {
        SocketHandle socket = kNoSocket;
        std::uint32_t address = 0;
    };

    // A slot socket as the thread reads it: with the destination of each datagram reported, so
    // that the copies of broadcasts (CountsOnSlot) can be told apart.
    static Slot TakeUpSlot(SocketHandle socket);
    static std::vector<SocketHandle> SocketsOf(const std::vector<Slot> &slots);

    void run();
    // Reads what waits on the receive socket (slot null) or on a slot socket.
    void drain(SocketHandle socket, const Slot *slot);
    void hand(Bytes datagram);
    void noteDrops(SocketHandle socket, std::uint32_t count);
    // Asks the system for each socket's drop count: the drops after the last datagram of a
    // burst come with no datagram that would report them.
    void askForDrops(const std::vector<SocketHandle> &sockets);
    // What the owner asked for since the last look.
    enum class Request { None, NewSlots, Stop };
    // Takes up a new slot set (into slots) or a stop request.
    Request takeRequests(std::vector<Slot> &slots);
};

ReceiverThread::Impl::Slot ReceiverThread::Impl::TakeUpSlot(SocketHandle socket)
{
    (void)EnableArrivalAddress(socket); // without it every datagram counts, as on Linux
    const auto name = LocalName(socket);
    return {socket, name ? name->address : 0};
}

ReceiverThread::Impl::Request ReceiverThread::Impl::takeRequests(std::vector<Slot> &slots)
{
    std::lock_guard lock(mutex);
    if (stopRequested)
        return Request::Stop;
    if (requestedGeneration == appliedGeneration)
        return Request::None;
    slots.clear();
    for (SocketHandle s : requested)
        slots.push_back(s == kNoSocket ? Slot{} : TakeUpSlot(s));
    appliedGeneration = requestedGeneration;
    changed.notify_all();
    return Request::NewSlots;
}

void ReceiverThread::Impl::noteDrops(SocketHandle socket, std::uint32_t count)
{
    const std::uint32_t added = drops.note(socket, count);
    if (added == 0 || !dropsGrew)
        return;
    try {
        dropsGrew(added, drops.total());
    } catch (...) {
        // A report that fails loses only itself.
    }
}

void ReceiverThread::Impl::askForDrops(const std::vector<SocketHandle> &sockets)
{
    for (SocketHandle s : sockets) {
        if (s == kNoSocket)
            continue;
        if (const auto count = DroppedSoFar(s))
            noteDrops(s, *count);
    }
}

void ReceiverThread::Impl::drain(SocketHandle socket, const Slot *slot)
{
    for (int i = 0; i < kDrainBatch; ++i) {
        // A slot socket's datagrams come with their destination, so that the copies of
        // broadcasts can be told apart (CountsOnSlot).
        ArrivalResult r;
        if (slot != nullptr)
            r = ReceiveWithArrival(socket, ArrivalDetail::DestinationOnly);
        else
            r.received = ReceiveDatagram(socket);
        if (r.received.dropped)
            noteDrops(socket, *r.received.dropped);
        switch (r.received.status) {
        case ReceiveStatus::Datagram:
            if (slot == nullptr || CountsOnSlot(r.destination, slot->address))
                hand(std::move(r.received.datagram.data));
            break;
        case ReceiveStatus::Oversized:
            break;
        case ReceiveStatus::NothingWaiting:
        case ReceiveStatus::Failed:
            return;
        }
    }
}

void ReceiverThread::Impl::hand(Bytes datagram)
{
    // An empty datagram carries nothing to decode.
    if (datagram.empty())
        return;
    deliveredSinceQuiet = true;
    try {
        deliver(std::move(datagram));
    } catch (...) {
        // Must not leave the thread; only this datagram is lost.
    }
}

std::vector<SocketHandle> ReceiverThread::Impl::SocketsOf(const std::vector<Slot> &slots)
{
    std::vector<SocketHandle> sockets;
    sockets.reserve(slots.size());
    for (const Slot &s : slots)
        sockets.push_back(s.socket);
    return sockets;
}

void ReceiverThread::Impl::run()
{
    bool readReceiveSocket = receiveSocket != kNoSocket;
    std::vector<Slot> slots;
    std::vector<PollEntry> entries;
    for (;;) {
        entries.clear();
        entries.push_back(PollEntry{wake.pollHandle(), kReadable, 0});
        if (readReceiveSocket)
            entries.push_back(PollEntry{receiveSocket, kReadable, 0});
        for (const Slot &s : slots) {
            if (s.socket != kNoSocket)
                entries.push_back(PollEntry{s.socket, kReadable, 0});
        }

        // After a delivery, poll waits only until the datagrams count as stopped.
        const bool awaitQuiet = (quiet || dropsGrew) && deliveredSinceQuiet;
        const Result<int, OsError> polled =
            Poll(entries, awaitQuiet ? static_cast<int>(kQuietAfter.count()) : -1);
        if (polled && *polled == 0) {
            deliveredSinceQuiet = false;
            std::vector<SocketHandle> sockets = SocketsOf(slots);
            if (readReceiveSocket)
                sockets.push_back(receiveSocket);
            askForDrops(sockets);
            if (quiet) {
                try {
                    quiet();
                } catch (...) {
                    // A report that fails loses only itself.
                }
            }
            continue;
        }
        if (!polled) {
            if (Interrupted(polled.error()))
                continue;
            // Out of resources: wait a little for them (or for stop) instead of spinning.
            std::unique_lock lock(mutex);
            changed.wait_for(lock, std::chrono::milliseconds(20), [this] { return stopRequested; });
            if (stopRequested)
                return;
            continue;
        }

        if (entries[0].revents != 0) {
            wake.drain();
            const Request request = takeRequests(slots);
            if (request == Request::Stop)
                return;
            // The caller may close the sockets of the old set as soon as it has been told; poll
            // again over the new set before reading any socket.
            if (request == Request::NewSlots) {
                std::vector<SocketHandle> kept = SocketsOf(slots);
                kept.push_back(receiveSocket);
                drops.keepOnly(kept);
                continue;
            }
        }

        for (std::size_t i = 1; i < entries.size(); ++i) {
            const PollEntry &e = entries[i];
            if (e.revents == 0)
                continue;
            const auto handle = static_cast<SocketHandle>(e.fd);
            if (e.revents & POLLNVAL) {
                // Closed behind our back: stop polling it rather than spin on it.
                if (readReceiveSocket && handle == receiveSocket)
                    readReceiveSocket = false;
                for (Slot &s : slots) {
                    if (s.socket == handle)
                        s.socket = kNoSocket;
                }
                continue;
            }
            const auto slot = std::find_if(slots.begin(), slots.end(),
                                           [&](const Slot &s) { return s.socket == handle; });
            if ((readReceiveSocket && handle == receiveSocket) || slot == slots.end())
                drain(handle, nullptr);
            else
                drain(handle, &*slot);
        }
    }
}

ReceiverThread::ReceiverThread(SocketHandle receiveSocket, Deliver deliver, DropsGrew dropsGrew,
                               Quiet quiet)
    : impl_(std::make_unique<Impl>())
{
    impl_->receiveSocket = receiveSocket;
    impl_->deliver = std::move(deliver);
    impl_->dropsGrew = std::move(dropsGrew);
    impl_->quiet = std::move(quiet);
    if (!impl_->wake.open())
        return;
    impl_->running = true;
    try {
        impl_->thread = std::thread([impl = impl_.get()] {
            try {
                impl->run();
            } catch (...) {
                // Out of memory while building the poll set: end quietly.
            }
            std::lock_guard lock(impl->mutex);
            impl->running = false;
            impl->changed.notify_all();
        });
    } catch (const std::system_error &) {
        impl_->running = false;
    }
}

ReceiverThread::~ReceiverThread()
{
    stop();
}

void ReceiverThread::setSlotSockets(std::vector<SocketHandle> sockets)
{
    std::unique_lock lock(impl_->mutex);
    impl_->requested = std::move(sockets);
    const std::uint64_t generation = ++impl_->requestedGeneration;
    if (!impl_->running)
        return;
    impl_->wake.signal();
    impl_->changed.wait(lock,
                        [&] { return impl_->appliedGeneration >= generation || !impl_->running; });
}

void ReceiverThread::stop()
{
    std::lock_guard joinLock(impl_->joinMutex);
    if (!impl_->thread.joinable())
        return;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopRequested = true;
    }
    impl_->wake.signal();
    impl_->thread.join();
}

bool ReceiverThread::isRunning() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->running;
}

} // namespace ktr
