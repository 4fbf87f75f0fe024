#pragma once

// What the window manager did with our windows, read from the X server, and
// input sent through it as a user's would be (XTest), so that the window
// manager sees it too.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QtGlobal>

namespace tavimo::test {

class XDesktop {
public:
    XDesktop();
    ~XDesktop();
    XDesktop(const XDesktop &) = delete;
    XDesktop &operator=(const XDesktop &) = delete;

    bool isOpen() const { return display_ != nullptr; }
    // The window `window` is transient for (WM_TRANSIENT_FOR), 0 for none.
    quint64 transientFor(quint64 window) const;
    // The window's frame on the screen as the window manager drew it: its
    // client area grown by _NET_FRAME_EXTENTS; empty until it is framed.
    QRect frame(quint64 window) const;
    // The managed windows from bottom to top (_NET_CLIENT_LIST_STACKING).
    QList<quint64> stacking() const;
    // A left click at a point of the screen.
    void click(QPoint at) const;
    // Escape pressed and released, to the window that has the focus.
    void pressEscape() const;

private:
    void *display_ = nullptr;
};

} // namespace tavimo::test
