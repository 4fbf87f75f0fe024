#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

namespace tavimo {

class AnimatedPicture;

// One timer for every animation of a grid. Each animation says how long its
// frame is shown; the clock wakes when the next frame of any of them is due,
// on a grid of GridMs, so that animations started together (a pass starts
// them all) change their frames on the same wake-ups and paint together.
// Paused, no frame changes and the timer is off; resumed, every animation
// goes on where it stopped.
class AnimationClock : public QObject {
    Q_OBJECT

public:
    static constexpr int GridMs = 20;

    explicit AnimationClock(QObject *parent = nullptr);

    // `picture` shows its first frame from now on for `delayMs`.
    void add(AnimatedPicture *picture, int delayMs);
    void remove(AnimatedPicture *picture);
    bool contains(AnimatedPicture *picture) const { return due_.contains(picture); }
    int count() const { return int(due_.size()); }

    void setRunning(bool running);
    bool isRunning() const { return running_; }

signals:
    void runningChanged(bool running);

private:
    void tick();
    void arm();
    qint64 now() const { return epoch_.elapsed(); }

    QTimer timer_;
    QElapsedTimer epoch_;
    // When each animation's next frame is due, in ms of epoch_.
    QHash<AnimatedPicture *, qint64> due_;
    bool running_ = true;
    qint64 pausedAt_ = 0;
};

} // namespace tavimo
