#pragma once

#include <functional>

namespace tavimo {

class MainWindowAccess;

// Stops refreshing for as long as it lives and starts it again on whatever
// path the caller leaves by. `resume` decides itself whether refreshing is
// automatic.
class RefreshPause {
public:
    RefreshPause(std::function<void()> stop, std::function<void()> resume);
    ~RefreshPause();
    RefreshPause(const RefreshPause &) = delete;
    RefreshPause &operator=(const RefreshPause &) = delete;

private:
    std::function<void()> resume_;
};

// What a dialog that changes sites or settings does to the main window while
// it is open: refreshing stops and the main window takes no input; when the
// guard goes (the dialog is destroyed, whichever way it was closed) the main
// window takes input again, refreshing resumes when it is automatic and, with
// reloadAfter, the page is reloaded shortly after. Exactly once either way.
class DialogGuard {
public:
    struct Options {
        bool blockMain = true;
        bool reloadAfter = false;
    };

    explicit DialogGuard(MainWindowAccess *main);
    DialogGuard(MainWindowAccess *main, Options options);
    ~DialogGuard();
    DialogGuard(const DialogGuard &) = delete;
    DialogGuard &operator=(const DialogGuard &) = delete;

    // Asks for the reload after all (a dialog that found out it changed the lists).
    void setReloadAfter(bool reload) { options_.reloadAfter = reload; }

private:
    MainWindowAccess *main_;
    Options options_;
};

} // namespace tavimo
