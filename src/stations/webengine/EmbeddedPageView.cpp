#include "stations/webengine/EmbeddedPageView.h"

#include "stations/Logging.h"

#include <QWebEngineView>

namespace tavimo {

EmbeddedPageView::EmbeddedPageView(QObject *parent)
    : WebPageView(parent), view_(new QWebEngineView) {
    connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (ok) {
            shown_ = true;
            return;
        }
        if (shown_)
            return;
        qCWarning(lcStations) << "the map page did not load" << view_->url().toString();
        emit failed();
    });
    connect(view_, &QWebEngineView::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                qCWarning(lcStations) << "the map page's process ended" << status << code;
                emit failed();
            });
}

EmbeddedPageView::~EmbeddedPageView() {
    if (view_ && !view_->parent())
        delete view_;
}

QWidget *EmbeddedPageView::widget() {
    return view_;
}

bool EmbeddedPageView::load(const QUrl &address) {
    if (!view_)
        return false;
    shown_ = false;
    view_->load(address);
    return true;
}

QImage EmbeddedPageView::capture() {
    if (!view_ || !view_->isVisible())
        return {};
    return view_->grab().toImage();
}

} // namespace tavimo
