#pragma once

#include "core/sites/SiteEdits.h"
#include "sites/SiteDialog.h"
#include "sites/SiteDialogFields.h"

#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

namespace tavimo {

struct AppState;
class WindowRegistry;

// Changes one site of either list in place: a pick in one list fills the
// boxes from the site and locks the other list; Save writes the boxes back,
// renames the thumbnails that show the site, and saves the lists at once. An
// address that another site of the list has already is refused.
class EditSiteDialog : public SiteDialog {
    Q_OBJECT

public:
    explicit EditSiteDialog(AppState &state);

    void cmdSave_Click();

    QLabel *Label1 = nullptr;     // the hint
    QListWidget *List1 = nullptr; // SSTV sites, zeros as the user's zero
    QListWidget *List2 = nullptr; // WX sites as stored
    QPushButton *cmdGetQrz = nullptr;
    QPushButton *cmdSave = nullptr;
    SiteDialogFields *fields = nullptr;

private:
    void List1_Click();
    void List2_Click();
    void fillFromPick(bool wxList);
    void renameSlotCaptions(bool wxList, const QString &oldCall, const QString &newCall);

    // The site picked last, found again by its key when it is saved.
    std::optional<SiteKey> picked_;
    bool pickedWx_ = false;
};

// The edit-site dialog, raised when it is open already.
EditSiteDialog *openEditSite(AppState &state, WindowRegistry &registry);

} // namespace tavimo
