#include "platform/X11DesktopBridge.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <poll.h>

#include <cstring>
#include <memory>
#include <vector>

// Xlib's macros clash with Qt's names: after every Qt header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace tavimo;

namespace {

// An X server of our own, on a display number it picks itself.
class Xvfb {
public:
    ~Xvfb() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000))
                process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // The display name, or an empty text with `error` set.
    QString start(QString *error) {
        const QString program = QStandardPaths::findExecutable("Xvfb");
        if (program.isEmpty()) {
            *error = "Xvfb is not installed";
            return QString();
        }
        process_.setStandardErrorFile(QProcess::nullDevice());
        // -displayfd: the server writes its display number there once it accepts clients.
        process_.start(program, {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten",
                                 "tcp", "-noreset"});
        if (!process_.waitForStarted(10000)) {
            *error = "Xvfb did not start";
            return QString();
        }
        QByteArray number;
        while (!number.contains('\n') && process_.waitForReadyRead(20000))
            number += process_.readAllStandardOutput();
        if (!number.contains('\n')) {
            *error = "Xvfb named no display";
            return QString();
        }
        return ':' + QString::fromLatin1(number.trimmed());
    }

private:
    QProcess process_;
};

Atom atom(Display *display, const char *name) {
    return XInternAtom(display, name, False);
}

} // namespace

class X11DesktopBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString error;
        displayName_ = xvfb_.start(&error);
        if (displayName_.isEmpty())
            QSKIP(qPrintable(error));
        display_ = XOpenDisplay(displayName_.toLatin1().constData());
        QVERIFY(display_);
        bridge_ = X11DesktopBridge::open(displayName_);
        QVERIFY(bridge_);
        bridge_->setWaitFunction([](int) {});
    }

    void cleanupTestCase() {
        bridge_.reset();
        if (display_)
            XCloseDisplay(display_);
    }

    void cleanup() {
        if (!display_)
            return;
        for (const Window window : windows_)
            XDestroyWindow(display_, window);
        windows_.clear();
        XDeleteProperty(display_, DefaultRootWindow(display_), atom(display_, "_NET_CLIENT_LIST"));
        XSync(display_, False);
        drainEvents();
    }

    void findsTheExactTitleWithoutAWindowManager() {
        const Window mmsstv = makeWindow("MMSSTV");
        makeWindow("MMSSTV Setup");
        QCOMPARE(find("MMSSTV"), id(mmsstv));
        QCOMPARE(find("mmsstv"), id(0));
        QCOMPARE(find("MMSST"), id(0));
        QVERIFY(!bridge_->activateWindowByTitle("Mmsstv"));
    }

    void readsBothTitleProperties() {
        const Window legacy = makeWindow(nullptr, "Easy\xD8Pal"); // WM_NAME only, Latin-1
        const Window utf8 = makeWindow("SM0\u00D8X");             // _NET_WM_NAME as well
        QCOMPARE(find(QString::fromUtf8("Easy\u00D8Pal")), id(legacy));
        QCOMPARE(find(QString::fromUtf8("SM0\u00D8X")), id(utf8));
    }

    // Windows inside a frame are found through the window manager's list.
    void usesTheClientList() {
        const Window frame = makeWindow(nullptr);
        const Window client = XCreateSimpleWindow(display_, frame, 0, 0, 100, 100, 0, 0, 0);
        setTitle(client, "EasyPal");
        XMapWindow(display_, client);
        XSync(display_, False);
        QCOMPARE(find("EasyPal"), id(0));
        const unsigned long list[] = {frame, client};
        XChangeProperty(display_, DefaultRootWindow(display_), atom(display_, "_NET_CLIENT_LIST"),
                        XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(list), 2);
        XSync(display_, False);
        QCOMPARE(find("EasyPal"), id(client));
    }

    void activationRaisesAndFocuses() {
        const Window mmsstv = makeWindow("MMSSTV");
        const Window other = makeWindow("Other");
        QCOMPARE(topWindow(), other);
        QVERIFY(bridge_->activateWindowByTitle("MMSSTV"));
        XSync(display_, False);
        QCOMPARE(topWindow(), mmsstv);
        QCOMPARE(focusWindow(), mmsstv);
    }

    void activationShowsAHiddenWindow() {
        const Window mmsstv = makeWindow("MMSSTV");
        XUnmapWindow(display_, mmsstv);
        XSync(display_, False);
        QVERIFY(bridge_->activateWindowByTitle("MMSSTV"));
        XSync(display_, False);
        XWindowAttributes attributes{};
        QVERIFY(XGetWindowAttributes(display_, mmsstv, &attributes));
        QCOMPARE(attributes.map_state, IsViewable);
        QCOMPARE(focusWindow(), mmsstv);
    }

    void keystrokesArrive() {
        QVERIFY(bridge_->canType());
        makeWindow("MMSSTV");
        QVERIFY(bridge_->activateWindowByTitle("MMSSTV"));
        QVERIFY(bridge_->sendKeys("%{E}"));
        QVERIFY(bridge_->sendKeys("{P}{F7}Ab~^v"));
        QCOMPARE(readKeyPresses(7),
                 (QStringList{"Alt+e", "p", "F7", "Shift+a", "b", "Return", "Ctrl+v"}));
    }

    void nothingIsTypedWhenOneKeyIsMissing() {
        makeWindow("MMSSTV");
        QVERIFY(bridge_->activateWindowByTitle("MMSSTV"));
        // The Cyrillic letter has no key on the server's US keyboard.
        QVERIFY(!bridge_->sendKeys(QString::fromUtf8("ab\u0416")));
        QVERIFY(!bridge_->sendKeys("{BOGUS}"));
        XSync(display_, False);
        QCOMPARE(readKeyPresses(0), QStringList{});
    }

    // The keyboard map may change while the program runs (another layout chosen).
    void followsAChangedKeyboardMap() {
        makeWindow("MMSSTV");
        QVERIFY(bridge_->activateWindowByTitle("MMSSTV"));
        const QString zhe = QString::fromUtf8("\u0416");
        QVERIFY(!bridge_->sendKeys(zhe));

        int minimum = 0;
        int maximum = 0;
        XDisplayKeycodes(display_, &minimum, &maximum);
        int perCode = 0;
        KeySym *map =
            XGetKeyboardMapping(display_, KeyCode(minimum), maximum - minimum + 1, &perCode);
        int spare = 0;
        for (int code = maximum; code >= minimum && !spare; --code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i)
                empty = empty && map[(code - minimum) * perCode + i] == NoSymbol;
            if (empty)
                spare = code;
        }
        XFree(map);
        if (!spare)
            QSKIP("the server's keyboard map has no free key");
        // Unicode keysyms: lower and upper case.
        KeySym symbols[2] = {0x1000436, 0x1000416};
        XChangeKeyboardMapping(display_, spare, 2, symbols, 1);
        XSync(display_, False);

        const bool sent = bridge_->sendKeys(zhe);
        const QStringList presses = readKeyPresses(1);
        KeySym none[2] = {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(display_, spare, 2, none, 1);
        XSync(display_, False);
        QVERIFY(sent);
        QCOMPARE(presses, QStringList{"Shift+U0436"});
    }

private:
    using WindowId = DesktopBridge::WindowId;
    static WindowId id(Window window) { return WindowId(window); }
    WindowId find(const QString &title) { return bridge_->findTopLevelWindow(title); }

    void setTitle(Window window, const char *utf8Title, const char *latin1Title = nullptr) {
        if (latin1Title)
            XStoreName(display_, window, latin1Title);
        if (utf8Title) {
            if (!latin1Title)
                XStoreName(display_, window, utf8Title);
            XChangeProperty(display_, window, atom(display_, "_NET_WM_NAME"),
                            atom(display_, "UTF8_STRING"), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(utf8Title),
                            int(strlen(utf8Title)));
        }
    }

    // A mapped top-level window that reports key presses; titled through _NET_WM_NAME (and
    // WM_NAME), or through WM_NAME alone.
    Window makeWindow(const char *utf8Title, const char *latin1Title = nullptr) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = KeyPressMask;
        const Window window = XCreateWindow(
            display_, DefaultRootWindow(display_), 10 + 20 * int(windows_.size()), 10, 200, 150, 0,
            CopyFromParent, InputOutput, CopyFromParent, CWEventMask, &attributes);
        windows_.push_back(window);
        setTitle(window, utf8Title, latin1Title);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    Window topWindow() {
        Window root = 0;
        Window parent = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
        const Window top = count ? children[count - 1] : 0;
        if (children)
            XFree(children);
        return top;
    }

    Window focusWindow() {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        return focus;
    }

    void drainEvents() {
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

    // The next `count` key presses (modifier keys left out), as "Alt+e"; waits up to 5 s for
    // them. With a count of 0, whatever presses are there already.
    QStringList readKeyPresses(int count) {
        QStringList presses;
        XSync(display_, False);
        QDeadlineTimer deadline(5000);
        while (presses.size() < count || (count == 0 && XPending(display_))) {
            if (!XPending(display_)) {
                if (deadline.hasExpired())
                    break;
                pollfd wait{ConnectionNumber(display_), POLLIN, 0};
                ::poll(&wait, 1, 100);
                continue;
            }
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
            if (event.type != KeyPress)
                continue;
            const KeySym symbol = XLookupKeysym(&event.xkey, 0);
            if (IsModifierKey(symbol))
                continue;
            QString text;
            if (event.xkey.state & ControlMask)
                text += "Ctrl+";
            if (event.xkey.state & Mod1Mask)
                text += "Alt+";
            if (event.xkey.state & ShiftMask)
                text += "Shift+";
            presses.append(text + QString::fromLatin1(XKeysymToString(symbol)));
        }
        return presses;
    }

    Xvfb xvfb_;
    QString displayName_;
    Display *display_ = nullptr;
    std::unique_ptr<X11DesktopBridge> bridge_;
    std::vector<Window> windows_;
};

QTEST_GUILESS_MAIN(X11DesktopBridgeTest)
#include "tst_x11desktopbridge.moc"
