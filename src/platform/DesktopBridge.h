#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace tavimo {

// Holds the calling thread for `milliseconds` without handling any event: the paste helpers
// wait like this on purpose, so nothing of ours runs between their keystrokes. Measured on a
// monotonic clock, so midnight or a clock change cannot shorten or stretch it.
void busyWait(int milliseconds);

// Reaches the windows of other programs on the desktop (the SSTV transmit programs): finds a
// top-level window by its exact title, brings it to the front and types keystrokes into the
// window that has the keyboard focus. Used on the GUI thread only.
class DesktopBridge {
public:
    // An opaque window id of the implementation; 0 is no window.
    using WindowId = unsigned long long;
    using WaitFunction = std::function<void(int milliseconds)>;

    DesktopBridge();
    virtual ~DesktopBridge();
    DesktopBridge(const DesktopBridge &) = delete;
    DesktopBridge &operator=(const DesktopBridge &) = delete;

    // Finds the top-level window whose title equals `title` exactly; false at once when there
    // is none. Otherwise brings it to the front, waits 0.2 s, restores it to its normal size
    // when it is minimised or maximised, waits 0.5 s and answers true.
    bool activateWindowByTitle(const QString &title);

    // Types `keys` (notation of parseKeystrokes) into the focused window. False when the
    // notation is wrong (nothing is typed then) or the keystrokes could not be sent.
    virtual bool sendKeys(const QString &keys) = 0;

    // The waits between steps. busyWait unless replaced (tests replace it).
    void wait(int milliseconds);
    void setWaitFunction(WaitFunction wait);

protected:
    virtual WindowId findTopLevelWindow(const QString &title) = 0;
    // Makes the window the active one, on top of the others.
    virtual void bringToFront(WindowId window) = 0;
    // Shows a minimised window again and takes a maximised one back to its normal size.
    virtual void restoreWindow(WindowId window) = 0;

private:
    WaitFunction wait_;
};

// Where no desktop can be reached (Wayland without X, the offscreen platform): every window
// is "not found", and no keystroke is sent. What the paste helpers put on the clipboard stays
// there for the user.
class NullDesktopBridge final : public DesktopBridge {
public:
    bool sendKeys(const QString &keys) override;

protected:
    WindowId findTopLevelWindow(const QString &title) override;
    void bringToFront(WindowId) override {}
    void restoreWindow(WindowId) override {}
};

// The X11 bridge when an X display can be opened (DISPLAY, or `displayName` when given),
// which reaches X programs and Wine programs alike; otherwise the null bridge. Independent of
// the Qt platform plugin in use.
std::unique_ptr<DesktopBridge> createDesktopBridge(const QString &displayName = QString());

} // namespace tavimo
