#pragma once

#include "core/sites/SiteGrid.h"
#include "core/thumbs/SlotAssignment.h"

#include <QString>
#include <QWidget>

#include <optional>

class QPainter;
class QScrollBar;
class QTimer;

namespace tavimo {

struct AppState;
class WindowRegistry;

// Every site of one list as a grid of callsign cells, five to a row, from
// which the user picks the site for a slot or for the gallery. The sites that
// hold a slot of the page shown are marked light blue. The window is built
// when it is first opened, and from then on rebuilt, hidden or not, whenever
// what it shows may have changed; showing it is a separate step. A pick hides it and hands the
// site's index in the list back to the main window; the close box only hides it.
//
// Lists can hold half a million sites, so the grid is one widget as high as all
// its rows that paints only the rows in view, straight from the list, and finds
// the cell under the pointer by arithmetic: building, showing and scrolling
// cost the same for any length of list, and nothing is kept per site.
class SiteSelectionWindow : public QWidget {
    Q_OBJECT

public:
    explicit SiteSelectionWindow(AppState &state);

    // Rebuilds the grid without showing it: the list of the page shown or,
    // while the window is shown for a pick, the list the pick is from. The
    // grid goes back to its top. Called again on every change of the lists.
    void ShowSiteSelection();

    // Shows the grid for a pick whose destination the main window fixed when
    // it asked: the list of pick.wxList, modal to the main window.
    void showForPick(const SitePick &pick);

    // A click on cell Index: a cell with a site hands its index over.
    void lblGrid_Click(int Index);

    // What the grid shows.
    bool showsWxList() const { return lblGrid_.wxList(); }
    int topRow() const { return topRow_; }

    // Rows of the last build.
    int GridRows = 0;
    // The cells as the grid paints them, cell index = row x 5 + column = index
    // in the list.
    const SiteGridCells &lblGrid() const { return lblGrid_; }
    // The grid, as high as its rows, moved up by the rows scrolled past.
    QWidget *pic1 = nullptr;
    QScrollBar *VScroll1 = nullptr;

    // Asks for a build once the caller's work is done: several requests and a
    // build made meanwhile (a change of the lists) come to one build.
    void requestRebuild();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class SiteGridCanvas;

    void paintCells(QPainter &painter, const QRect &area) const;

    void VScroll1_Change(int value);
    void scrollBy(int rows);
    void placeOnMainMonitor();

    AppState &state_;
    bool placed_ = false;
    int topRow_ = 0;
    int wheelPending_ = 0;
    std::optional<SitePick> pick_; // while shown for a pick
    SiteGridCells lblGrid_;        // the list and page of the last build
    QTimer *rebuildTimer_ = nullptr;
};

// Builds the site-selection grid for the lists and the page shown, creating
// it hidden the first time.
SiteSelectionWindow *ShowSiteSelection(AppState &state, WindowRegistry &registry);

// Rebuilds the grid if it has been made, once the caller's work is done: until
// it is first opened there is nothing to rebuild. The main window asks for this
// after the lists are read, after a page change and after a slot was filled or
// emptied; a change of the lists announced meanwhile makes the same build, and
// the grid is built once.
void rebuildSiteSelection(WindowRegistry &registry);

// Shows the grid for a pick (the slot pop-up's select item or "All sites").
SiteSelectionWindow *openSiteSelection(AppState &state, WindowRegistry &registry,
                                       const SitePick &pick);

} // namespace tavimo
