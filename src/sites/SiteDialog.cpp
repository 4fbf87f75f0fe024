#include "sites/SiteDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/SaveAppState.h"
#include "core/base/Prompts.h"
#include "core/sites/ListableText.h"
#include "core/sites/SiteEdits.h"
#include "core/text/ProgramTexts.h"
#include "sites/DialogLook.h"
#include "sites/Logging.h"
#include "ui/FixedColours.h"
#include "ui/FramePlacement.h"
#include "ui/Placement.h"
#include "ui/WindowRegistry.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace tavimo {
namespace {

const QColor kButtonColour(152, 185, 255);

DialogGuard::Options frameOptions() {
    DialogGuard::Options options;
    // Modality blocks the main window without greying it out.
    options.blockMain = false;
    // Even a dialog closed without a change reloads the page.
    options.reloadAfter = true;
    return options;
}

// "Callsign:" names the field as "Callsign".
QString fieldName(QString label) {
    label = label.trimmed();
    while (label.endsWith(u':'))
        label.chop(1);
    return label.trimmed();
}

} // namespace

SiteDialog::SiteDialog(AppState &state)
    : QDialog(nullptr), state_(state), guard_(state.mainWindow, frameOptions()) {
    setWindowTitle(QStringLiteral("Tavimo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    blockMainWhileShown(*this, state.mainWindow);
}

SiteDialog::~SiteDialog() = default;

void SiteDialog::placeBesideMain() {
    adjustSize();
    tavimo::placeBesideMain(*this, state_.mainWindow, 0, false);
}

QPushButton *SiteDialog::makeButton(const QString &caption) {
    auto *button = new QPushButton(caption, this);
    QPalette palette = button->palette();
    setFixedBackground(palette, QPalette::Button, kButtonColour);
    button->setPalette(palette);
    button->setAutoDefault(false);
    button->setEnabled(false);
    return button;
}

bool storableField(AppState &state, const QString &text, const QString &fieldLabel) {
    const std::optional<UnlistableCharacter> refused = firstUnlistableCharacter(text);
    if (!refused)
        return true;
    // "%1" is the character as characterName gives it, "%2" the field's label.
    state.prompts->message(programText(ProgramText::UnlistableCharacter, state.config.LanguageIndex)
                               .arg(characterName(refused->character), fieldName(fieldLabel)),
                           QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
    return false;
}

bool SiteDialog::listsChanged() {
    emit state_.events.sitesChanged();
    return saveSiteLists(state_);
}

namespace {

// Rows a site list box takes in one go. A list can hold half a million
// sites: the first rows show at once and the rest follow in steps short
// enough that the dialog never stops answering.
constexpr qsizetype kFillStep = 20'000;

// Fills a site list box and keeps the records' keys, one per row. The keys
// are kept beside the items, not in them: data set on an item of a list box
// costs a change notice each.
class SiteListFill : public QObject {
public:
    explicit SiteListFill(QListWidget &box) : QObject(&box), box_(box) { setObjectName(name()); }
    static QString name() { return QStringLiteral("siteListFill"); }

    void start(const SiteList &sites, const QString &zeroChar) {
        sites_ = sites;
        zeroChar_ = zeroChar;
        next_ = 0;
        keys.clear();
        keys.reserve(sites.size());
        ++generation_;
        addStep(generation_);
    }

    QList<SiteKey> keys;

private:
    void addStep(int generation) {
        if (generation != generation_)
            return; // filled afresh meanwhile
        const qsizetype end = std::min(sites_.size(), next_ + kFillStep);
        QStringList shown;
        shown.reserve(end - next_);
        // "0" shows as itself: no need for a copy of each callsign then.
        const bool asStored = zeroChar_.isEmpty() || zeroChar_ == QStringLiteral("0");
        for (; next_ < end; ++next_) {
            const SiteRecord &site = sites_.at(next_);
            if (site.Callsign.isEmpty())
                continue;
            shown.append(asStored ? site.Callsign : shownCallsign(site.Callsign, zeroChar_));
            keys.append(SiteKey{site.PictureUrl, site.Callsign});
        }
        box_.addItems(shown);
        if (next_ < sites_.size())
            QTimer::singleShot(0, this, [this, generation] { addStep(generation); });
        else
            sites_ = SiteList(); // the box no longer holds on to the list
    }

    QListWidget &box_;
    SiteList sites_; // the list being filled in, until it is in
    QString zeroChar_;
    qsizetype next_ = 0;
    int generation_ = 0;
};

SiteListFill *fillOf(const QListWidget &box) {
    return dynamic_cast<SiteListFill *>(
        box.findChild<QObject *>(SiteListFill::name(), Qt::FindDirectChildrenOnly));
}

} // namespace

void fillSiteList(QListWidget &box, const SiteList &sites, const QString &zeroChar) {
    box.clear();
    // All rows are one line of text: the view need not measure each.
    box.setUniformItemSizes(true);
    SiteListFill *fill = fillOf(box);
    if (!fill)
        fill = new SiteListFill(box);
    fill->start(sites, zeroChar);
}

std::optional<SiteKey> pickedSite(const QListWidget &box) {
    const QList<QListWidgetItem *> selected = box.selectedItems();
    const SiteListFill *fill = fillOf(box);
    if (selected.isEmpty() || !fill)
        return std::nullopt;
    const int row = box.row(selected.first());
    if (row < 0 || row >= fill->keys.size())
        return std::nullopt;
    return fill->keys.at(row);
}

void blockMainWhileShown(QWidget &window, MainWindowAccess *main) {
    QWidget *mainWindow = main ? main->window() : nullptr;
    if (!mainWindow || !mainWindow->windowHandle())
        return;
    keepAboveMain(window, mainWindow);
}

bool saveSiteLists(AppState &s) {
    WindowSideValues side;
    QWidget *mainWindow = s.mainWindow ? s.mainWindow->window() : nullptr;
    const bool visible = mainWindow && mainWindow->isVisible();
    if (visible) {
        side.placement = windowPlacement(*mainWindow);
        for (int page = 1; page < s.page.PageCount; ++page)
            side.pageNames.append(s.mainWindow->pageCaption(page));
        side.SaveFolder = s.SaveFolder;
        side.MonIdx = s.MonIdx;
        side.blockedCallsigns = s.lstBlock;
    }
    const SaveConfigResult result = saveAppState(s, visible ? &side : nullptr);
    if (!result.ok)
        qCWarning(lcSites) << "the site lists were not saved:" << result.error;
    return result.ok;
}

bool siteDialogOpen(const WindowRegistry &registry) {
    for (const QString &name : {kAddSiteDialog, kEditSiteDialog, kRemoveSiteDialog}) {
        if (registry.IsFormLoaded(name) > 0)
            return true;
    }
    return false;
}

void whenNoSiteDialog(WindowRegistry &registry, QObject *context, std::function<void()> run) {
    QWidget *open = nullptr;
    for (const QString &name : {kAddSiteDialog, kEditSiteDialog, kRemoveSiteDialog}) {
        if (!open)
            open = registry.find(name);
    }
    if (!open) {
        run();
        return;
    }
    // The connection, and the timer after it, go with `context`.
    QObject::connect(open, &QObject::destroyed, context, [&registry, context, run] {
        // Look again once the dialog has gone for good.
        QTimer::singleShot(0, context,
                           [&registry, context, run] { whenNoSiteDialog(registry, context, run); });
    });
}

} // namespace tavimo
