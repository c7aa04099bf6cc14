// The events that bring received datagrams to the window thread: one datagram with its own copy
// of the bytes, or word that the receiver thread's inbox holds some.
#pragma once

#include "link/frame.h"

#include <QEvent>

#include <utility>

namespace ktr {

class DatagramEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 10);

    explicit DatagramEvent(Bytes datagram)
        : QEvent(kType)
        , datagram_(std::move(datagram))
    {
    }

    const Bytes &datagram() const { return datagram_; }

private:
    Bytes datagram_;
};

// Wakes the window for datagrams waiting in its inbox (sent only after a quiet spell; while
// datagrams keep coming the window takes them once per frame without being woken).
class DatagramsWaitingEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 11);

    DatagramsWaitingEvent()
        : QEvent(kType)
    {
    }
};

} // namespace ktr
