// The web view module: Qt WebEngine views for the street and satellite view,
// in a library of its own that the program loads on first use.

#include "stations/EmbeddedViewFactory.h"

#include <QWebEngineView>

namespace tavimo {

class WebEngineViewModule final : public QObject, public EmbeddedViewFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TAVIMO_EMBEDDED_VIEW_FACTORY_IID)
    Q_INTERFACES(tavimo::EmbeddedViewFactory)

public:
    QWidget *createView(QObject *context, std::function<void(bool)> finished,
                        std::function<void(const QString &)> broken) override {
        auto *view = new QWebEngineView;
        connect(view, &QWebEngineView::loadFinished, context, std::move(finished));
        connect(view, &QWebEngineView::renderProcessTerminated, context,
                [broken = std::move(broken)](QWebEnginePage::RenderProcessTerminationStatus status,
                                             int code) {
                    if (status != QWebEnginePage::NormalTerminationStatus)
                        broken(
                            QStringLiteral("status %1, exit code %2").arg(int(status)).arg(code));
                });
        return view;
    }

    void load(QWidget *view, const QUrl &address) override {
        if (auto *engineView = qobject_cast<QWebEngineView *>(view))
            engineView->load(address);
    }

    QUrl url(QWidget *view) const override {
        auto *engineView = qobject_cast<QWebEngineView *>(view);
        return engineView ? engineView->url() : QUrl();
    }
};

} // namespace tavimo

#include "WebEngineViewModule.moc"
