#include "ui/MenuBarPainter.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <cmath>

namespace tavimo {

namespace {

// The picture travels with the action as three dynamic properties, so that it
// survives the action being moved between bars and can be read back in tests.
constexpr char KindProperty[] = "tavimoMenuPictureKind";
constexpr char TextProperty[] = "tavimoMenuPictureText";
constexpr char WidthProperty[] = "tavimoMenuPictureWidth";

// What an action's text shows: "&&" is one "&", a lone "&" marks a mnemonic
// and is not drawn.
QString visibleText(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && ++i == text.size())
            break; // the character after "&" is shown as it is, so "&&" gives "&"
        out.append(text.at(i));
    }
    return out;
}

// Re-lays out and repaints every menu bar that shows the action.
void refreshBars(QAction *action) {
    const QList<QObject *> users = action->associatedObjects();
    for (QObject *user : users) {
        auto *bar = qobject_cast<QMenuBar *>(user);
        if (!bar)
            continue;
        installMenuBarPainter(bar);
        QActionEvent changed(QEvent::ActionChanged, action);
        QCoreApplication::sendEvent(bar, &changed);
        bar->update();
    }
}

void setPicture(QAction *action, MenuPicture kind, const QString &text, int boxWidth) {
    if (!action)
        return;
    action->setProperty(KindProperty, static_cast<int>(kind));
    action->setProperty(TextProperty, text);
    action->setProperty(WidthProperty, std::max(0, boxWidth));
    refreshBars(action);
}

// The action of a menu bar whose item an option of CT_MenuBarItem describes.
// The bar asks for sizes before it knows where items go, so the action is
// found by its text: the first visible action with that text.
const QAction *actionForSizeOption(const QMenuBar *bar, const QStyleOptionMenuItem *item) {
    const QList<QAction *> actions = bar->actions();
    for (const QAction *action : actions) {
        if (action->isVisible() && !action->isSeparator() && action->text() == item->text)
            return action;
    }
    return nullptr;
}

} // namespace

QColor menuGradientColor(MenuPicture kind, int step) {
    const int i = std::clamp(step, 0, MenuGradientSteps - 1);
    switch (kind) {
    case MenuPicture::Page:
        return QColor(0, 150 - 4 * i, 0);
    case MenuPicture::Update:
        return QColor(0, 200 - 4 * i, 0);
    case MenuPicture::Refresh:
    case MenuPicture::Gallery:
        break;
    }
    return QColor(0, 0, 250 - 4 * i);
}

int menuGradientStep(int row, int height) {
    const int last = MenuGradientSteps - 1;
    if (height <= 1)
        return 0;
    const int r = std::clamp(row, 0, height - 1);
    // Nearest step, rounding halves up; integer arithmetic keeps it exact.
    return (2 * r * last + (height - 1)) / (2 * (height - 1));
}

QColor menuPictureTextColor() {
    return QColor(Qt::white);
}

QFont menuFont() {
    return QApplication::font("QMenuBar");
}

int menuPictureTextWidth(const QFont &font, const QString &text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(visibleText(text))));
}

int widestPageLabel(const QFont &font, const QStringList &captions, int current) {
    int widest = current;
    for (const QString &caption : captions)
        widest = std::max(widest, menuPictureTextWidth(font, QStringLiteral("  ") + caption +
                                                                 QStringLiteral("  ")));
    return widest;
}

QImage renderMenuPicture(MenuPicture kind, const QString &text, const QFont &font, QSize size,
                         qreal devicePixelRatio) {
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize pixels(std::max(0, static_cast<int>(std::ceil(size.width() * dpr))),
                       std::max(0, static_cast<int>(std::ceil(size.height() * dpr))));
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(dpr);
    for (int row = 0; row < pixels.height(); ++row) {
        const QRgb colour = menuGradientColor(kind, menuGradientStep(row, pixels.height())).rgb();
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        std::fill(line, line + pixels.width(), colour);
    }

    const QString shown = visibleText(text);
    if (shown.isEmpty())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(menuPictureTextColor());
    // Placed by hand rather than with an alignment flag: the flags leave
    // trailing blanks out of the width, and captions carry blanks on both
    // sides for their margins.
    const QFontMetricsF metrics(font, &image);
    const qreal x = size.width() / 2.0 - metrics.horizontalAdvance(shown) / 2.0;
    const qreal top = size.height() / 2.0 - metrics.height() / 2.0;
    painter.drawText(QPointF(x, top + metrics.ascent()), shown);
    return image;
}

void setPageMenuText(QAction *action, const QString &text, int boxWidth) {
    setPicture(action, MenuPicture::Page, text, boxWidth);
}

void setRefreshMenuText(QAction *action, const QString &text) {
    setPicture(action, MenuPicture::Refresh, text, 0);
}

void setUpdateMenuText(QAction *action, const QString &text) {
    setPicture(action, MenuPicture::Update, text, 0);
}

void setGalleryMenuText(QAction *action, const QString &text) {
    setPicture(action, MenuPicture::Gallery, text, 0);
}

void restorePlainMenuText(QAction *action, const QString &caption) {
    if (!action)
        return;
    const bool hadPicture = action->property(KindProperty).isValid();
    action->setProperty(KindProperty, QVariant());
    action->setProperty(TextProperty, QVariant());
    action->setProperty(WidthProperty, QVariant());
    if (action->text() != caption)
        action->setText(caption); // tells its menu bars itself
    else if (hadPicture)
        refreshBars(action);
}

std::optional<MenuPictureInfo> menuPicture(const QAction *action) {
    if (!action)
        return std::nullopt;
    const QVariant kind = action->property(KindProperty);
    if (!kind.isValid())
        return std::nullopt;
    MenuPictureInfo picture;
    picture.kind = static_cast<MenuPicture>(kind.toInt());
    picture.text = action->property(TextProperty).toString();
    picture.boxWidth = action->property(WidthProperty).toInt();
    return picture;
}

void installMenuBarPainter(QMenuBar *bar) {
    if (!bar || qobject_cast<MenuBarStyle *>(bar->style()))
        return;
    // A bar handed to the desktop's global menu is drawn by the desktop.
    bar->setNativeMenuBar(false);
    auto *style = new MenuBarStyle;
    style->setParent(bar); // the bar does not own its style
    bar->setStyle(style);
}

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const {
    if (element == CE_MenuBarItem) {
        const auto *bar = qobject_cast<const QMenuBar *>(widget);
        if (bar && qstyleoption_cast<const QStyleOptionMenuItem *>(option)) {
            if (const auto picture = menuPicture(bar->actionAt(option->rect.center()))) {
                const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
                painter->drawImage(option->rect.topLeft(),
                                   renderMenuPicture(picture->kind, picture->text, bar->font(),
                                                     option->rect.size(), dpr));
                return;
            }
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize MenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                     const QSize &size, const QWidget *widget) const {
    const QSize base = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type != CT_MenuBarItem)
        return base;
    const auto *bar = qobject_cast<const QMenuBar *>(widget);
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!bar || !item)
        return base;
    const auto picture = menuPicture(actionForSizeOption(bar, item));
    if (!picture)
        return base;
    // The picture fills the item from top to bottom; its height is the one the
    // style gives an item showing the picture's text (the bar then evens the
    // heights of all its items out).
    const QSize textSize(1, QFontMetrics(bar->font()).height());
    const int height = std::max(
        base.height(), QProxyStyle::sizeFromContents(type, option, textSize, widget).height());
    // A fitted picture is as wide as the plain item would be (its margins
    // included), so that the items after it stay put when the look changes.
    const int width =
        picture->boxWidth > 0
            ? picture->boxWidth
            : std::max(base.width(), menuPictureTextWidth(bar->font(), picture->text));
    return QSize(std::max(1, width), height);
}

} // namespace tavimo
