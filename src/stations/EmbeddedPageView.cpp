#include "stations/EmbeddedPageView.h"

#include "stations/EmbeddedViewFactory.h"
#include "stations/Logging.h"

#include <QWidget>

namespace tavimo {

EmbeddedPageView::EmbeddedPageView(EmbeddedViewFactory &factory, QObject *parent)
    : WebPageView(parent), factory_(factory) {
    view_ = factory_.createView(
        this,
        [this](bool ok) {
            if (ok) {
                shown_ = true;
                return;
            }
            if (shown_)
                return;
            qCWarning(lcStations) << "the map page did not load" << factory_.url(view_).toString();
            emit failed();
        },
        [this](const QString &why) {
            qCWarning(lcStations) << "the map page's process ended:" << why;
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
    factory_.load(view_, address);
    return true;
}

QImage EmbeddedPageView::capture() {
    if (!view_ || !view_->isVisible())
        return {};
    return view_->grab().toImage();
}

} // namespace tavimo
