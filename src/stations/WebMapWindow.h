#pragma once

#include "core/base/FileDialogs.h"
#include "core/geo/StreetViewJob.h"
#include "platform/PictureTransfer.h"
#include "stations/WebPageView.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;

namespace tavimo {

struct AppState;
class DesktopBridge;
class WindowRegistry;

// What the main window asks for, captured when it asks.
struct WebMapRequest {
    QString StreetViewJob; // the site's callsign, "*", the web map address
    bool wxPage = false;   // asked from the WX page
};

// The outside world the window reaches; tests replace each part.
struct WebMapServices {
    DesktopBridge *desktop = nullptr;      // reaches EasyPal; null: no keystrokes
    ShowFileDialogFunction showFileDialog; // empty: Qt's file dialog
    ClipboardWriter clipboard;             // empty: the system clipboard
    OpenUrlFunction openInBrowser;         // empty: the desktop's default browser
    // The view inside the window; empty: the embedded web view when the
    // program has it, else the default browser.
    WebPageViewFactory makeView;
};

// The street or satellite view of a site's position. While it is open the
// main window takes no input; its refreshing goes on. Two buttons over the
// page capture it: one saves the picture through the shared save routine
// (as images/Map.bmp first), the other puts it on the clipboard and, when
// EasyPal is running, hands it there with F7. When the page can only open in
// the default browser, the buttons stay off and say why.
class WebMapWindow : public QWidget {
    Q_OBJECT

public:
    WebMapWindow(AppState &state, const StreetViewJob &job, WebMapServices services);
    ~WebMapWindow() override;

    // The button strip over the page and its two buttons.
    QWidget *pic1 = nullptr;
    QPushButton *cmdPaste = nullptr;
    QPushButton *cmdSave = nullptr;

    const StreetViewJob &job() const { return job_; }
    // True while the page is shown inside the window.
    bool showsPageInside() const;
    WebPageView *view() const { return view_.get(); }

    // Save image: capture, images/Map.bmp, then the shared save routine.
    void cmdSave_Click();
    // Copy to clipboard: capture, clipboard, then F7 to EasyPal when found.
    void cmdPaste_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showInside(std::unique_ptr<WebPageView> view);
    void showInBrowser();
    void view_failed();
    void placeButtonStrip();
    void setCaptureEnabled(bool enabled, const QString &why = {});
    // The page's picture; null after a message that says so.
    QImage captureOrSay();
    void say(const QString &text);

    AppState &state_;
    StreetViewJob job_;
    WebMapServices services_;
    std::unique_ptr<WebPageView> view_;
    QLabel *browserNote_ = nullptr;
    bool capturing_ = false;
};

// Opens the view of a request, or says why it cannot: a job without "*" or
// with an address that is not an http or https address, and a site without a
// position (every site of the WX page) open nothing. Only one view is open at
// a time; asking while it is open brings it to the front. Null when nothing
// opened.
WebMapWindow *openWebMapWindow(AppState &state, WindowRegistry &registry,
                               const WebMapRequest &request, const WebMapServices &services = {});

} // namespace tavimo
