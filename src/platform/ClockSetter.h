#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QStringView>

#include <chrono>
#include <memory>
#include <optional>

namespace tavimo {

// Corrections smaller than this are left alone: the time page has whole seconds only.
inline constexpr std::chrono::milliseconds minimumClockCorrection{2000};

// How far the clock must move to show the time-of-day `timeOfDayUtc` ("hh:mm:ss", UTC, as a
// time page gives it) instead of `nowUtc`. The page has no date: of the same time yesterday,
// today and tomorrow the nearest counts, so 23:59:58 read at 00:00:01 is 3 s back, not a day
// less 3 s forward. Nothing when the text is not a time, when the nearest is 12 hours off
// (which way is then anybody's guess), or when the clock is less than 2 s off.
std::optional<std::chrono::milliseconds> clockCorrection(QStringView timeOfDayUtc,
                                                         const QDateTime &nowUtc);

// Moves the computer's clock. Used once per start, with the correction above.
class ClockSetter {
public:
    enum class Result {
        Adjusted,           // the clock was moved
        SkippedNetworkSync, // network time keeps the clock: left alone
        Failed,             // the system refused (no permission, say): see the log
        Unavailable,        // there is nothing to set the clock with
    };

    virtual ~ClockSetter();
    // Moves the clock by `correction` (positive: forward).
    virtual Result adjustBy(std::chrono::milliseconds correction) = 0;
};

// Sets the clock through systemd-timedated (org.freedesktop.timedate1 on `bus`, normally the
// system bus), never asking the user for a password, and leaves it alone while network time
// synchronisation is switched on or has synchronised it. Blocks the calling thread for at most
// `callTimeout` per call.
class DbusClockSetter final : public ClockSetter {
public:
    static constexpr std::chrono::milliseconds defaultCallTimeout{5000};

    explicit DbusClockSetter(QDBusConnection bus,
                             std::chrono::milliseconds callTimeout = defaultCallTimeout);
    Result adjustBy(std::chrono::milliseconds correction) override;

private:
    bool networkTimeKeepsClock();

    QDBusConnection bus_;
    std::chrono::milliseconds callTimeout_;
};

// Where the clock cannot be set: does nothing.
class NullClockSetter final : public ClockSetter {
public:
    Result adjustBy(std::chrono::milliseconds) override { return Result::Unavailable; }
};

// The timedated setter on the system bus, connected when the clock is first set; where
// there is no system bus, setting it does nothing.
std::unique_ptr<ClockSetter> createClockSetter();

} // namespace tavimo
