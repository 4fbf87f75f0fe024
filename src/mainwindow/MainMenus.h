#pragma once

#include "core/text/Language.h"
#include "core/thumbs/SlotAssignment.h"
#include "core/thumbs/ThumbTip.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace tavimo {

struct Config;
class CornerMenuButton;

// The main window's menu bar and pop-up menus, built once. Each item is a
// member named as its control; a menu array is a list indexed as the control
// array (mnuPage zero-based: page 1 first). What the items do is wired by the
// window to the parts that own the work; this class keeps the items' looks:
// captions from the language, check marks, the picture items of the bar, the
// slot pop-up as a click leaves it.
class MainMenus : public QObject {
    Q_OBJECT

public:
    // Builds the menus on `window`'s menu bar; `config` gives the Setup
    // menu's check marks each time it opens.
    MainMenus(QMainWindow &window, const Config &config);

    // An item by its control name and, for a menu array, its index, as the
    // language file names them ("mnuLang", 2). For a submenu this is its menu
    // action. Null when unknown.
    QAction *item(const QString &name, int index = -1) const;
    // Sets the captions the language file gave.
    void applyCaptions(const MenuCaptions &captions);
    // The timed refresh rates in the language's word for seconds ("30 sec").
    void setSecondsWord(const QString &seconds);

    // --- The page item -----------------------------------------------------------

    // The item of a page (1 to 10 SSTV, 11 WX), or null.
    QAction *pageItem(int page) const;
    QString pageCaption(int page) const;
    void setPageCaption(int page, const QString &caption);
    // Check mark on `page` alone.
    void checkPage(int page);
    // The bar shows `page`'s caption as the page picture. A caption wider
    // than the bar has room for beside the other items is shown cut short
    // with "…", the whole caption in the item's tip, so that no other item
    // is pushed off the bar.
    void showPage(int page);
    // The page picture is as wide as the widest of these captions, wider or
    // narrower than before.
    void fitPageItem(const QStringList &captions);
    int PageLabelWidth() const { return pageLabelWidth_; }
    // The widest page picture the bar has room for beside its other items;
    // 0 while the bar is not laid out.
    int pageItemRoom() const;
    // Every page caption, pages 1 to `pageCount`.
    QStringList pageCaptions(int pageCount) const;

    // --- The Refresh and update items ---------------------------------------------

    // The Refresh item in its loading look, or plain again.
    void showLoadingLook();
    void showPlainRefresh();
    bool loadingLook() const;
    // A new caption, shown plain.
    void setRefreshCaption(const QString &caption);
    // The new-version notice and its download item.
    void showUpdateNotice(const QString &noticeText, const QString &downloadText);
    void hideUpdateNotice();

    // --- Pop-ups --------------------------------------------------------------------

    // The slot pop-up as a click left it: visibility and captions.
    void applyPopUp(const ThumbPopUp &popUp);
    // The map views item's caption as the language gives it ("??" the callsign),
    // whatever the pop-up wrote into it since.
    QString earthViewTemplate();
    // The alphabetical list of the page's sites, opened at `at` (screen).
    void showAlphaList(const QList<AlphaMenuItem> &items, QPoint at);

    // --- Setup ----------------------------------------------------------------------

    // The check marks of the Setup menu, set each time it opens.
    void mnuSetup_Click();

    // --- The items ------------------------------------------------------------------

    QMenu *mnuPg = nullptr;
    QList<QAction *> mnuPage; // pages 1 to 11 at 0 to 10
    QAction *mnuRefresh = nullptr;

    QMenu *mnuFind = nullptr;
    QAction *mnuThisPage = nullptr;
    QAction *mnuAll = nullptr;

    QMenu *mnuUpdate = nullptr;
    QAction *mnuUpTavimo = nullptr;

    QMenu *mnuSetup = nullptr;
    CornerMenuButton *clock = nullptr; // Setup's caption: the UTC clock
    QAction *mnuCall = nullptr;
    QAction *mnuLatLon = nullptr;
    QAction *mnupgSel = nullptr;
    QAction *mnuAdd = nullptr;
    QAction *mnuEdit = nullptr;
    QAction *mnuRemove = nullptr;
    QList<QAction *> mnuRate;     // 30, 60, 90, 120 s, manual
    QList<QAction *> mnuGUIsizes; // small to extra large
    QList<QAction *> mnu5;        // 5, 10, 15, 24 thumbnails
    QAction *mnustartDSSTV = nullptr;
    QAction *mnustartWX = nullptr;
    QList<QAction *> mnuLang; // English, Spanish, German, French, Dutch
    QAction *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;

    QMenu *mnuPopUp = nullptr; // the alphabetical list
    QList<QAction *> mnuAlphaList;

    QMenu *mnuPopMenu = nullptr; // the slot pop-up
    QAction *mnuRefreshSite = nullptr;
    QAction *mnuReloadPage = nullptr;
    QAction *mnuRefreshSep = nullptr;
    QAction *mnuLast15 = nullptr;
    QAction *mnuLast10 = nullptr; // never shown
    QAction *mnuTX = nullptr;     // never shown
    QAction *mnuText = nullptr;   // never shown
    QAction *mnuCamSite = nullptr;
    QAction *mnuMapSep = nullptr;
    QAction *mnuMapLoc = nullptr;
    QAction *mnuNoLat = nullptr;
    QMenu *mnuEarthView = nullptr;
    QList<QAction *> mnuStView; // street, satellite
    QAction *mnuQrzCall = nullptr;
    QAction *mnuQrzFrom = nullptr; // never shown
    QAction *mnuQrzSep = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuPaste = nullptr;
    QAction *mnuPasteSep = nullptr;
    QAction *mnuLeaveBlank = nullptr;
    QAction *mnuSelectSite = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Key {
        QString name;
        int index;
        bool operator<(const Key &o) const {
            return name != o.name ? name < o.name : index < o.index;
        }
    };
    QAction *add(QMenu *menu, const QString &name, const QString &caption, int index = -1);
    QMenu *addSubmenu(QMenu *parent, const QString &name, const QString &caption);
    QAction *separator(QMenu *menu, const QString &name, int index = -1);
    void remember(const QString &name, int index, QAction *action);
    QList<QAction *> addArray(QMenu *menu, const QString &name, const QStringList &captions,
                              bool checkable);
    // The page item again, after the other items of the bar changed width.
    void refitPageItem();

    const Config &config_;
    QMenuBar *bar_;
    QMap<Key, QAction *> byName_;
    int pageLabelWidth_ = 0;
    int shownPage_ = 0; // the page whose caption the page picture shows
    QString earthViewTemplate_;
    QString earthViewShown_;
};

} // namespace tavimo
