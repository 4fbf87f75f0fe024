#include "platform/TerminationSignals.h"

#include "platform/Logging.h"

#include <QList>
#include <QPointer>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace tavimo {

namespace {

// A signal handler receives no context: the write end of the socket pair has to be where the
// handler can see it. Set while a TerminationSignals object lives, -1 otherwise.
std::atomic<int> signalWriteFd{-1};

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = signalWriteFd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // A full pipe loses the byte: a request is already waiting then.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {
    if (signalWriteFd.load() >= 0) {
        qCWarning(lcPlatform) << "Termination signals are already being watched";
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) {
        qCWarning(lcPlatform) << "Cannot watch termination signals:" << strerror(errno);
        fds_[0] = fds_[1] = -1;
        return;
    }
    signalWriteFd.store(fds_[1]);
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &previousTerm_);
    ::sigaction(SIGINT, &action, &previousInt_);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    ::sigaction(SIGINT, &previousInt_, nullptr);
    signalWriteFd.store(-1);
    delete notifier_;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void TerminationSignals::readSignals() {
    QList<int> received;
    unsigned char bytes[16];
    for (;;) {
        const ssize_t count = ::read(fds_[0], bytes, sizeof bytes);
        if (count <= 0)
            break;
        for (ssize_t i = 0; i < count; ++i)
            received.append(bytes[i]);
    }
    // A receiver may well destroy this object (closing the window that owns it).
    const QPointer<TerminationSignals> self(this);
    for (const int signalNumber : std::as_const(received)) {
        qCInfo(lcPlatform) << "Termination requested by signal" << signalNumber;
        emit terminationRequested(signalNumber);
        if (!self)
            return;
    }
}

} // namespace tavimo
