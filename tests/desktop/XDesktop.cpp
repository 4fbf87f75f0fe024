#include "XDesktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tavimo::test {

namespace {

Display *dpy(void *display) {
    return static_cast<Display *>(display);
}

} // namespace

XDesktop::XDesktop() : display_(XOpenDisplay(nullptr)) {}

XDesktop::~XDesktop() {
    if (display_)
        XCloseDisplay(dpy(display_));
}

quint64 XDesktop::transientFor(quint64 window) const {
    Window parent = 0;
    if (!display_ || !XGetTransientForHint(dpy(display_), Window(window), &parent))
        return 0;
    return parent;
}

QRect XDesktop::frame(quint64 window) const {
    if (!display_)
        return {};
    Display *d = dpy(display_);
    XWindowAttributes attributes;
    Window child = 0;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(d, Window(window), &attributes) ||
        !XTranslateCoordinates(d, Window(window), DefaultRootWindow(d), 0, 0, &x, &y, &child))
        return {};
    const Atom property = XInternAtom(d, "_NET_FRAME_EXTENTS", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QRect frame;
    if (XGetWindowProperty(d, Window(window), property, 0, 4, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 32 && count == 4) {
        const auto *e = reinterpret_cast<const long *>(data); // left, right, top, bottom
        frame = QRect(x - int(e[0]), y - int(e[2]), attributes.width + int(e[0] + e[1]),
                      attributes.height + int(e[2] + e[3]));
    }
    if (data)
        XFree(data);
    return frame;
}

QList<quint64> XDesktop::stacking() const {
    QList<quint64> windows;
    if (!display_)
        return windows;
    Display *d = dpy(display_);
    const Atom property = XInternAtom(d, "_NET_CLIENT_LIST_STACKING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), property, 0, 4096, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const auto *ids = reinterpret_cast<const unsigned long *>(data);
        for (unsigned long i = 0; i < count; ++i)
            windows.append(ids[i]);
    }
    if (data)
        XFree(data);
    return windows;
}

void XDesktop::click(QPoint at) const {
    if (!display_)
        return;
    Display *d = dpy(display_);
    XTestFakeMotionEvent(d, -1, at.x(), at.y(), CurrentTime);
    XTestFakeButtonEvent(d, 1, True, 30);
    XTestFakeButtonEvent(d, 1, False, 30);
    XFlush(d);
}

void XDesktop::pressEscape() const {
    if (!display_)
        return;
    Display *d = dpy(display_);
    const KeyCode key = XKeysymToKeycode(d, XK_Escape);
    XTestFakeKeyEvent(d, key, True, CurrentTime);
    XTestFakeKeyEvent(d, key, False, 30);
    XFlush(d);
}

} // namespace tavimo::test
