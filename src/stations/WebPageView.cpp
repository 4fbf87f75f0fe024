#include "stations/WebPageView.h"

#include "stations/EmbeddedPageView.h"
#include "stations/EmbeddedViewFactory.h"
#include "stations/Logging.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPluginLoader>

#include <unistd.h>

QT_BEGIN_NAMESPACE
// Qt Gui's context that every other one can share with; Qt has no public setter.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

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

namespace {

// The web view module's file where the program finds it; empty when the
// program was built without the view or the module is missing.
QString embeddedViewModuleFile() {
#ifdef TAVIMO_HAVE_WEBENGINE
    // Beside the program in the build folder; in the library folder once installed.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const QString &folder : {QStringLiteral("."), QStringLiteral(TAVIMO_WEBVIEW_MODULE_DIR)}) {
        const QString file =
            programFolder.filePath(folder + u'/' + QStringLiteral(TAVIMO_WEBVIEW_MODULE_NAME));
        if (QFileInfo::exists(file))
            return QDir::cleanPath(file);
    }
#endif
    return {};
}

// The browser engine draws through a graphics context shared with Qt's own.
// A program that links the engine has Qt make it as the application starts
// (Qt::AA_ShareOpenGLContexts), and every start pays for it; the program makes
// it here instead, before the engine is loaded, the first time a page is shown
// inside a window. Without it the engine would crash, so a display without
// OpenGL shows the page in the browser.
bool shareGraphicsContext() {
    if (QOpenGLContext::globalShareContext())
        return true;
    auto *context = new QOpenGLContext;
    if (!context->create()) {
        qCWarning(lcStations) << "no OpenGL for the embedded web view";
        delete context;
        return false;
    }
    qt_gl_set_global_share_context(context);
    qAddPostRoutine([] {
        QOpenGLContext *shared = QOpenGLContext::globalShareContext();
        qt_gl_set_global_share_context(nullptr);
        delete shared;
    });
    return true;
}

} // namespace

std::unique_ptr<WebPageView> createEmbeddedPageView(const QString &moduleFile) {
    const QString file = moduleFile.isEmpty() ? embeddedViewModuleFile() : moduleFile;
    if (file.isEmpty() || !shareGraphicsContext())
        return nullptr;
    // Loaded once: the loader keeps the library and its factory for the rest of the run.
    QPluginLoader loader(file);
    auto *factory = qobject_cast<EmbeddedViewFactory *>(loader.instance());
    if (!factory) {
        qCWarning(lcStations) << "no embedded web view:" << loader.errorString();
        return nullptr;
    }
    return std::make_unique<EmbeddedPageView>(*factory);
}

void prepareWebViewBeforeApplication() {
#ifdef TAVIMO_HAVE_WEBENGINE
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

} // namespace tavimo
