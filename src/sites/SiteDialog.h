#pragma once

#include "core/app/DialogGuard.h"
#include "core/sites/SiteEdits.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QListWidget;
class QObject;
class QPushButton;
class QWidget;

namespace tavimo {

struct AppState;
class MainWindowAccess;
class WindowRegistry;

// The frame every site dialog stands in (add, edit, remove). While it exists
// the refresh timers are stopped and the main window takes no input: the
// dialog is modal to it alone, so the main window is not greyed out and other
// windows stay usable. However the dialog goes (its own button, Escape, the
// close box, the program's shutdown) it is deleted, and exactly then the
// refresh timers start again when refreshing is automatic and the main window
// reloads its page with the lists as they are now.
class SiteDialog : public QDialog {
    Q_OBJECT

public:
    ~SiteDialog() override;

protected:
    explicit SiteDialog(AppState &state);

    AppState &state() const { return state_; }

    // Right edge on the main window's right edge, top on its top.
    void placeBesideMain();

    // A command button in the colour the site dialogs share, disabled at first.
    QPushButton *makeButton(const QString &caption);

    // After a change of SiteList or WxSiteList: windows that show the lists
    // follow, and both lists and the configuration are written at once. A
    // failed write has been told to the user; the lists stay as they are in
    // memory and are written again at the next save.
    bool listsChanged();

private:
    AppState &state_;
    DialogGuard guard_;
};

// Fills a list box of a site dialog with one item per site, in list order:
// the callsign with every "0" as zeroChar (an empty zeroChar shows it as
// stored). Each row knows its record's key. Records whose callsign was
// emptied as duplicates are left out: they are no longer in the files. The
// first twenty thousand rows are there at once; a longer list follows in
// steps of as many from the event loop, so the dialog shows without delay.
void fillSiteList(QListWidget &box, const SiteList &sites, const QString &zeroChar);
// The key of the site selected in the box, if any.
std::optional<SiteKey> pickedSite(const QListWidget &box);

// Makes `window` modal to the main window only, before it is shown. Without a
// main window (or before it has a native window) nothing is blocked.
void blockMainWhileShown(QWidget &window, MainWindowAccess *main);

// A field's text is refused when it holds a character the site lists cannot
// keep (firstUnlistableCharacter): the user is told which character and which
// field (its label, without the colon), and false comes back.
bool storableField(AppState &state, const QString &text, const QString &fieldLabel);

// Writes the configuration and both site lists (and, while the main window is
// visible, its settings), as at shutdown. False when a file could not be
// written; the user has been told once.
bool saveSiteLists(AppState &state);

// Registry names of the site dialogs.
inline const QString kAddSiteDialog = QStringLiteral("AddSiteDialog");
inline const QString kEditSiteDialog = QStringLiteral("EditSiteDialog");
inline const QString kRemoveSiteDialog = QStringLiteral("RemoveSiteDialog");

// Whether an add, edit or remove dialog is open.
bool siteDialogOpen(const WindowRegistry &registry);

// Runs `run` now when no site dialog is open, otherwise once the last one has
// gone (not at all when `context` goes first). A window that changes the lists
// on its own, such as the site news, waits this way, so that it never changes
// them under a dialog that is editing them.
void whenNoSiteDialog(WindowRegistry &registry, QObject *context, std::function<void()> run);

} // namespace tavimo
