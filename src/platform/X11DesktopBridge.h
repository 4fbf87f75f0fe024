#pragma once

#include "platform/DesktopBridge.h"

#include <memory>

namespace tavimo {

// The desktop bridge on an X display, through its own connection (so it works whatever Qt
// platform plugin draws our windows, the offscreen one included). Finds windows through the
// window manager's client list, or by walking the window tree when no window manager keeps
// one; activates them the way a pager does; types with the XTEST extension, which reaches the
// focused window like real typing (and so reaches Wine programs).
class X11DesktopBridge final : public DesktopBridge {
public:
    // Opens `displayName`, or DISPLAY when it is empty. Nothing when no display opens.
    static std::unique_ptr<X11DesktopBridge> open(const QString &displayName = QString());
    ~X11DesktopBridge() override;

    bool sendKeys(const QString &keys) override;
    // Whether the display types for us (the XTEST extension is there).
    bool canType() const;

    WindowId findTopLevelWindow(const QString &title) override;

protected:
    void bringToFront(WindowId window) override;
    void restoreWindow(WindowId window) override;

private:
    struct Connection;
    explicit X11DesktopBridge(std::unique_ptr<Connection> connection);

    std::unique_ptr<Connection> x_;
};

} // namespace tavimo
