#include "sites/EditSiteDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/base/Prompts.h"
#include "sites/Logging.h"
#include "ui/OpenOnce.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tavimo {

EditSiteDialog::EditSiteDialog(AppState &state) : SiteDialog(state) {
    const LanguageTexts &texts = state.texts;
    Label1 = new QLabel(texts.LngEditHint, this);
    auto *Label2 = new QLabel(texts.LngSstvList, this);
    auto *Label3 = new QLabel(texts.LngWxList, this);
    List1 = new QListWidget(this);
    List2 = new QListWidget(this);
    cmdGetQrz = makeButton(texts.LngGetLatLon);
    cmdSave = makeButton(texts.LngSaveChange);
    fields = new SiteDialogFields(*this, state, cmdGetQrz, cmdSave);

    auto *lists = new QGridLayout;
    lists->addWidget(Label2, 0, 0);
    lists->addWidget(Label3, 0, 1);
    lists->addWidget(List1, 1, 0);
    lists->addWidget(List2, 1, 1);
    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 4);
    grid->addLayout(lists, 1, 0, 1, 4);
    int row = fields->addRows(*grid, 2, nullptr);
    fields->addLookupRow(*grid, row++);
    grid->addWidget(cmdSave, row, 2, 1, 2, Qt::AlignRight);

    // Nothing to change before a site is picked; the camera box is always open.
    for (QLineEdit *box : {fields->txtCall, fields->txtUrl, fields->txtLat, fields->txtLon})
        box->setEnabled(false);

    fillSiteList(*List1, state.SiteList, state.ZeroChar);
    fillSiteList(*List2, state.WxSiteList, QString());

    connect(List1, &QListWidget::itemSelectionChanged, this, &EditSiteDialog::List1_Click);
    connect(List2, &QListWidget::itemSelectionChanged, this, &EditSiteDialog::List2_Click);
    connect(cmdGetQrz, &QPushButton::clicked, this, [this] { fields->startLookup(true); });
    connect(cmdSave, &QPushButton::clicked, this, &EditSiteDialog::cmdSave_Click);

    resize(467, 513);
    placeBesideMain();
}

void EditSiteDialog::List1_Click() {
    fillFromPick(false);
}

void EditSiteDialog::List2_Click() {
    fillFromPick(true);
}

void EditSiteDialog::fillFromPick(bool wxList) {
    const auto key = pickedSite(wxList ? *List2 : *List1);
    const SiteList &list = wxList ? state().WxSiteList : state().SiteList;
    const qsizetype k = key ? findSite(list, *key) : -1;
    if (k < 0)
        return;
    const SiteRecord &site = list[k];
    picked_ = key;
    pickedWx_ = wxList;
    fields->txtCall->setText(site.Callsign);
    fields->txtUrl->setText(site.PictureUrl);
    if (wxList) {
        // A WX site has no position and no camera; the camera box is left as it is.
        fields->txtLat->clear();
        fields->txtLon->clear();
    } else {
        fields->txtCamUrl->setText(site.CamUrl);
        fields->showPosition(site.Latitude, site.Longitude);
    }
    // The edit concerns the list picked first, until the dialog closes.
    (wxList ? List1 : List2)->setEnabled(false);
    fields->txtCall->setEnabled(true);
    fields->txtUrl->setEnabled(true);
    fields->txtLat->setEnabled(!wxList);
    fields->txtLon->setEnabled(!wxList);
}

void EditSiteDialog::cmdSave_Click() {
    AppState &s = state();
    const QString call = fields->txtCall->text();
    const QString url = fields->txtUrl->text();
    if (call.isEmpty() || url.isEmpty() || !picked_) {
        close();
        return;
    }
    SiteList &list = pickedWx_ ? s.WxSiteList : s.SiteList;
    const qsizetype k = findSite(list, *picked_);
    if (k < 0) {
        qCWarning(lcSites) << "the site to change is no longer in its list:" << picked_->PictureUrl;
        close();
        return;
    }
    if (!fields->storable(!pickedWx_))
        return;
    // The list writer would drop one of two sites with one address.
    if (indexOfAddress(list, url, k) >= 0) {
        s.prompts->message(url + QStringLiteral("\r\n") +
                               (pickedWx_ ? QStringLiteral(" already in WX list")
                                          : QStringLiteral(" already in Tavimo list")),
                           QStringLiteral("Tavimo"));
        return;
    }

    SiteRecord &site = list[k];
    const QString oldCall = site.Callsign;
    if (pickedWx_) {
        site.Callsign = call;
        site.PictureUrl = url;
    } else {
        site.Callsign = storedCallsign(call);
        site.PictureUrl = url;
        site.Latitude = fields->latitude();
        site.Longitude = fields->longitude();
        site.CamUrl = fields->txtCamUrl->text();
    }
    renameSlotCaptions(pickedWx_, oldCall, site.Callsign);
    // The list keeps its order until it is next sorted.
    listsChanged();
    close();
}

void EditSiteDialog::renameSlotCaptions(bool wxList, const QString &oldCall,
                                        const QString &newCall) {
    AppState &s = state();
    MainWindowAccess *main = s.mainWindow;
    if (!main || wxList != s.page.isWxPage())
        return;
    // The thumbnails show SSTV callsigns with the user's zero, WX names as stored.
    const QString oldShown = wxList ? oldCall : shownCallsign(oldCall, s.ZeroChar);
    const QString newShown = wxList ? newCall : shownCallsign(newCall, s.ZeroChar);
    QStringList captions;
    QStringList siteCalls;
    for (int slot = 0; slot < SlotTable::Rows; ++slot) {
        captions << main->slotCallCaption(slot);
        siteCalls << s.page.SlotTable.value(slot, stSiteCall);
    }
    for (const SlotCaption &renamed :
         renamedCaptions(captions, siteCalls, wxList, oldShown, newShown)) {
        main->setSlotCallCaption(renamed.slot, renamed.caption);
        if (!wxList)
            s.page.SlotTable.setValue(renamed.slot, stSiteCall, newShown);
    }
}

EditSiteDialog *openEditSite(AppState &state, WindowRegistry &registry) {
    return openOnce<EditSiteDialog>(registry, kEditSiteDialog,
                                    [&state] { return new EditSiteDialog(state); });
}

} // namespace tavimo
