#include "platform/ClockSetter.h"

#include "platform/Logging.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QTime>

#include <array>
#include <cstdlib>
#include <utility>

namespace tavimo {

namespace {

constexpr auto timedateService = "org.freedesktop.timedate1";
constexpr auto timedatePath = "/org/freedesktop/timedate1";
constexpr auto timedateInterface = "org.freedesktop.timedate1";

constexpr qint64 halfDayMs = 12LL * 60 * 60 * 1000;

// "hh:mm:ss" exactly, two digits each.
std::optional<QTime> parseTimeOfDay(QStringView text) {
    if (text.size() != 8 || text.at(2) != u':' || text.at(5) != u':')
        return std::nullopt;
    std::array<int, 3> parts{};
    for (int part = 0; part < 3; ++part) {
        const QChar tens = text.at(part * 3);
        const QChar ones = text.at(part * 3 + 1);
        if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9')
            return std::nullopt;
        parts[std::size_t(part)] = (tens.unicode() - u'0') * 10 + (ones.unicode() - u'0');
    }
    const QTime time(parts[0], parts[1], parts[2]);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

} // namespace

std::optional<std::chrono::milliseconds> clockCorrection(QStringView timeOfDayUtc,
                                                         const QDateTime &nowUtc) {
    const std::optional<QTime> time = parseTimeOfDay(timeOfDayUtc);
    if (!time || !nowUtc.isValid())
        return std::nullopt;
    const QDateTime now = nowUtc.toUTC();
    std::optional<qint64> nearest;
    for (const int day : {-1, 0, 1}) {
        const QDateTime candidate(now.date().addDays(day), *time, Qt::UTC);
        const qint64 difference = now.msecsTo(candidate);
        if (!nearest || std::llabs(difference) < std::llabs(*nearest))
            nearest = difference;
    }
    if (std::llabs(*nearest) >= halfDayMs) {
        qCInfo(lcPlatform) << "Clock left alone: the time page is 12 hours off";
        return std::nullopt;
    }
    if (std::llabs(*nearest) < minimumClockCorrection.count())
        return std::nullopt;
    return std::chrono::milliseconds(*nearest);
}

ClockSetter::~ClockSetter() = default;

DbusClockSetter::DbusClockSetter(QDBusConnection bus, std::chrono::milliseconds callTimeout)
    : bus_(std::move(bus)), callTimeout_(callTimeout) {}

bool DbusClockSetter::networkTimeKeepsClock() {
    for (const char *property : {"NTP", "NTPSynchronized"}) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            QLatin1String(timedateService), QLatin1String(timedatePath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QLatin1String(timedateInterface) << QLatin1String(property);
        const QDBusMessage reply = bus_.call(get, QDBus::Block, int(callTimeout_.count()));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            qCDebug(lcPlatform) << "Cannot read" << property
                                << "of timedated:" << reply.errorMessage();
            continue;
        }
        if (reply.arguments().constFirst().value<QDBusVariant>().variant().toBool())
            return true;
    }
    return false;
}

ClockSetter::Result DbusClockSetter::adjustBy(std::chrono::milliseconds correction) {
    if (!bus_.isConnected()) {
        qCWarning(lcPlatform) << "Clock not set: no D-Bus connection";
        return Result::Unavailable;
    }
    if (networkTimeKeepsClock()) {
        qCInfo(lcPlatform) << "Clock left alone: network time synchronisation keeps it";
        return Result::SkippedNetworkSync;
    }
    QDBusMessage setTime =
        QDBusMessage::createMethodCall(QLatin1String(timedateService), QLatin1String(timedatePath),
                                       QLatin1String(timedateInterface), QStringLiteral("SetTime"));
    // Relative to the clock at the moment timedated sets it, so the time our call takes on
    // the way does not count; not interactive, so no password dialog pops up.
    setTime << qlonglong(correction.count()) * 1000 << true << false;
    const QDBusMessage reply = bus_.call(setTime, QDBus::Block, int(callTimeout_.count()));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCWarning(lcPlatform) << "Clock not set:" << reply.errorName() << reply.errorMessage();
        return Result::Failed;
    }
    qCInfo(lcPlatform) << "Clock moved by" << correction.count() << "ms";
    return Result::Adjusted;
}

namespace {

// Most starts never set the clock, so the system bus is reached only when it
// is to be set, not while the window waits to show.
class SystemBusClockSetter final : public ClockSetter {
public:
    Result adjustBy(std::chrono::milliseconds correction) override {
        if (!setter_) {
            QDBusConnection bus = QDBusConnection::systemBus();
            if (bus.isConnected()) {
                setter_ = std::make_unique<DbusClockSetter>(bus);
            } else {
                qCInfo(lcPlatform) << "No system bus: the clock cannot be set";
                setter_ = std::make_unique<NullClockSetter>();
            }
        }
        return setter_->adjustBy(correction);
    }

private:
    std::unique_ptr<ClockSetter> setter_;
};

} // namespace

std::unique_ptr<ClockSetter> createClockSetter() {
    return std::make_unique<SystemBusClockSetter>();
}

} // namespace tavimo
