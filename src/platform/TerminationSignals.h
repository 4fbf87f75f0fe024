#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace tavimo {

// Turns SIGTERM and SIGINT into the Qt signal terminationRequested(), delivered on the thread
// that made this object (the GUI thread), so the program can close its main window the normal
// way: saving its files first. The signal handler only writes one byte into a socket pair,
// which is all a signal handler may safely do; the rest happens in the event loop.
// One object at a time; it puts the previous handlers back when it is destroyed.
//
// For main(): a desktop logout reaches the program in one of two ways.
//  - The session manager (XSMP) asks first: QGuiApplication::commitDataRequest(QSessionManager &)
//    is emitted; save there without asking questions unless manager.allowsInteraction() says
//    so, and do not call quit(): the session ends the program afterwards. saveStateRequest()
//    follows and needs nothing from us (the program has no session state to restore).
//  - systemd-logind ends the session's processes with SIGTERM: this object turns it into
//    terminationRequested(); close the main window from there (its close handler saves).
// QCoreApplication::aboutToQuit() comes last on every regular way out; it is the place to check
// that the main window's shutdown has run once, not a place to show windows.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Whether the handlers are in place (false when the socket pair could not be made).
    bool isActive() const { return notifier_ != nullptr; }

signals:
    // SIGTERM or SIGINT arrived. Emitted once per signal received.
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    int fds_[2] = {-1, -1};
    QSocketNotifier *notifier_ = nullptr;
    struct sigaction previousTerm_ {};
    struct sigaction previousInt_ {};
};

} // namespace tavimo
