#pragma once

#include "core/app/DialogGuard.h"
#include "core/net/UpdateCheck.h"
#include "core/net/UpdatesList.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

namespace tavimo {

struct AppState;
class WindowRegistry;

// Brings the SSTV list up to date with the maker's updates list. Moved addresses and changed
// callsigns are applied as the window opens; new sites are added and discontinued ones removed
// (or kept, when unchecked, with the "NoDelete" mark) as it closes, whichever way. There is
// no way to cancel. The lists are saved right after the changes are applied, and the main
// window reloads its page.
class SiteNewsDialog : public QWidget {
    Q_OBJECT

public:
    // `updatesList`: the list's text cut at every "/////5"; `updatesFromMain`: it came from
    // the maker's host, not the mirror (the mirror's lists are shown on grey).
    SiteNewsDialog(AppState &state, const QStringList &updatesList, bool updatesFromMain);
    ~SiteNewsDialog() override;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lblInfo = nullptr;
    QListWidget *List1 = nullptr; // new sites (cameras are shown, never added)
    QListWidget *List2 = nullptr; // discontinued sites, each with a check box
    QListWidget *List3 = nullptr; // changed callsigns
    QListWidget *List4 = nullptr; // changed addresses
    QPushButton *cmdCancel = nullptr;

    const SiteNews &news() const { return news_; }

    // The item texts of the lists.
    static QString newSiteItem(const NewSiteEntry &entry);
    static QString discontinuedItem(const DiscontinuedSite &site);
    static QString renamedItem(const CallsignEntry &entry);
    static QString movedItem(const MovedSite &site);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void setCaptions(int languageIndex);
    void CompareSiteList(const QStringList &updatesList);
    void applyOnClose();
    void clearRemovedSlots(const QList<DiscontinuedSite> &removed);
    void saveLists();

    AppState &state_;
    const bool updatesFromMain_;
    std::optional<DialogGuard> guard_;
    SiteNews news_;
    bool applied_ = false;
};

// Opens the site-news dialog for an updates list with news, or raises it when it is open.
SiteNewsDialog *showSiteNewsDialog(AppState &state, WindowRegistry &registry,
                                   const QStringList &updatesList, bool updatesFromMain);

} // namespace tavimo
