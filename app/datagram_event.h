// The event that carries one received datagram from the receiver thread to the window thread,
// each with its own copy of the bytes.
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

} // namespace ktr
