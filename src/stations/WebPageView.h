#pragma once

#include <QImage>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

namespace tavimo {

// What the street and satellite view window shows a web map page through: a
// web view embedded in the window, or the desktop's default browser. Tests
// hand in a view of their own.
class WebPageView : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~WebPageView() override;

    // The widget that shows the page inside the window; null when the page is
    // shown outside it.
    virtual QWidget *widget() = 0;
    // Starts showing the page; false when that could not even start.
    virtual bool load(const QUrl &address) = 0;
    // Whether capture() can give a picture of the page.
    virtual bool canCapture() const = 0;
    // The page as it is shown now, at the widget's size; null when there is no
    // picture to give.
    virtual QImage capture() = 0;

signals:
    // The page cannot be shown here: it did not load, or the view itself broke.
    void failed();
};

// Opens an address in the desktop's default browser; false when none opened.
using OpenUrlFunction = std::function<bool(const QUrl &)>;
// The view a window shows its page through.
using WebPageViewFactory = std::function<std::unique_ptr<WebPageView>()>;

// Pages open in the default browser (`openUrl`, or the desktop's when empty);
// nothing is embedded and nothing can be captured.
class BrowserPageView final : public WebPageView {
    Q_OBJECT

public:
    explicit BrowserPageView(OpenUrlFunction openUrl = {}, QObject *parent = nullptr);

    QWidget *widget() override { return nullptr; }
    bool load(const QUrl &address) override;
    bool canCapture() const override { return false; }
    QImage capture() override { return {}; }

private:
    OpenUrlFunction openUrl_;
};

// True when the program was built with the embedded web view.
bool embeddedPageViewBuilt();

// The embedded web view, made by the web view module (`moduleFile`, or the
// program's own when empty), which is loaded on the first call; null when
// there is no module to load.
std::unique_ptr<WebPageView> createEmbeddedPageView(const QString &moduleFile = {});

// What the embedded web view needs before the application object exists:
// when the program runs as root, its page processes without their sandbox
// (which refuses to start as root). main() calls it first; it does nothing in
// a build without the view.
void prepareWebViewBeforeApplication();

} // namespace tavimo
