#include "platform/X11DesktopBridge.h"

#include "platform/Keystrokes.h"
#include "platform/Logging.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <vector>

// Xlib defines macros (None, Bool, Status, KeyPress, ...) that clash with Qt: it comes last.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tavimo {

namespace {

// Xlib reports protocol errors through one process-wide handler whose default ends the
// program. Our requests may name a window that has just been closed, so while they run a
// handler of ours counts the errors instead. Xlib leaves no way to hand the handler a context,
// hence this counter; the bridge is used on the GUI thread only.
int trappedErrorCount = 0;

int countError(Display *, XErrorEvent *) {
    ++trappedErrorCount;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display *display) : display_(display) {
        XSync(display_, False);
        trappedErrorCount = 0;
        previous_ = XSetErrorHandler(countError);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap &) = delete;
    ErrorTrap &operator=(const ErrorTrap &) = delete;

    bool failed() {
        XSync(display_, False);
        return trappedErrorCount > 0;
    }

private:
    Display *display_;
    int (*previous_)(Display *, XErrorEvent *) = nullptr;
};

struct Property {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    QByteArray bytes;                  // format 8 only
    std::vector<unsigned long> values; // format 32 (Xlib hands these over as longs)
};

std::optional<Property> readProperty(Display *display, Window window, Atom name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    // 64 Ki longs is more than any title or client list holds.
    if (XGetWindowProperty(display, window, name, 0, 65536, False, AnyPropertyType, &type, &format,
                           &count, &remaining, &data) != Success) {
        return std::nullopt;
    }
    if (type == 0) { // no such property
        if (data)
            XFree(data);
        return std::nullopt;
    }
    Property property;
    property.type = type;
    property.format = format;
    property.count = count;
    if (format == 8) {
        property.bytes = QByteArray(reinterpret_cast<const char *>(data), qsizetype(count));
    } else if (format == 32) {
        const auto *longs = reinterpret_cast<const unsigned long *>(data);
        property.values.assign(longs, longs + count);
    }
    XFree(data);
    return property;
}

// The keysym that types `c` (the Latin-1 ones are their own code, the rest are offset).
KeySym keysymForCharacter(QChar c) {
    const char16_t code = c.unicode();
    if ((code >= 0x20 && code <= 0x7e) || (code >= 0xa0 && code <= 0xff))
        return code;
    return 0x01000000 + code;
}

KeySym keysymForKey(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return XK_0 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return XK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Return:
        return XK_Return;
    case Qt::Key_Tab:
        return XK_Tab;
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Backspace:
        return XK_BackSpace;
    case Qt::Key_Delete:
        return XK_Delete;
    case Qt::Key_Insert:
        return XK_Insert;
    case Qt::Key_Home:
        return XK_Home;
    case Qt::Key_End:
        return XK_End;
    case Qt::Key_PageUp:
        return XK_Prior;
    case Qt::Key_PageDown:
        return XK_Next;
    case Qt::Key_Up:
        return XK_Up;
    case Qt::Key_Down:
        return XK_Down;
    case Qt::Key_Left:
        return XK_Left;
    case Qt::Key_Right:
        return XK_Right;
    case Qt::Key_Space:
        return XK_space;
    default:
        return NoSymbol;
    }
}

// One keystroke as key codes: the modifiers to hold, in pressing order, then the key.
struct KeyCodes {
    std::vector<KeyCode> held;
    KeyCode key = 0;
};

constexpr long wmStateIconic = 3;
constexpr long sourcePager = 2; // asks the window manager to obey, as a pager's request
constexpr long netWmStateRemove = 0;

} // namespace

struct X11DesktopBridge::Connection {
    Display *display = nullptr;
    Window root = 0;
    bool xtest = false;

    Atom clientList = 0;
    Atom netWmName = 0;
    Atom utf8String = 0;
    Atom wmState = 0;
    Atom netActiveWindow = 0;
    Atom netSupported = 0;
    Atom netSupportingWmCheck = 0;
    Atom netWmState = 0;
    Atom netWmStateMaximizedVert = 0;
    Atom netWmStateMaximizedHorz = 0;

    ~Connection() {
        if (display)
            XCloseDisplay(display);
    }

    QString title(Window window) const {
        if (const auto name = readProperty(display, window, netWmName);
            name && name->type == utf8String && name->format == 8) {
            return QString::fromUtf8(name->bytes);
        }
        const auto name = readProperty(display, window, XA_WM_NAME);
        if (!name || name->format != 8)
            return QString();
        if (name->type == XA_STRING)
            return QString::fromLatin1(name->bytes);
        if (name->type == utf8String)
            return QString::fromUtf8(name->bytes);
        // Compound text, for instance: let Xlib convert it.
        XTextProperty text{};
        text.value = reinterpret_cast<unsigned char *>(const_cast<char *>(name->bytes.constData()));
        text.encoding = name->type;
        text.format = 8;
        text.nitems = static_cast<unsigned long>(name->bytes.size());
        char **list = nullptr;
        int count = 0;
        QString result;
        if (Xutf8TextPropertyToTextList(display, &text, &list, &count) >= Success && list) {
            for (int i = 0; i < count; ++i)
                result += QString::fromUtf8(list[i]);
            XFreeStringList(list);
        }
        return result;
    }

    bool isClientWindow(Window window) const {
        return readProperty(display, window, wmState).has_value();
    }

    // Client windows inside window-manager frames carry WM_STATE; without a window manager the
    // top-level windows are the root's children. Topmost first, like a look along the stack.
    Window walk(Window parent, int depth, const QString &title) const {
        Window rootReturn = 0;
        Window parentReturn = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, parent, &rootReturn, &parentReturn, &children, &count))
            return 0;
        std::vector<Window> list(children, children + count);
        if (children)
            XFree(children);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            const bool client = isClientWindow(*it);
            if ((depth == 0 || client) && this->title(*it) == title)
                return *it;
            if (!client && depth < 3) {
                if (const Window found = walk(*it, depth + 1, title))
                    return found;
            }
        }
        return 0;
    }

    // Whether a running window manager activates windows on request (EWMH).
    bool managerActivates() const {
        const auto check = readProperty(display, root, netSupportingWmCheck);
        if (!check || check->values.empty())
            return false;
        const Window manager = check->values.front();
        const auto confirmed = readProperty(display, manager, netSupportingWmCheck);
        if (!confirmed || confirmed->values.empty() || confirmed->values.front() != manager)
            return false; // left behind by a manager that is gone
        const auto supported = readProperty(display, root, netSupported);
        if (!supported)
            return false;
        for (const unsigned long atom : supported->values) {
            if (atom == netActiveWindow)
                return true;
        }
        return false;
    }

    void sendToManager(Window window, Atom message, long d0, long d1, long d2, long d3) const {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = message;
        event.xclient.format = 32;
        event.xclient.data.l[0] = d0;
        event.xclient.data.l[1] = d1;
        event.xclient.data.l[2] = d2;
        event.xclient.data.l[3] = d3;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }

    bool isViewable(Window window) const {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display, window, &attributes) &&
               attributes.map_state == IsViewable;
    }

    bool isIconic(Window window) const {
        const auto state = readProperty(display, window, wmState);
        if (state && !state->values.empty() && long(state->values.front()) == wmStateIconic)
            return true;
        return !isViewable(window);
    }

    // Xlib keeps a copy of the keyboard map; the server tells every client when it changes
    // (another layout chosen, say). We ask for no other events, so these are all there are.
    void followKeyboardMapping() const {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
        }
    }

    std::optional<KeyCodes> keyCodes(const KeyStroke &stroke) const {
        KeyCodes codes;
        bool shift = stroke.modifiers.testFlag(Qt::ShiftModifier);
        if (stroke.key != Qt::Key_unknown) {
            codes.key = XKeysymToKeycode(display, keysymForKey(stroke.key));
        } else {
            const KeySym symbol = keysymForCharacter(stroke.text);
            codes.key = XKeysymToKeycode(display, symbol);
            if (codes.key == 0)
                return std::nullopt;
            if (XkbKeycodeToKeysym(display, codes.key, 0, 1) == symbol &&
                XkbKeycodeToKeysym(display, codes.key, 0, 0) != symbol) {
                shift = true;
            } else if (XkbKeycodeToKeysym(display, codes.key, 0, 0) != symbol) {
                return std::nullopt; // only on a level we do not reach (AltGr)
            }
        }
        if (codes.key == 0)
            return std::nullopt;
        const auto hold = [&](KeySym modifier) {
            const KeyCode code = XKeysymToKeycode(display, modifier);
            codes.held.push_back(code);
            return code != 0;
        };
        if (stroke.modifiers.testFlag(Qt::ControlModifier) && !hold(XK_Control_L))
            return std::nullopt;
        if (stroke.modifiers.testFlag(Qt::AltModifier) && !hold(XK_Alt_L))
            return std::nullopt;
        if (shift && !hold(XK_Shift_L))
            return std::nullopt;
        return codes;
    }
};

std::unique_ptr<X11DesktopBridge> X11DesktopBridge::open(const QString &displayName) {
    const QByteArray name = displayName.toLocal8Bit();
    Display *display = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
    if (!display)
        return nullptr;
    auto x = std::make_unique<Connection>();
    x->display = display;
    x->root = DefaultRootWindow(display);
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    x->xtest = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
    if (!x->xtest)
        qCWarning(lcPlatform) << "The X display has no XTEST extension: keystrokes cannot be sent";

    const char *names[] = {"_NET_CLIENT_LIST",
                           "_NET_WM_NAME",
                           "UTF8_STRING",
                           "WM_STATE",
                           "_NET_ACTIVE_WINDOW",
                           "_NET_SUPPORTED",
                           "_NET_SUPPORTING_WM_CHECK",
                           "_NET_WM_STATE",
                           "_NET_WM_STATE_MAXIMIZED_VERT",
                           "_NET_WM_STATE_MAXIMIZED_HORZ"};
    Atom atoms[std::size(names)] = {};
    XInternAtoms(display, const_cast<char **>(names), int(std::size(names)), False, atoms);
    x->clientList = atoms[0];
    x->netWmName = atoms[1];
    x->utf8String = atoms[2];
    x->wmState = atoms[3];
    x->netActiveWindow = atoms[4];
    x->netSupported = atoms[5];
    x->netSupportingWmCheck = atoms[6];
    x->netWmState = atoms[7];
    x->netWmStateMaximizedVert = atoms[8];
    x->netWmStateMaximizedHorz = atoms[9];
    qCDebug(lcPlatform) << "X display opened:" << DisplayString(display);
    return std::unique_ptr<X11DesktopBridge>(new X11DesktopBridge(std::move(x)));
}

X11DesktopBridge::X11DesktopBridge(std::unique_ptr<Connection> connection)
    : x_(std::move(connection)) {}

X11DesktopBridge::~X11DesktopBridge() = default;

bool X11DesktopBridge::canType() const {
    return x_->xtest;
}

DesktopBridge::WindowId X11DesktopBridge::findTopLevelWindow(const QString &title) {
    ErrorTrap trap(x_->display);
    if (const auto clients = readProperty(x_->display, x_->root, x_->clientList)) {
        for (const unsigned long window : clients->values) {
            if (x_->title(window) == title)
                return window;
        }
    }
    // No window manager lists its clients, or the window is not among them.
    return x_->walk(x_->root, 0, title);
}

void X11DesktopBridge::bringToFront(WindowId id) {
    const auto window = static_cast<Window>(id);
    ErrorTrap trap(x_->display);
    const bool managed = x_->managerActivates();
    if (managed)
        x_->sendToManager(window, x_->netActiveWindow, sourcePager, CurrentTime, 0, 0);
    XRaiseWindow(x_->display, window);
    if (!managed && x_->isViewable(window))
        XSetInputFocus(x_->display, window, RevertToParent, CurrentTime);
    if (trap.failed())
        qCDebug(lcPlatform) << "Bringing window" << id << "to the front failed in part";
}

void X11DesktopBridge::restoreWindow(WindowId id) {
    const auto window = static_cast<Window>(id);
    ErrorTrap trap(x_->display);
    const bool managed = x_->managerActivates();
    if (x_->isIconic(window)) {
        // Mapping asks for the normal state; a window manager also restores on activation.
        XMapRaised(x_->display, window);
        if (managed)
            x_->sendToManager(window, x_->netActiveWindow, sourcePager, CurrentTime, 0, 0);
    }
    if (managed) {
        x_->sendToManager(window, x_->netWmState, netWmStateRemove,
                          long(x_->netWmStateMaximizedVert), long(x_->netWmStateMaximizedHorz),
                          sourcePager);
    } else {
        XSync(x_->display, False);
        if (x_->isViewable(window))
            XSetInputFocus(x_->display, window, RevertToParent, CurrentTime);
    }
    if (trap.failed())
        qCDebug(lcPlatform) << "Restoring window" << id << "failed in part";
}

bool X11DesktopBridge::sendKeys(const QString &keys) {
    const auto strokes = parseKeystrokes(keys);
    if (!strokes) {
        qCWarning(lcPlatform) << "Keystrokes not sent, the notation is wrong:" << keys;
        return false;
    }
    if (!x_->xtest) {
        qCWarning(lcPlatform) << "Keystrokes not sent, the display has no XTEST:" << keys;
        return false;
    }
    x_->followKeyboardMapping();
    // Everything is looked up first, so that nothing at all is typed when one key is missing.
    std::vector<KeyCodes> codes;
    for (const KeyStroke &stroke : *strokes) {
        const auto found = x_->keyCodes(stroke);
        if (!found) {
            qCWarning(lcPlatform) << "Keystrokes not sent, the keyboard map has no key for"
                                  << describeKeystroke(stroke);
            return false;
        }
        codes.push_back(*found);
    }
    ErrorTrap trap(x_->display);
    for (const KeyCodes &stroke : codes) {
        for (const KeyCode held : stroke.held)
            XTestFakeKeyEvent(x_->display, held, True, CurrentTime);
        XTestFakeKeyEvent(x_->display, stroke.key, True, CurrentTime);
        XTestFakeKeyEvent(x_->display, stroke.key, False, CurrentTime);
        for (auto it = stroke.held.rbegin(); it != stroke.held.rend(); ++it)
            XTestFakeKeyEvent(x_->display, *it, False, CurrentTime);
    }
    XFlush(x_->display);
    return !trap.failed();
}

} // namespace tavimo
