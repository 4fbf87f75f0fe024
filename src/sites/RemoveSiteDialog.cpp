#include "sites/RemoveSiteDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/sites/SiteEdits.h"
#include "sites/Logging.h"
#include "ui/FixedColours.h"
#include "ui/OpenOnce.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tavimo {

RemoveSiteDialog::RemoveSiteDialog(AppState &state) : SiteDialog(state) {
    const LanguageTexts &texts = state.texts;
    Label1 = new QLabel(texts.LngRemoveHint, this);
    Label1->setWordWrap(true);
    auto *Label2 = new QLabel(QStringLiteral("SSTV sites"), this);
    auto *Label3 = new QLabel(QStringLiteral("WX sites"), this);
    List1 = new QListWidget(this);
    List2 = new QListWidget(this);
    auto *lblUrl = new QLabel(QStringLiteral("Url:"), this);
    lbl_Url = new QLabel(this);
    lbl_Url->setAutoFillBackground(true);
    QPalette white = lbl_Url->palette();
    setFixedBackground(white, QPalette::Window, Qt::white);
    lbl_Url->setPalette(white);
    lbl_Url->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbl_Url->setMinimumWidth(320);
    cmdRemove = makeButton(texts.LngRemoveButton);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Label3, 1, 1);
    grid->addWidget(List1, 2, 0);
    grid->addWidget(List2, 2, 1);
    auto *urlRow = new QHBoxLayout;
    urlRow->addWidget(lblUrl);
    urlRow->addWidget(lbl_Url, 1);
    grid->addLayout(urlRow, 3, 0, 1, 2);
    grid->addWidget(cmdRemove, 4, 1, Qt::AlignRight);

    fillSiteList(*List1, state.SiteList, state.ZeroChar);
    fillSiteList(*List2, state.WxSiteList, QString());

    connect(List1, &QListWidget::itemSelectionChanged, this, &RemoveSiteDialog::List1_Click);
    connect(List2, &QListWidget::itemSelectionChanged, this, &RemoveSiteDialog::List2_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &RemoveSiteDialog::cmdRemove_Click);

    resize(400, 253);
    placeBesideMain();
}

void RemoveSiteDialog::List1_Click() {
    showPick(*List1, *List2);
}

void RemoveSiteDialog::List2_Click() {
    showPick(*List2, *List1);
}

void RemoveSiteDialog::showPick(const QListWidget &list, QListWidget &other) {
    const auto key = pickedSite(list);
    if (!key)
        return;
    // A removal always concerns the list picked first.
    other.setEnabled(false);
    lbl_Url->setText(key->PictureUrl);
    lbl_Url_Change();
}

void RemoveSiteDialog::lbl_Url_Change() {
    cmdRemove->setEnabled(!lbl_Url->text().isEmpty());
}

void RemoveSiteDialog::cmdRemove_Click() {
    AppState &s = state();
    const bool wxList = !List1->isEnabled();
    const auto key = pickedSite(wxList ? *List2 : *List1);
    if (!key || lbl_Url->text().isEmpty()) {
        close();
        return;
    }
    const PageView view{s.page.CurrentPage, s.page.PageCount, s.config.ThumbSetting};
    const SiteRemoval removal = removeSite(wxList ? s.WxSiteList : s.SiteList, *key, wxList, view);
    if (removal.removed) {
        if (removal.slotToClear >= 0 && s.mainWindow)
            s.mainWindow->clearSlot(removal.slotToClear);
        listsChanged();
    } else {
        qCWarning(lcSites) << "the site to remove is no longer in its list:" << key->PictureUrl;
    }
    close();
}

RemoveSiteDialog *openRemoveSite(AppState &state, WindowRegistry &registry) {
    return openOnce<RemoveSiteDialog>(registry, kRemoveSiteDialog,
                                      [&state] { return new RemoveSiteDialog(state); });
}

} // namespace tavimo
