#pragma once

namespace tavimo {

class MainWindow;
class TerminationSignals;

// The desktop asking the program to end closes the main window the way the
// user would, so that it saves: SIGTERM or SIGINT (a terminal, the service
// manager, logind at logout) through `termination`, and the session manager's
// request to save at logout. If the program quits by any other way, the
// window's shutdown still runs once before the event loop ends.
void closeOnSessionEnd(MainWindow &window, TerminationSignals &termination);

} // namespace tavimo
