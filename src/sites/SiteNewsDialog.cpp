#include "sites/SiteNewsDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/SaveAppState.h"
#include "core/app/WindowOpener.h"
#include "sites/DialogLook.h"
#include "sites/Logging.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavimo {

namespace {

const QString kGap = QStringLiteral("   ");

// Captions by language, as the dialog has always shown them; the English ones are the design's.
const LanguageTable kNewSitesCaption{
    u"New site(s) that will be added.", u"New sites that will be added.",
    u"New sites that will be added.", u"Nouveaux sites qui seront ajout\u00E9s.",
    u"Nieuwe sites die toegevoegd worden."};
const LanguageTable kDiscontinuedCaption{
    u"Discontinued site(s) that will be removed unless unchecked.",
    u"Discontinued sites that will be removed unless unchecked.",
    u"Discontinued sites that will be removed unless unchecked.",
    u"Retrait des sites arr\u00EAt\u00E9s ou non v\u00E9rifi\u00E9s.",
    u"Be\u00EBindigde sites die verwijderd worden, tenzij niet aangevinkt."};
const LanguageTable kRenamedCaption{
    u"Site(s) that have changed callsign.", u"Site(s) that have changed callsign.",
    u"Site(s) that have changed callsign.", u"Site(s) qui ont chang\u00E9 d'indicatif.",
    u"Site(s) that have changed callsign."};
const LanguageTable kMovedCaption{
    u"Site(s) that have changed url", u"Site(s) that have changed url",
    u"Site(s) that have changed url", u"Site(s) that have changed url",
    u"Site(s) that have changed url"};
const LanguageTable kCloseCaption{u"Close", u"Cerrar", u"Schlie\u00DFen", u"Fermer", u"Sluiten"};
const LanguageTable kInfoCaption{u"Checking for new sites\r\nPlease wait . . .",
                                 u"Buscando nuevos sitios. . .", u"Kontrolle auf neue Seiten. . .",
                                 u"Recherche de nouveau sites. . .",
                                 u"Controleren op nieuwe sites. . ."};
// Once the lists are filled: "%1" the new sites, "%2" the discontinued ones.
const LanguageTable kComparedInfo{
    u"Check done: %1 new and %2 discontinued site(s) found.",
    u"Comprobaci\u00F3n terminada: %1 sitio(s) nuevo(s) y %2 dado(s) de baja.",
    u"Pr\u00FCfung beendet: %1 neue und %2 eingestellte Website(s) gefunden.",
    u"V\u00E9rification termin\u00E9e : %1 nouveau(x) site(s) et %2 site(s) arr\u00EAt\u00E9(s).",
    u"Controle klaar: %1 nieuwe en %2 be\u00EBindigde site(s) gevonden."};
// After a move that was not made because another site has its new address already.
const LanguageTable kNotMovedNote{
    u"not changed: the new address is listed already",
    u"sin cambio: la nueva direcci\u00F3n ya est\u00E1 en la lista",
    u"nicht ge\u00E4ndert: die neue Adresse ist schon in der Liste",
    u"non modifi\u00E9 : la nouvelle adresse est d\u00E9j\u00E0 dans la liste",
    u"niet gewijzigd: het nieuwe adres staat al in de lijst"};

void addLabelledList(QVBoxLayout *layout, QLabel *label, QListWidget *list, int height) {
    list->setMinimumHeight(height);
    layout->addWidget(label);
    layout->addWidget(list, 1);
}

} // namespace

SiteNewsDialog::SiteNewsDialog(AppState &state, const QStringList &updatesList,
                               bool updatesFromMain)
    : state_(state), updatesFromMain_(updatesFromMain) {
    setObjectName(QStringLiteral("SiteNewsDialog"));
    setWindowTitle(QStringLiteral("Tavimo"));
    guard_.emplace(state_.mainWindow, DialogGuard::Options{true, true});
    if (state_.mainWindow)
        keepAboveMain(*this, state_.mainWindow->window());
    buildLayout();
    setCaptions(state_.config.LanguageIndex);
    CompareSiteList(updatesList);
    // The check is over: the line says what it found instead of asking to wait.
    lblInfo->setText(
        byLanguage(kComparedInfo, state_.config.LanguageIndex, QString::fromUtf16(kComparedInfo[0]))
            .arg(news_.newSites.size())
            .arg(news_.discontinued.size()));
    placeBesideMain(*this, state_.mainWindow);
}

SiteNewsDialog::~SiteNewsDialog() {
    // A dialog destroyed without closing still applies what it announced.
    applyOnClose();
}

void SiteNewsDialog::buildLayout() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(palette);
    setAutoFillBackground(true);
    resize(471, 514);

    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    lblInfo = new QLabel(this);
    List1 = new QListWidget(this);
    List2 = new QListWidget(this);
    List3 = new QListWidget(this);
    List4 = new QListWidget(this);
    cmdCancel = new QPushButton(this);
    paintDialogButton(cmdCancel);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    addLabelledList(layout, Label1, List1, 68);
    addLabelledList(layout, Label2, List2, 84);
    addLabelledList(layout, Label4, List4, 68);
    addLabelledList(layout, Label3, List3, 68);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblInfo, 1);
    bottom->addWidget(cmdCancel, 0, Qt::AlignRight | Qt::AlignBottom);
    layout->addLayout(bottom);

    if (!updatesFromMain_) {
        // A list from the mirror is shown on grey.
        for (QListWidget *list : {List1, List2, List3, List4}) {
            QPalette listPalette = list->palette();
            listPalette.setColor(QPalette::Base, palette.color(QPalette::Window));
            list->setPalette(listPalette);
        }
    }
}

void SiteNewsDialog::setCaptions(int languageIndex) {
    Label1->setText(byLanguage(kNewSitesCaption, languageIndex, Label1->text()));
    Label2->setText(byLanguage(kDiscontinuedCaption, languageIndex, Label2->text()));
    Label3->setText(byLanguage(kRenamedCaption, languageIndex, Label3->text()));
    Label4->setText(byLanguage(kMovedCaption, languageIndex, Label4->text()));
    cmdCancel->setText(byLanguage(kCloseCaption, languageIndex, cmdCancel->text()));
    lblInfo->setText(byLanguage(kInfoCaption, languageIndex, lblInfo->text())
                         .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QString SiteNewsDialog::newSiteItem(const NewSiteEntry &entry) {
    return QStringList{entry.callsign, entry.pictureUrl, entry.latitude, entry.longitude,
                       entry.camUrl}
        .join(kGap);
}

QString SiteNewsDialog::discontinuedItem(const DiscontinuedSite &site) {
    return site.callsign + kGap + site.pictureUrl;
}

QString SiteNewsDialog::renamedItem(const CallsignEntry &entry) {
    return entry.oldCallsign + QStringLiteral(" changed to ") + entry.newCallsign;
}

QString SiteNewsDialog::movedItem(const MovedSite &site) {
    return site.callsign + kGap + site.oldUrl + QStringLiteral(" to ") + site.newUrl;
}

void SiteNewsDialog::CompareSiteList(const QStringList &updatesList) {
    const std::optional<UpdatesList> list = readUpdatesSections(updatesList);
    if (!list) {
        qCWarning(lcSites) << "site news: the updates list handed over cannot be read";
        return;
    }
    news_ = applySiteChanges(state_.SiteList, *list);
    for (const NewSiteEntry &entry : std::as_const(news_.newSites))
        List1->addItem(newSiteItem(entry));
    for (const NewSiteEntry &entry : std::as_const(news_.cameraSites))
        List1->addItem(newSiteItem(entry));
    for (const DiscontinuedSite &site : std::as_const(news_.discontinued)) {
        auto *item = new QListWidgetItem(discontinuedItem(site), List2);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    for (const CallsignEntry &entry : std::as_const(news_.renamedSites))
        List3->addItem(renamedItem(entry));
    for (const MovedSite &site : std::as_const(news_.movedSites))
        List4->addItem(movedItem(site));
    const QString notMoved = byLanguage(kNotMovedNote, state_.config.LanguageIndex,
                                        QString::fromUtf16(kNotMovedNote[0]));
    for (const MovedSite &site : std::as_const(news_.blockedMoves))
        List4->addItem(movedItem(site) + QStringLiteral("   (") + notMoved + u')');
    if (!news_.movedSites.isEmpty() || !news_.renamedSites.isEmpty())
        emit state_.events.sitesChanged();
}

void SiteNewsDialog::closeEvent(QCloseEvent *event) {
    applyOnClose();
    event->accept();
}

void SiteNewsDialog::applyOnClose() {
    if (applied_)
        return;
    applied_ = true;
    QList<bool> removeChecked;
    for (int i = 0; i < List2->count(); ++i)
        removeChecked.append(List2->item(i)->checkState() == Qt::Checked);
    const ClosingChanges changes = applyClosingChanges(state_.SiteList, news_, removeChecked);
    clearRemovedSlots(changes.removed);
    if (state_.opener)
        state_.opener->rebuildSiteSelection();
    const bool changed = !news_.movedSites.isEmpty() || !news_.renamedSites.isEmpty() ||
                         changes.added > 0 || !changes.removed.isEmpty() ||
                         !changes.keptAddresses.isEmpty();
    if (changed) {
        emit state_.events.sitesChanged();
        saveLists();
    }
    qCInfo(lcSites) << "site news applied:" << changes.added << "added," << changes.removed.size()
                    << "removed," << changes.keptAddresses.size() << "kept,"
                    << news_.movedSites.size() << "moved," << news_.renamedSites.size()
                    << "renamed";
}

void SiteNewsDialog::clearRemovedSlots(const QList<DiscontinuedSite> &removed) {
    MainWindowAccess *main = state_.mainWindow;
    // Only SSTV sites are removed, so only an SSTV page can show one.
    if (!main || state_.page.isWxPage())
        return;
    for (const DiscontinuedSite &site : removed) {
        const QString shown = shownCallsign(site.callsign, state_.ZeroChar);
        for (int slot = 0; slot < state_.page.SlotCount; ++slot) {
            if (state_.page.SlotTable.value(slot, stSiteCall) == shown)
                main->clearSlot(slot);
        }
    }
}

void SiteNewsDialog::saveLists() {
    if (!state_.prompts) {
        qCWarning(lcSites) << "site news: no way to report a failed save; lists not saved";
        return;
    }
    saveAppState(state_, nullptr);
}

SiteNewsDialog *showSiteNewsDialog(AppState &state, WindowRegistry &registry,
                                   const QStringList &updatesList, bool updatesFromMain) {
    return openOnce<SiteNewsDialog>(registry, QStringLiteral("SiteNewsDialog"), [&] {
        return new SiteNewsDialog(state, updatesList, updatesFromMain);
    });
}

} // namespace tavimo
