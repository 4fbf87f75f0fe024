#pragma once

// Menu-bar items shown as pictures.
//
// A few items of the menu bars do not show their plain caption: the page name
// (green), the refresh state (blue), the new-version notice (light green) and
// the gallery's page item (blue) show their text centred over a vertical
// gradient. The picture is a property of the QAction; a QProxyStyle installed
// on the menu bar paints and sizes every action that carries one, and leaves
// every other action to the normal style. The action's own text() stays the
// plain caption and is what the item shows again after a restore.
//
// Use from the main window:
//
//     installMenuBarPainter(menuBar());                 // once, after the bar is built
//     const QFont font = menuBar()->font();              // the menu font
//     pageLabelWidth = widestPageLabel(font, pageCaptions, pageLabelWidth);
//     setPageMenuText(mnuPg, mnuPage[currentPage]->text(), pageLabelWidth);
//     setRefreshMenuText(mnuRefresh, mnuRefresh->text());  // loading look
//     ...
//     restorePlainMenuText(mnuRefresh, mnuRefresh->text()); // the pass has ended
//     setUpdateMenuText(mnuUpdate, "   " + lngUpdate + "   ");
//
// and from the gallery: `setGalleryMenuText(mnu15, "  Images 1-15  ")` on the
// item being shown and `restorePlainMenuText(mnu30, "  Images 16-30  ")` on the
// other one.
//
// Texts follow QAction's convention: "&&" shows one "&", a single "&" is
// not drawn.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QProxyStyle>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QAction;
class QMenuBar;

namespace tavimo {

// Which item a picture is for; each has its own gradient.
enum class MenuPicture {
    Page,    // green 150 down to 50
    Refresh, // blue 250 down to 150
    Update,  // green 200 down to 100
    Gallery, // blue 250 down to 150
};

inline constexpr int MenuGradientSteps = 26; // steps 0 (top) to 25 (bottom)

// Colour of one gradient step; steps outside 0..25 are clamped.
QColor menuGradientColor(MenuPicture kind, int step);

// The gradient step that pixel row `row` of a picture `height` rows high shows:
// the top row step 0, the bottom row step 25, evenly in between.
int menuGradientStep(int row, int height);

// Colour of the text drawn over the gradient.
QColor menuPictureTextColor();

// The menu font: the font Qt gives menu bars.
QFont menuFont();

// Width in pixels of `text` drawn in `font` (what a fitted picture takes).
int menuPictureTextWidth(const QFont &font, const QString &text);

// The widest of two blanks, a caption and two blanks over `captions`, or
// `current` when none is wider: the page item's width only ever grows.
int widestPageLabel(const QFont &font, const QStringList &captions, int current);

// Paints a picture: the kind's gradient over the whole size and `text`
// centred in `font`; a text wider than the picture is cut at both edges. With
// a device pixel ratio above 1 the image has that many pixels per point.
QImage renderMenuPicture(MenuPicture kind, const QString &text, const QFont &font, QSize size,
                         qreal devicePixelRatio = 1.0);

// --- Actions carrying a picture ------------------------------------------

struct MenuPictureInfo {
    MenuPicture kind = MenuPicture::Page;
    QString text;
    int boxWidth = 0; // pixels; 0 = fitted to the text
};

// The page name on a box of fixed width (the widest page label seen).
void setPageMenuText(QAction *action, const QString &text, int boxWidth);
// The refresh item in its loading look, fitted to the text.
void setRefreshMenuText(QAction *action, const QString &text);
// The new-version notice, fitted to the text.
void setUpdateMenuText(QAction *action, const QString &text);
// The gallery's page item, fitted to the text.
void setGalleryMenuText(QAction *action, const QString &text);

// Puts the plain caption back: the item is drawn by the normal style again.
void restorePlainMenuText(QAction *action, const QString &caption);

// The picture an action carries, if any.
std::optional<MenuPictureInfo> menuPicture(const QAction *action);

// Lets `bar` show the pictures (and keeps it a widget of its own, not a
// desktop-wide menu, which no style reaches). Safe to call more than once;
// the setters above call it for every menu bar the action is on already.
void installMenuBarPainter(QMenuBar *bar);

// The style behind it: paints and sizes the menu-bar items whose action
// carries a picture and hands everything else to the application's style.
class MenuBarStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
};

} // namespace tavimo
