#include "sites/SiteNewsDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/SaveAppState.h"
#include "core/app/WindowOpener.h"
#include "core/text/ProgramTexts.h"
#include "sites/DialogLook.h"
#include "sites/Logging.h"
#include "ui/FixedColours.h"
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
    lblInfo->setText(programText(ProgramText::NewSitesChecked, state_.config.LanguageIndex)
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
    setFixedBackground(palette, QPalette::Window, QColor(224, 224, 224));
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
            setFixedBackground(listPalette, QPalette::Base, palette.color(QPalette::Window));
            list->setPalette(listPalette);
        }
    }
}

void SiteNewsDialog::setCaptions(int languageIndex) {
    Label1->setText(programText(ProgramText::NewSitesHeading, languageIndex));
    Label2->setText(programText(ProgramText::DiscontinuedSitesHeading, languageIndex));
    Label3->setText(programText(ProgramText::RenamedSitesHeading, languageIndex));
    Label4->setText(programText(ProgramText::MovedSitesHeading, languageIndex));
    cmdCancel->setText(programText(ProgramText::CloseButton, languageIndex));
    lblInfo->setText(programText(ProgramText::CheckingForNewSites, languageIndex));
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
    const QString notMoved = programText(ProgramText::MoveNotMade, state_.config.LanguageIndex);
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
