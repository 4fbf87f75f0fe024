#include "gallery/ViewerLayout.h"

#include "core/base/Numbers.h"
#include "core/text/Language.h"

#include <algorithm>
#include <limits>

namespace tavimo {

namespace {

int rounded(double value) {
    return int(roundHalfEven(value));
}

// How far a point lies outside a rectangle (0 inside), squared.
qint64 distanceSquared(const QRect &rect, QPoint point) {
    const qint64 dx = point.x() < rect.left()    ? rect.left() - point.x()
                      : point.x() > rect.right() ? point.x() - rect.right()
                                                 : 0;
    const qint64 dy = point.y() < rect.top()      ? rect.top() - point.y()
                      : point.y() > rect.bottom() ? point.y() - rect.bottom()
                                                  : 0;
    return dx * dx + dy * dy;
}

} // namespace

ViewerLayout viewerLayout(QSize picture, const QRect &monitor, QSize frameExtra) {
    const int w = picture.width();
    const int h = picture.height();
    ViewerLayout layout;
    if (w <= 0 || h <= 0)
        return layout;
    if (w < kSmallPictureWidth && h < kSmallPictureHeight) {
        layout.fit = ViewerLayout::Fit::Enlarged;
        double height = kSmallPictureHeight;
        double width = height * w / h;
        if (width > kSmallPictureWidth) {
            width = kSmallPictureWidth;
            height = width * h / w;
        }
        layout.client = QSize(rounded(width), rounded(height));
        layout.picture = QRect(QPoint(0, 0), layout.client);
    } else if (w < monitor.width() - frameExtra.width() &&
               h < monitor.height() - frameExtra.height()) {
        layout.fit = ViewerLayout::Fit::OwnSize;
        layout.client = picture;
        layout.picture = QRect(QPoint(0, 0), picture);
    } else {
        layout.fit = ViewerLayout::Fit::Panned;
        const int outerW = std::min(w + frameExtra.width(), monitor.width());
        const int outerH = std::min(h + frameExtra.height(), monitor.height());
        layout.client = QSize(std::max(1, outerW - frameExtra.width()),
                              std::max(1, outerH - frameExtra.height()));
        layout.picture = QRect(QPoint(0, 0), picture);
        // The middle of the picture is in view first.
        if (w > layout.client.width()) {
            layout.PanWide = true;
            layout.picture.moveLeft((layout.client.width() - w) / 2);
        }
        if (h > layout.client.height()) {
            layout.PanTall = true;
            layout.picture.moveTop((layout.client.height() - h) / 2);
        }
    }
    const QSize outer = layout.client + frameExtra;
    layout.windowTopLeft = QPoint((monitor.width() - outer.width()) / 2 + monitor.left(),
                                  (monitor.height() - outer.height()) / 2 + monitor.top());
    return layout;
}

QRect nearestMonitor(const QList<QRect> &monitors, QPoint point) {
    QRect best;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const QRect &monitor : monitors) {
        const qint64 distance = distanceSquared(monitor, point);
        if (distance < bestDistance) {
            best = monitor;
            bestDistance = distance;
        }
    }
    return best;
}

int panOffset(int offset, int last, int now, int pictureExtent, int clientExtent) {
    if (clientExtent <= 0 || pictureExtent <= clientExtent)
        return 0;
    const double ratio = double(pictureExtent) / clientExtent;
    const int moved = rounded(ratio * (last - now)) + offset;
    return std::clamp(moved, clientExtent - pictureExtent, 0);
}

QString viewerCaption(const LanguageTexts &texts, const QString &from, const QString &info,
                      const QString &time, QSize picture, qint64 fileBytes, const QLocale &locale) {
    // Thousands are grouped even where the locale leaves that off by default.
    QLocale grouped = locale;
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    const QString start =
        from.isEmpty() ? QString() : texts.LngFromPrefix + from + QStringLiteral(" - ");
    return start + info + QStringLiteral(" - ") + time + QStringLiteral(" - ") +
           QString::number(picture.width()) + u'x' + QString::number(picture.height()) +
           QStringLiteral(" pixels - ") + grouped.toString(fileBytes) +
           QStringLiteral(" bytes (Uploaded size)");
}

} // namespace tavimo
