#include "support/FakeTimedated.h"

#include <QDBusError>
#include <QStandardPaths>

namespace tavimo::test {

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kServiceConnection = QStringLiteral("timedated");
const QString kClientConnection = QStringLiteral("client");

} // namespace

FakeTimedated::State FakeTimedated::state() const {
    QMutexLocker lock(&mutex_);
    return state_;
}

void FakeTimedated::reset(State state) {
    QMutexLocker lock(&mutex_);
    state_ = state;
}

void FakeTimedated::SetTime(qlonglong usec, bool relative, bool interactive) {
    QMutexLocker lock(&mutex_);
    state_.calls.append({usec, relative, interactive});
    if (state_.refuse)
        sendErrorReply(QDBusError::AccessDenied, "Interactive authentication required.");
}

PrivateTimedatedBus::~PrivateTimedatedBus() {
    QDBusConnection::disconnectFromBus(kServiceConnection);
    QDBusConnection::disconnectFromBus(kClientConnection);
    serviceThread_.quit();
    serviceThread_.wait();
    daemon_.kill();
    daemon_.waitForFinished();
}

bool PrivateTimedatedBus::start() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty() || !socketDir_.isValid())
        return false;
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(program, {"--session", "--nofork", "--print-address=1",
                            "--address=unix:dir=" + socketDir_.path()});
    if (!daemon_.waitForStarted(10000))
        return false;
    QByteArray address;
    while (!address.contains('\n') && daemon_.waitForReadyRead(10000))
        address += daemon_.readAllStandardOutput();
    if (!address.contains('\n'))
        return false;
    address_ = QString::fromUtf8(address.trimmed());
    // The setter under test blocks its thread while it waits for the answer.
    serviceThread_.start();
    service_.moveToThread(&serviceThread_);
    running_ = serviceConnection().registerObject(
                   QStringLiteral("/org/freedesktop/timedate1"), &service_,
                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
               serviceConnection().registerService(kService);
    return running_;
}

QDBusConnection PrivateTimedatedBus::serviceConnection() const {
    return QDBusConnection::connectToBus(address_, kServiceConnection);
}

QDBusConnection PrivateTimedatedBus::clientConnection() const {
    return QDBusConnection::connectToBus(address_, kClientConnection);
}

} // namespace tavimo::test
