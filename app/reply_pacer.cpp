#include "app/reply_pacer.h"

#include <utility>

namespace ktr {

ReplyPacer::ReplyPacer(Steps steps, std::function<Clock::time_point()> now, QObject *parent)
    : QObject(parent)
    , steps_(std::move(steps))
    , now_(std::move(now))
{
    frame_.setSingleShot(true);
    frame_.setTimerType(Qt::PreciseTimer);
    connect(&frame_, &QTimer::timeout, this, &ReplyPacer::endFrame);
}

ReplyPacer::Dispatch::Dispatch(ReplyPacer &pacer)
    : pacer_(pacer)
    , outer_(std::exchange(pacer.dispatching_, true))
{
}

ReplyPacer::Dispatch::~Dispatch()
{
    pacer_.dispatching_ = outer_;
}

void ReplyPacer::woken()
{
    if (!take())
        return;
    if (frame_.isActive() && !dispatching_ && early_.mayShowEarly(now_()))
        show();
    else
        dispatched();
}

bool ReplyPacer::take()
{
    return steps_.take(now_() + kFrame);
}

void ReplyPacer::dispatched()
{
    if (dispatching_ || frame_.isActive())
        return;
    show();
    streamStart_ = now_();
    frame_.start(kFrame);
}

void ReplyPacer::endFrame()
{
    const bool took = take();
    const bool shown = show();
    // While replies keep coming, another frame; after one without any the owner waits to be
    // woken by the next.
    if (took || shown)
        frame_.start(now_() - streamStart_ < kBriefStream ? kFrame : kLongStreamFrame);
}

bool ReplyPacer::show()
{
    if (!steps_.show())
        return false;
    early_.shown(now_());
    return true;
}

} // namespace ktr
