#include "ui/AnimationClock.h"

#include "ui/AnimatedPicture.h"

#include <algorithm>

namespace tavimo {

AnimationClock::AnimationClock(QObject *parent) : QObject(parent) {
    epoch_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &AnimationClock::tick);
}

void AnimationClock::add(AnimatedPicture *picture, int delayMs) {
    due_.insert(picture, (running_ ? now() : pausedAt_) + delayMs);
    arm();
}

void AnimationClock::remove(AnimatedPicture *picture) {
    due_.remove(picture);
    if (due_.isEmpty())
        timer_.stop();
}

void AnimationClock::setRunning(bool running) {
    if (running == running_)
        return;
    running_ = running;
    if (!running) {
        pausedAt_ = now();
        timer_.stop();
    } else {
        // Every frame is shown for what was left of its time when the clock stopped.
        const qint64 paused = now() - pausedAt_;
        for (qint64 &due : due_)
            due += paused;
        arm();
    }
    emit runningChanged(running);
}

void AnimationClock::tick() {
    const qint64 at = now();
    // A frame may change a little early rather than wait for the next wake-up.
    const qint64 horizon = at + GridMs / 2;
    for (auto it = due_.begin(); it != due_.end();) {
        if (it.value() > horizon) {
            ++it;
            continue;
        }
        const int delay = it.key()->showNextFrame();
        if (delay < 0) {
            it = due_.erase(it);
            continue;
        }
        // Frames keep their own rhythm, unless the clock fell behind.
        it.value() = std::max(it.value() + delay, at + 1);
        ++it;
    }
    arm();
}

void AnimationClock::arm() {
    if (!running_ || due_.isEmpty())
        return;
    const qint64 next = *std::min_element(due_.cbegin(), due_.cend());
    const qint64 onGrid = (next + GridMs - 1) / GridMs * GridMs;
    timer_.start(int(std::max<qint64>(onGrid - now(), 0)));
}

} // namespace tavimo
