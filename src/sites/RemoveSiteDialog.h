#pragma once

#include "sites/SiteDialog.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace tavimo {

struct AppState;
class WindowRegistry;

// Removes one site from either list: the SSTV sites and the WX sites side by
// side; a pick in one list shows the site's address and locks the other list;
// Remove takes the site out, empties the thumbnail it holds on the page shown,
// saves the lists and closes. There is no confirmation.
class RemoveSiteDialog : public SiteDialog {
    Q_OBJECT

public:
    explicit RemoveSiteDialog(AppState &state);

    void cmdRemove_Click();

    QLabel *Label1 = nullptr;
    QListWidget *List1 = nullptr; // SSTV sites, zeros as the user's zero
    QListWidget *List2 = nullptr; // WX sites as stored
    QLabel *lbl_Url = nullptr;
    QPushButton *cmdRemove = nullptr;

private:
    void List1_Click();
    void List2_Click();
    void showPick(const QListWidget &list, QListWidget &other);
    void lbl_Url_Change();
};

// The remove-site dialog, raised when it is open already.
RemoveSiteDialog *openRemoveSite(AppState &state, WindowRegistry &registry);

} // namespace tavimo
