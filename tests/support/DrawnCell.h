#pragma once

// A cell of a painted grid as the eye sees it: the colour that fills it and
// the ink on it. Tests that read a grid through what it paints fail when the
// grid paints no text, no highlight or the wrong colour.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tavimo::test {

struct DrawnCell {
    QColor background;      // the colour most of the cell's pixels have
    QRect ink;              // the pixels of any other colour; empty when the cell is blank
    int darkestInk = 255;   // the lowest grey of the ink
    double inkContrast = 1; // the highest contrast ratio of an ink pixel with the background
};

// How much lighter the lighter colour is, as the web's accessibility guide measures it:
// 1 for equal colours, 21 for black on white; text wants 4.5 or more.
inline double contrastRatio(const QColor &a, const QColor &b) {
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline DrawnCell drawnCell(const QImage &image, const QRect &cell) {
    DrawnCell drawn;
    const QRect area = cell & image.rect();
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    }
    QRgb most = 0;
    int mostCount = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > mostCount) {
            most = it.key();
            mostCount = it.value();
        }
    }
    drawn.background = QColor::fromRgb(most);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == most)
                continue;
            drawn.ink |= QRect(x, y, 1, 1);
            drawn.darkestInk = std::min(drawn.darkestInk, qGray(pixel));
            drawn.inkContrast =
                std::max(drawn.inkContrast, contrastRatio(drawn.background, QColor(pixel)));
        }
    }
    return drawn;
}

// How the cell `rect` of `image` differs from `text` in black, written in `font`
// from `indent` pixels into the cell, on `background`; empty when it shows that.
// The ink has to start where the text starts and be as wide as the text.
inline QString textCellDifference(const QImage &image, const QRect &rect, const QString &text,
                                  const QColor &background, const QFont &font, int indent) {
    using namespace Qt::StringLiterals;
    const DrawnCell drawn = drawnCell(image, rect);
    const QString at = u"cell \"%1\": "_s.arg(text);
    if (drawn.background != background)
        return at + u"painted on %1, not %2"_s.arg(drawn.background.name(), background.name());
    if (text.isEmpty())
        return drawn.ink.isEmpty() ? QString() : at + u"ink in an empty cell"_s;
    const QRect tight = QFontMetrics(font).tightBoundingRect(text);
    const int left = rect.left() + indent + tight.left();
    if (drawn.ink.isEmpty() || std::abs(drawn.ink.left() - left) > 2 ||
        std::abs(drawn.ink.width() - tight.width()) > 2)
        return at + u"ink at x %1 to %2, the text spans %3 to %4"_s.arg(drawn.ink.left())
                        .arg(drawn.ink.right())
                        .arg(left)
                        .arg(left + tight.width() - 1);
    if (drawn.darkestInk > 60)
        return at + u"ink no darker than grey %1"_s.arg(drawn.darkestInk);
    return {};
}

} // namespace tavimo::test
