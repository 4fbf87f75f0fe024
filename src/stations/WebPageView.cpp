#include "stations/WebPageView.h"

#include "stations/Logging.h"

#include <QCoreApplication>
#include <QDesktopServices>

#include <unistd.h>

#ifdef TAVIMO_HAVE_WEBENGINE
#include "stations/webengine/EmbeddedPageView.h"
#endif

namespace tavimo {

WebPageView::~WebPageView() = default;

BrowserPageView::BrowserPageView(OpenUrlFunction openUrl, QObject *parent)
    : WebPageView(parent), openUrl_(std::move(openUrl)) {}

bool BrowserPageView::load(const QUrl &address) {
    const bool opened = openUrl_ ? openUrl_(address) : QDesktopServices::openUrl(address);
    if (!opened)
        qCWarning(lcStations) << "no browser opened" << address.toString();
    return opened;
}

bool embeddedPageViewBuilt() {
#ifdef TAVIMO_HAVE_WEBENGINE
    return true;
#else
    return false;
#endif
}

std::unique_ptr<WebPageView> createEmbeddedPageView() {
#ifdef TAVIMO_HAVE_WEBENGINE
    return std::make_unique<EmbeddedPageView>();
#else
    return nullptr;
#endif
}

void prepareWebViewBeforeApplication() {
#ifdef TAVIMO_HAVE_WEBENGINE
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

} // namespace tavimo
