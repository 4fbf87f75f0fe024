#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace tavimo::test {

// Stands in for systemd-timedated (org.freedesktop.timedate1): records every SetTime call and
// answers with the network-time state it is given, or refuses. It answers on a thread of its
// own, so every field is read and written under the mutex.
class FakeTimedated : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
    Q_PROPERTY(bool NTP READ ntp)
    Q_PROPERTY(bool NTPSynchronized READ ntpSynchronized)

public:
    struct State {
        bool ntp = false, synchronized = false, refuse = false;
        QList<QList<qlonglong>> calls; // usec, relative, interactive
    };
    State state() const;
    void reset(State state);
    bool ntp() const { return state().ntp; }
    bool ntpSynchronized() const { return state().synchronized; }

public slots:
    void SetTime(qlonglong usec, bool relative, bool interactive);

private:
    mutable QMutex mutex_;
    State state_;
};

// A private D-Bus daemon of its own that serves a FakeTimedated, so that tests of the clock
// setter never reach the machine's clock: CI runs as root.
class PrivateTimedatedBus {
public:
    PrivateTimedatedBus() = default;
    ~PrivateTimedatedBus(); // ends the service thread and the daemon
    PrivateTimedatedBus(const PrivateTimedatedBus &) = delete;
    PrivateTimedatedBus &operator=(const PrivateTimedatedBus &) = delete;

    // Starts dbus-daemon and registers the service on it; false when dbus-daemon is not
    // installed or does not come up.
    bool start();
    bool isRunning() const { return running_; }

    FakeTimedated &service() { return service_; }
    // The service's own connection (to take the name away and give it back) and a client's.
    QDBusConnection serviceConnection() const;
    QDBusConnection clientConnection() const;

private:
    QTemporaryDir socketDir_;
    QProcess daemon_;
    QString address_;
    bool running_ = false;
    QThread serviceThread_;
    FakeTimedated service_;
};

} // namespace tavimo::test
