#include "mainwindow/MainMenus.h"

#include "core/base/Numbers.h"
#include "core/files/Config.h"
#include "mainwindow/Logging.h"
#include "ui/CornerMenu.h"
#include "ui/MenuBarPainter.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <optional>

namespace tavimo {

namespace {

constexpr int kManualRateIndex = 4;

} // namespace

MainMenus::MainMenus(QMainWindow &window, const Config &config)
    : QObject(&window), config_(config), bar_(window.menuBar()) {
    QMenuBar *bar = bar_;
    installMenuBarPainter(bar);
    bar->installEventFilter(this);
    const auto topMenu = [&](const QString &name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(name);
        remember(name, -1, m->menuAction());
        return m;
    };

    // The page shown, as a picture of its name; its items switch pages.
    mnuPg = topMenu(QStringLiteral("mnuPg"), QStringLiteral("Page 1"));
    for (int page = 1; page < kPageCount; ++page)
        mnuPage.append(
            add(mnuPg, QStringLiteral("mnuPage"), QStringLiteral("Page %1").arg(page), page));
    mnuPage.append(add(mnuPg, QStringLiteral("mnuPage"), QStringLiteral("WX Sites"), kPageCount));
    for (QAction *page : std::as_const(mnuPage))
        page->setCheckable(true);

    mnuRefresh = bar->addAction(QStringLiteral("  Refresh"));
    remember(QStringLiteral("mnuRefresh"), -1, mnuRefresh);

    mnuFind = topMenu(QStringLiteral("mnuFind"), QStringLiteral("Find a site"));
    mnuThisPage = add(mnuFind, QStringLiteral("mnuThisPage"), QStringLiteral("This page"));
    mnuAll = add(mnuFind, QStringLiteral("mnuAll"), QStringLiteral("All sites"));

    mnuUpdate = topMenu(QStringLiteral("mnuUpdate"), QStringLiteral("Updates"));
    mnuUpTavimo = add(mnuUpdate, QStringLiteral("mnuUpTavimo"), QStringLiteral("Update Tavimo"));
    mnuUpdate->menuAction()->setVisible(false);

    // Setup sits at the right end, its caption the UTC clock.
    mnuSetup = new QMenu(QStringLiteral(" Setup   "), &window);
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));
    remember(QStringLiteral("mnuSetup"), -1, mnuSetup->menuAction());
    mnuCall = add(mnuSetup, QStringLiteral("mnuCall"), QStringLiteral("Enter Callsign"));
    mnuLatLon = add(mnuSetup, QStringLiteral("mnuLatLon"),
                    QStringLiteral("Enter your Latitude and Longitude"));
    separator(mnuSetup, QStringLiteral("mnuSep"), 0);
    mnupgSel = add(mnuSetup, QStringLiteral("mnupgSel"), QStringLiteral("Select Page labels"));
    separator(mnuSetup, QStringLiteral("mnuSep1"));
    mnuAdd = add(mnuSetup, QStringLiteral("mnuAdd"), QStringLiteral("Add a Site"));
    mnuEdit = add(mnuSetup, QStringLiteral("mnuEdit"), QStringLiteral("Edit a Site"));
    mnuRemove = add(mnuSetup, QStringLiteral("mnuRemove"), QStringLiteral("Remove a Site"));
    separator(mnuSetup, QStringLiteral("mnuSep2"));
    mnuRate = addArray(addSubmenu(mnuSetup, QStringLiteral("mnuRefRate"), "Refresh rate"),
                       QStringLiteral("mnuRate"),
                       {"30 sec", "60 sec", "90 sec", "120 sec", "Manual refresh"}, true);
    mnuGUIsizes =
        addArray(addSubmenu(mnuSetup, QStringLiteral("mnuGUI"), "GUI size"),
                 QStringLiteral("mnuGUIsizes"), {"Small", "Medium", "Large", "Extra large"}, true);
    mnu5 = addArray(addSubmenu(mnuSetup, QStringLiteral("mnuThumbs"), "Number of thumbnails"),
                    QStringLiteral("mnu5"), {" 5", "10", "15", "24"}, true);
    QMenu *startup = addSubmenu(mnuSetup, QStringLiteral("mnustartup"), "Startup sites");
    mnustartDSSTV = add(startup, QStringLiteral("mnustartDSSTV"), QStringLiteral("DSSTV sites"));
    mnustartWX = add(startup, QStringLiteral("mnustartWX"), QStringLiteral("WX sites"));
    mnustartDSSTV->setCheckable(true);
    mnustartWX->setCheckable(true);
    mnuLang = addArray(addSubmenu(mnuSetup, QStringLiteral("mnuLanguage"), "Language"),
                       QStringLiteral("mnuLang"),
                       {"English", "Spanish", "German", "French", "Dutch"}, true);
    separator(mnuSetup, QStringLiteral("mnuSep3"));
    mnuHelp = add(mnuSetup, QStringLiteral("mnuHelp"), QStringLiteral("Help"));
    mnuAbout = add(mnuSetup, QStringLiteral("mnuAbout"), QStringLiteral("About Tavimo"));
    clock = installCornerMenu(bar, mnuSetup, mnuSetup->title());
    clock->setObjectName(QStringLiteral("clock"));
    connect(mnuSetup, &QMenu::aboutToShow, this, &MainMenus::mnuSetup_Click);

    // Pop-ups, never on the bar.
    mnuPopUp = new QMenu(QStringLiteral("Sites"), &window);
    mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
    for (int i = 0; i < kAlphaMenuItems; ++i)
        mnuAlphaList.append(add(mnuPopUp, QStringLiteral("mnuAlphaList"), QString(), i));

    QMenu *pop = mnuPopMenu = new QMenu(QStringLiteral("PopUp"), &window);
    pop->setObjectName(QStringLiteral("mnuPopMenu"));
    mnuRefreshSite = add(pop, QStringLiteral("mnuRefreshSite"), "Refresh this site");
    mnuReloadPage = add(pop, QStringLiteral("mnuReloadPage"), "Reload this page");
    mnuRefreshSep = separator(pop, QStringLiteral("mnuRefreshSep"));
    mnuLast15 = add(pop, QStringLiteral("mnuLast15"), QStringLiteral("Last15"));
    mnuLast10 = add(pop, QStringLiteral("mnuLast10"), QStringLiteral("Last 10 heard"));
    mnuTX = add(pop, QStringLiteral("mnuTX"), QStringLiteral("TX1-TX5"));
    mnuText = add(pop, QStringLiteral("mnuText"), QStringLiteral("Text"));
    mnuCamSite = add(pop, QStringLiteral("mnuCamSite"), QStringLiteral("View Cam"));
    mnuMapSep = separator(pop, QStringLiteral("mnuMapSep"));
    mnuMapLoc = add(pop, QStringLiteral("mnuMapLoc"), QStringLiteral("Map location"));
    mnuNoLat = add(pop, QStringLiteral("mnuNoLat"), QStringLiteral("No lat"));
    mnuEarthView = addSubmenu(pop, QStringLiteral("mnuEarthView"), "Earth view");
    mnuStView = addArray(mnuEarthView, QStringLiteral("mnuStView"),
                         {"Street View", "Satellite view"}, false);
    mnuQrzCall = add(pop, QStringLiteral("mnuQrzCall"), QStringLiteral("QRZ call"));
    mnuQrzFrom = add(pop, QStringLiteral("mnuQrzFrom"), QStringLiteral("QRZ from"));
    mnuQrzSep = separator(pop, QStringLiteral("mnuQrzSep"));
    mnuSave = add(pop, QStringLiteral("mnuSave"), QStringLiteral("Save"));
    mnuPaste = add(pop, QStringLiteral("mnuPaste"), QStringLiteral("Paste"));
    mnuPasteSep = separator(pop, QStringLiteral("mnuPasteSep"));
    mnuLeaveBlank = add(pop, QStringLiteral("mnuLeaveBlank"), QStringLiteral("Leave"));
    mnuSelectSite = add(pop, QStringLiteral("mnuSelectSite"), QStringLiteral("Select"));
    for (QAction *hidden : {mnuLast10, mnuTX, mnuText, mnuQrzFrom})
        hidden->setVisible(false);

    // Choices of which exactly one holds show as radio items. A rate that no
    // item names leaves them all unchecked, so none is forced.
    for (const QList<QAction *> &choices : {mnuPage, mnuRate, mnuGUIsizes, mnu5, mnuLang,
                                            QList<QAction *>{mnustartDSSTV, mnustartWX}}) {
        auto *group = new QActionGroup(this);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        for (QAction *choice : choices)
            group->addAction(choice);
    }
}

// ---- Building --------------------------------------------------------------------------

void MainMenus::remember(const QString &name, int index, QAction *action) {
    action->setObjectName(index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index));
    byName_.insert(Key{name, index}, action);
}

QAction *MainMenus::add(QMenu *menu, const QString &name, const QString &caption, int index) {
    QAction *action = menu->addAction(caption);
    remember(name, index, action);
    return action;
}

QMenu *MainMenus::addSubmenu(QMenu *parent, const QString &name, const QString &caption) {
    QMenu *sub = parent->addMenu(caption);
    sub->setObjectName(name);
    remember(name, -1, sub->menuAction());
    return sub;
}

QAction *MainMenus::separator(QMenu *menu, const QString &name, int index) {
    QAction *action = menu->addSeparator();
    remember(name, index, action);
    return action;
}

QList<QAction *> MainMenus::addArray(QMenu *menu, const QString &name, const QStringList &captions,
                                     bool checkable) {
    QList<QAction *> items;
    for (int i = 0; i < captions.size(); ++i) {
        items.append(add(menu, name, captions[i], i));
        items.last()->setCheckable(checkable);
    }
    return items;
}

QAction *MainMenus::item(const QString &name, int index) const {
    return byName_.value(Key{name, index}, nullptr);
}

void MainMenus::setSecondsWord(const QString &seconds) {
    for (int i = 0; i < kManualRateIndex && i < mnuRate.size(); ++i)
        mnuRate[i]->setText(QString::number((i + 1) * 30) + u' ' + seconds);
}

void MainMenus::applyCaptions(const MenuCaptions &captions) {
    for (auto it = captions.cbegin(); it != captions.cend(); ++it) {
        QAction *action = item(it.key().menu, it.key().index);
        if (!action) {
            qCWarning(lcMainWindow) << "no menu item" << it.key().menu << it.key().index;
            continue;
        }
        if (QMenu *sub = action->menu())
            sub->setTitle(it.value());
        else
            action->setText(it.value());
    }
}

// ---- The page item ---------------------------------------------------------------------

QAction *MainMenus::pageItem(int page) const {
    return page >= 1 && page <= mnuPage.size() ? mnuPage[page - 1] : nullptr;
}

QString MainMenus::pageCaption(int page) const {
    const QAction *item = pageItem(page);
    return item ? item->text() : QString();
}

void MainMenus::setPageCaption(int page, const QString &caption) {
    if (QAction *item = pageItem(page))
        item->setText(caption);
}

void MainMenus::checkPage(int page) {
    for (int i = 0; i < mnuPage.size(); ++i)
        mnuPage[i]->setChecked(i == page - 1);
}

void MainMenus::showPage(int page) {
    shownPage_ = pageItem(page) ? page : 1;
    const QString caption = pageItem(shownPage_)->text();
    const QFont font = bar_->font();
    int width = pageLabelWidth_;
    const int room = pageItemRoom();
    if (room > 0)
        width = std::min(width, room);
    QString shown = caption;
    const QString blanks = QStringLiteral("  ");
    if (menuPictureTextWidth(font, blanks + caption + blanks) > width) {
        const int margins = menuPictureTextWidth(font, blanks + blanks);
        shown = QFontMetrics(font).elidedText(caption, Qt::ElideRight, width - margins);
    }
    // The tip is shown only while the name is cut short (see eventFilter).
    QAction *item = mnuPg->menuAction();
    item->setToolTip(caption);
    setPageMenuText(item, shown, width);
}

void MainMenus::fitPageItem(const QStringList &captions) {
    pageLabelWidth_ = widestPageLabel(bar_->font(), captions, 0);
}

int MainMenus::pageItemRoom() const {
    if (!bar_->isVisible() || bar_->width() <= 0)
        return 0;
    const QStyle *style = bar_->style();
    const int spacing = style->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, bar_);
    const int margin = style->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, bar_) +
                       style->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, bar_);
    int right = bar_->width() - margin;
    if (const QWidget *corner = bar_->cornerWidget(Qt::TopRightCorner);
        corner && corner->isVisible())
        right -= corner->sizeHint().width() + margin;
    int used = margin;
    int items = 0;
    const QList<QAction *> actions = bar_->actions();
    for (QAction *action : actions) {
        if (!action->isVisible())
            continue;
        ++items;
        if (action != mnuPg->menuAction())
            used += bar_->actionGeometry(action).width();
    }
    // A few pixels spare, so that rounding never pushes the last item off.
    constexpr int kSpare = 6;
    return std::max(1, right - used - spacing * (items + 1) - kSpare);
}

bool MainMenus::eventFilter(QObject *watched, QEvent *event) {
    if (watched != bar_)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Resize && shownPage_ > 0) {
        // The room for the page item changed with the bar.
        showPage(shownPage_);
    } else if (event->type() == QEvent::ToolTip) {
        // The bar shows no tips of its own: the page item's whole name.
        const auto *help = static_cast<QHelpEvent *>(event);
        QAction *page = mnuPg->menuAction();
        const auto picture = menuPicture(page);
        if (bar_->actionAt(help->pos()) == page && picture && picture->text != page->toolTip()) {
            QToolTip::showText(help->globalPos(), page->toolTip(), bar_,
                               bar_->actionGeometry(page));
            return true;
        }
        QToolTip::hideText();
    }
    return QObject::eventFilter(watched, event);
}

QStringList MainMenus::pageCaptions(int pageCount) const {
    QStringList captions;
    for (int page = 1; page <= pageCount && page <= mnuPage.size(); ++page)
        captions.append(pageCaption(page));
    return captions;
}

// ---- The Refresh and update items ---------------------------------------------------------

void MainMenus::showLoadingLook() {
    setRefreshMenuText(mnuRefresh, mnuRefresh->text());
}

void MainMenus::showPlainRefresh() {
    restorePlainMenuText(mnuRefresh, mnuRefresh->text());
}

bool MainMenus::loadingLook() const {
    return menuPicture(mnuRefresh).has_value();
}

void MainMenus::setRefreshCaption(const QString &caption) {
    restorePlainMenuText(mnuRefresh, caption);
    refitPageItem();
}

void MainMenus::showUpdateNotice(const QString &noticeText, const QString &downloadText) {
    QAction *notice = mnuUpdate->menuAction();
    notice->setVisible(true);
    setUpdateMenuText(notice, noticeText);
    mnuUpTavimo->setText(downloadText);
    refitPageItem();
}

void MainMenus::hideUpdateNotice() {
    mnuUpdate->menuAction()->setVisible(false);
    refitPageItem();
}

void MainMenus::refitPageItem() {
    if (shownPage_ > 0)
        showPage(shownPage_);
}

// ---- Pop-ups ------------------------------------------------------------------------------

void MainMenus::applyPopUp(const ThumbPopUp &popUp) {
    const std::pair<QAction *, const PopUpItem *> items[] = {
        {mnuRefreshSite, &popUp.mnuRefreshSite},
        {mnuReloadPage, &popUp.mnuReloadPage},
        {mnuRefreshSep, &popUp.mnuRefreshSep},
        {mnuLast15, &popUp.mnuLast15},
        {mnuLast10, &popUp.mnuLast10},
        {mnuTX, &popUp.mnuTX},
        {mnuText, &popUp.mnuText},
        {mnuCamSite, &popUp.mnuCamSite},
        {mnuMapSep, &popUp.mnuMapSep},
        {mnuMapLoc, &popUp.mnuMapLoc},
        {mnuNoLat, &popUp.mnuNoLat},
        {mnuEarthView->menuAction(), &popUp.mnuEarthView},
        {mnuQrzCall, &popUp.mnuQrzCall},
        {mnuQrzFrom, &popUp.mnuQrzFrom},
        {mnuQrzSep, &popUp.mnuQrzSep},
        {mnuSave, &popUp.mnuSave},
        {mnuPaste, &popUp.mnuPaste},
        {mnuPasteSep, &popUp.mnuPasteSep},
        {mnuLeaveBlank, &popUp.mnuLeaveBlank},
        {mnuSelectSite, &popUp.mnuSelectSite},
    };
    for (const auto &[action, item] : items) {
        action->setVisible(item->visible);
        if (item->caption.isEmpty())
            continue;
        if (QMenu *sub = action->menu())
            sub->setTitle(item->caption);
        else
            action->setText(item->caption);
    }
    if (!popUp.mnuEarthView.caption.isEmpty())
        earthViewShown_ = popUp.mnuEarthView.caption;
}

QString MainMenus::earthViewTemplate() {
    // Every language load sets the item's caption afresh; a caption other than
    // the one the pop-up wrote last is therefore the language's own, "??" and all.
    if (earthViewTemplate_.isNull() || mnuEarthView->title() != earthViewShown_)
        earthViewTemplate_ = mnuEarthView->title();
    return earthViewTemplate_;
}

void MainMenus::showAlphaList(const QList<AlphaMenuItem> &items, QPoint at) {
    for (int i = 0; i < mnuAlphaList.size(); ++i) {
        mnuAlphaList[i]->setVisible(i < items.size());
        if (i < items.size())
            mnuAlphaList[i]->setText(items[i].caption);
    }
    mnuPopUp->popup(at);
}

// ---- Setup ---------------------------------------------------------------------------------

void MainMenus::mnuSetup_Click() {
    std::optional<int> rate;
    if (config_.AutoRefreshMode != 1) {
        rate = kManualRateIndex;
    } else {
        // The nearest item: 45 s marks "30 sec", 75 s "90 sec". A period
        // beyond the last timed item marks none; it is no manual refresh.
        const double k = roundHalfEven(config_.RefreshSeconds / 30.0 - 1);
        if (k >= 0 && k < kManualRateIndex)
            rate = int(k);
    }
    for (int i = 0; i < mnuRate.size(); ++i)
        mnuRate[i]->setChecked(rate == i);
    for (int i = 0; i < mnu5.size(); ++i)
        mnu5[i]->setChecked(i == config_.ThumbSetting - 1);
    mnustartDSSTV->setChecked(config_.StartPage == 0);
    mnustartWX->setChecked(config_.StartPage != 0);
    for (int i = 0; i < mnuGUIsizes.size(); ++i)
        mnuGUIsizes[i]->setChecked(i == config_.GuiSize);
}

} // namespace tavimo
