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

class X11DesktopBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QString program = QStandardPaths::findExecutable("Xvfb");
        if (program.isEmpty())
            QSKIP("Xvfb is not installed");
        xvfb_.setStandardErrorFile(QProcess::nullDevice());
        // -displayfd: the server writes its display number there once it accepts clients.
        xvfb_.start(program, {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp",
                              "-noreset"});
        QVERIFY(xvfb_.waitForStarted(10000));
        QByteArray number;
        while (!number.contains('\n') && xvfb_.waitForReadyRead(20000))
            number += xvfb_.readAllStandardOutput();
        QVERIFY2(number.contains('\n'), "Xvfb named no display");
        const QString displayName = ':' + QString::fromLatin1(number.trimmed());
        display_ = XOpenDisplay(displayName.toLatin1().constData());
        QVERIFY(display_);
        bridge_ = X11DesktopBridge::open(displayName);
        QVERIFY(bridge_);
        bridge_->setWaitFunction([](int) {});
    }

    void cleanupTestCase() {
        bridge_.reset();
        if (display_)
            XCloseDisplay(display_);
        xvfb_.kill();
        xvfb_.waitForFinished();
    }

    void cleanup() {
        if (!display_)
            return;
        for (const Window window : windows_)
            XDestroyWindow(display_, window);
        windows_.clear();
        XDeleteProperty(display_, root(), atom("_NET_CLIENT_LIST"));
        XSync(display_, False);
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

    void findsTheExactTitleWithoutAWindowManager() {
        const Window mmsstv = makeWindow("MMSSTV");
        makeWindow("MMSSTV Setup");
        const Window legacy = makeWindow(nullptr, "Easy\xD8Pal"); // WM_NAME only, Latin-1
        const Window utf8 = makeWindow("SM0\u00D8X");             // _NET_WM_NAME as well
        QCOMPARE(find("MMSSTV"), id(mmsstv));
        QCOMPARE(find("mmsstv"), id(0));
        QCOMPARE(find("MMSST"), id(0));
        QVERIFY(!bridge_->activateWindowByTitle("Mmsstv"));
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
        XChangeProperty(display_, root(), atom("_NET_CLIENT_LIST"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(list), 2);
        XSync(display_, False);
        QCOMPARE(find("EasyPal"), id(client));
    }

    void activationShowsRaisesAndFocuses() {
        const Window mmsstv = makeWindow("MMSSTV");
        XUnmapWindow(display_, mmsstv);
        makeWindow("Other");
        QVERIFY(bridge_->activateWindowByTitle("MMSSTV"));
        XSync(display_, False);
        XWindowAttributes attributes{};
        QVERIFY(XGetWindowAttributes(display_, mmsstv, &attributes));
        QCOMPARE(attributes.map_state, IsViewable);
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display_, root(), &rootReturn, &parent, &children, &count);
        const Window top = count ? children[count - 1] : 0;
        XFree(children);
        QCOMPARE(top, mmsstv);
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        QCOMPARE(focus, mmsstv);
    }

    // The Cyrillic letter has no key on the server's US keyboard until one is mapped (another
    // layout chosen while the program runs); until then nothing at all is typed.
    void keystrokesFollowTheKeyboardMapAllOrNothing() {
        QVERIFY(bridge_->canType());
        makeWindow("MMSSTV");
        QVERIFY(bridge_->activateWindowByTitle("MMSSTV"));
        QVERIFY(bridge_->sendKeys("%{E}"));
        QVERIFY(bridge_->sendKeys("{P}{F7}Ab~^v"));
        QCOMPARE(readKeyPresses(7),
                 (QStringList{"Alt+e", "p", "F7", "Shift+a", "b", "Return", "Ctrl+v"}));

        const QString zhe = QString::fromUtf8("ab\u0416");
        QVERIFY(!bridge_->sendKeys(zhe));
        QVERIFY(!bridge_->sendKeys("{BOGUS}"));
        QCOMPARE(readKeyPresses(0), QStringList{});

        int minimum = 0, maximum = 0, perCode = 0, spare = 0;
        XDisplayKeycodes(display_, &minimum, &maximum);
        KeySym *map =
            XGetKeyboardMapping(display_, KeyCode(minimum), maximum - minimum + 1, &perCode);
        for (int code = maximum; code >= minimum && !spare; --code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i)
                empty = empty && map[(code - minimum) * perCode + i] == NoSymbol;
            spare = empty ? code : 0;
        }
        XFree(map);
        if (!spare)
            QSKIP("the server's keyboard map has no free key");
        KeySym symbols[2] = {0x1000436, 0x1000416}; // Unicode keysyms: lower and upper case
        XChangeKeyboardMapping(display_, spare, 2, symbols, 1);
        XSync(display_, False);
        const bool sent = bridge_->sendKeys(zhe);
        const QStringList presses = readKeyPresses(3);
        KeySym none[2] = {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(display_, spare, 2, none, 1);
        XSync(display_, False);
        QVERIFY(sent);
        QCOMPARE(presses, (QStringList{"a", "b", "Shift+U0436"}));
    }

private:
    using WindowId = DesktopBridge::WindowId;
    static WindowId id(Window window) { return WindowId(window); }
    WindowId find(const QString &title) { return bridge_->findTopLevelWindow(title); }
    Window root() { return DefaultRootWindow(display_); }
    Atom atom(const char *name) { return XInternAtom(display_, name, False); }

    void setTitle(Window window, const char *utf8Title, const char *latin1Title = nullptr) {
        if (const char *name = latin1Title ? latin1Title : utf8Title)
            XStoreName(display_, window, name);
        if (utf8Title) {
            XChangeProperty(display_, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                            PropModeReplace, reinterpret_cast<const unsigned char *>(utf8Title),
                            int(strlen(utf8Title)));
        }
    }

    // A mapped top-level window that reports key presses; titled through _NET_WM_NAME (and
    // WM_NAME), or through WM_NAME alone.
    Window makeWindow(const char *utf8Title, const char *latin1Title = nullptr) {
        XSetWindowAttributes attributes{};
        attributes.event_mask = KeyPressMask;
        const Window window =
            XCreateWindow(display_, root(), 10 + 20 * int(windows_.size()), 10, 200, 150, 0,
                          CopyFromParent, InputOutput, CopyFromParent, CWEventMask, &attributes);
        windows_.push_back(window);
        setTitle(window, utf8Title, latin1Title);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
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
            const KeySym symbol = event.type == KeyPress ? XLookupKeysym(&event.xkey, 0) : 0;
            if (!symbol || IsModifierKey(symbol))
                continue;
            const unsigned state = event.xkey.state;
            presses.append(QString(state & ControlMask ? "Ctrl+" : "") +
                           (state & Mod1Mask ? "Alt+" : "") + (state & ShiftMask ? "Shift+" : "") +
                           keyName(symbol));
        }
        return presses;
    }

    // Xlib's name of a key, as "U0436" for a Unicode keysym: Xlib would hand that one out in
    // memory of its own that nobody frees.
    static QString keyName(KeySym symbol) {
        if ((symbol & 0xFF000000) == 0x01000000)
            return QString("U%1").arg(symbol & 0xFFFFFF, 4, 16, QChar('0')).toUpper();
        return QString::fromLatin1(XKeysymToString(symbol));
    }

    QProcess xvfb_;
    Display *display_ = nullptr;
    std::unique_ptr<X11DesktopBridge> bridge_;
    std::vector<Window> windows_;
};

QTEST_GUILESS_MAIN(X11DesktopBridgeTest)
#include "tst_x11desktopbridge.moc"
