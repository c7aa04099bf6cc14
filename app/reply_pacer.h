// ReplyPacer: when the replies taken from the inbox are shown.
//
// A search of thousands of devices brings thousands of replies, each adding a row and a line.
// While they keep coming the window takes them from its inbox, and the list and the message area
// show them, once per frame: the first after a quiet frame at once, the rest together at the end
// of the frame. A burst that ends within a frame is shown at once instead, as long as the
// allowance of early showings lasts (ShowPacer). A take runs to the end of the burst, for one
// frame at the most, so a handful of replies is shown together rather than the rest waiting;
// every take that finds datagrams is followed by another at the frame's end, which may end the
// frames. Replies that keep coming for longer than the burst of answers to one search are shown
// ten times a second instead: each showing repaints the whole list, and nobody reads rows
// arriving by the thousand per second. A box shown for a reply runs an event loop of its own,
// which dispatches the replies that follow inside that one: those wait for it.
#pragma once

#include "app/show_pacer.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace ktr {

class ReplyPacer : public QObject
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // One frame of a 60 Hz display: replies that come within it are shown together at its end.
    static constexpr std::chrono::milliseconds kFrame{16};
    // Frames of a stream of replies longer than kBriefStream.
    static constexpr std::chrono::milliseconds kBriefStream{1000};
    static constexpr std::chrono::milliseconds kLongStreamFrame{100};
    // Bursts that end within a frame are shown at once, up to this many times in a row.
    static constexpr double kEarlyShowings = 3;

    struct Steps
    {
        // Takes the waiting datagrams and dispatches them, batch after batch, until none are
        // left or the deadline has passed; true when it found any.
        std::function<bool(Clock::time_point deadline)> take;
        // Shows what the dispatched replies brought; true when anything was shown.
        std::function<bool()> show;
    };

    explicit ReplyPacer(Steps steps, std::function<Clock::time_point()> now = &Clock::now,
                        QObject *parent = nullptr);

    // The inbox's owner was woken: datagrams wait and nobody is taking them.
    void woken();

    // Marks the dispatch of one reply for as long as it lives; they may nest.
    class Dispatch
    {
    public:
        explicit Dispatch(ReplyPacer &pacer);
        ~Dispatch();
        Dispatch(const Dispatch &) = delete;
        Dispatch &operator=(const Dispatch &) = delete;

    private:
        ReplyPacer &pacer_;
        bool outer_;
    };
    bool dispatching() const { return dispatching_; }

    // A frame is open: what is dispatched now is shown at its end.
    bool frameOpen() const { return frame_.isActive(); }
    // The length of the open frame.
    std::chrono::milliseconds frameLength() const { return frame_.intervalAsDuration(); }

private:
    void dispatched();
    void endFrame();
    bool show();
    bool take();

    Steps steps_;
    std::function<Clock::time_point()> now_;
    ShowPacer early_{kFrame, kEarlyShowings};
    QTimer frame_;
    Clock::time_point streamStart_;
    bool dispatching_ = false;
};

} // namespace ktr
