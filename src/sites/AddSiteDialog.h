#pragma once

#include "sites/SiteDialog.h"
#include "sites/SiteDialogFields.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace tavimo {

struct AppState;
class WindowRegistry;

// Adds one site to the SSTV list or the WX list: the user picks the list,
// types the callsign (a WX site's name) and the picture address and, for an
// SSTV site, the camera address and the position, which a callbook look-up
// can fill. The list is kept in callsign order and saved at once; an address
// the list has already is refused.
class AddSiteDialog : public SiteDialog {
    Q_OBJECT

public:
    explicit AddSiteDialog(AppState &state);

    void cmdAdd_Click();

    QRadioButton *Option1 = nullptr; // the SSTV list
    QRadioButton *Option2 = nullptr; // the WX list
    QLabel *Label2 = nullptr;        // how picture addresses end
    QPushButton *cmdGetLatLon = nullptr;
    QPushButton *cmdAdd = nullptr;
    SiteDialogFields *fields = nullptr;

private:
    void Option1_Click();
    void Option2_Click();
    void listChosen(bool sstv);
};

// The add-site dialog, raised when it is open already.
AddSiteDialog *openAddSite(AppState &state, WindowRegistry &registry);

} // namespace tavimo
