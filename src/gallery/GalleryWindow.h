#pragma once

#include "core/app/WindowRequests.h"
#include "core/base/FileDialogs.h"
#include "gallery/GalleryGeometry.h"
#include "gallery/GalleryPlan.h"
#include "platform/PictureTransfer.h"

#include <QList>
#include <QMainWindow>

class QAction;
class QMenu;

namespace tavimo {

struct AppState;
class DesktopBridge;
class GalleryFetch;
class GalleryPointer;
class ThumbGrid;
class WindowRegistry;

// The name the gallery is registered under.
inline const QString kGalleryWindowName = QStringLiteral("GalleryWindow");

// What the gallery's Save and Paste items reach outside the program.
struct GalleryServices {
    ShowFileDialogFunction showFileDialog; // asks where a picture is saved
    DesktopBridge *desktop = nullptr;      // MMSSTV's window; null: none to reach
    ClipboardWriter clipboard;             // takes the pasted picture
};

// The last 30 pictures of one site in two pages of 15: the site of a slot of
// the main window's page (with the "All Sites" menu to pick another slot) or
// one record of a list. While it is open the main window takes no input; the
// page goes on refreshing. Its parts:
//   ThumbGrid       the 30 cells (`pic15`), twice as high as the window shows
//   GalleryFetch    the pictures' requests, answers, files and pass
//   GalleryPointer  tips and presses
class GalleryWindow : public QMainWindow {
    Q_OBJECT

public:
    GalleryWindow(AppState &state, const GalleryRequest &request, GalleryServices services,
                  QWidget *parent = nullptr);
    ~GalleryWindow() override;

    // Shows the request's site: the slot menu rebuilt from the main window's
    // page (slot mode) or hidden (site mode), the first page, a new pass.
    void load(const GalleryRequest &request);

    const GalleryRequest &request() const { return request_; }
    const GallerySite &site() const { return site_; }
    int CheckedItem() const { return CheckedItem_; }
    int SaveIndex() const { return SaveIndex_; }
    const GalleryPaging &paging() const { return paging_; }

    ThumbGrid &grid() const { return *pic15; }
    GalleryFetch &fetch() const { return *fetch_; }
    GalleryPointer &pointer() const { return *pointer_; }

    // The menus, as their handlers know them.
    QMenu *mnuSite = nullptr; // "All Sites"
    QList<QAction *> mnuSites;
    QAction *mnu15 = nullptr;
    QAction *mnu30 = nullptr;
    QMenu *mnuPop = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuPaste = nullptr;

    // Handlers of the menus and keys.
    void mnuSites_Click(int Index);
    void mnu15_Click();
    void mnu30_Click();
    void mnuSave_Click();
    void mnuPaste_Click();
    void Form_KeyDown(Qt::Key key);
    // The wheel turned over the window at `at` (window coordinates).
    void MouseWheel(int delta, QPoint at);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The reads stop and the main window takes input again, once.
    void closeEvent(QCloseEvent *event) override;

private:
    void LayoutThumbnails();
    void buildMenus();
    void buildSlotMenu();
    // The menus and page of the request: the slot menu rebuilt (slot mode),
    // page 1 shown.
    void showRequest();
    // A new pass for the request's site, and the caption naming it.
    void FetchLast30();
    void PictureClick(int cell, Qt::MouseButton button, QPoint at);
    void cellShown(int cell, const QString &file);
    void placeSurface();
    void centreCaption();
    PictureTransferContext transferContext();

    AppState &state_;
    GalleryServices services_;
    GalleryRequest request_;
    GallerySite site_;
    GalleryPaging paging_;
    int CheckedItem_ = 0;
    int SaveIndex_ = 0;
    int LastWidth = 0;
    bool closed_ = false;
    QString caption_; // the caption before centring
    QWidget *client_ = nullptr;
    ThumbGrid *pic15 = nullptr;
    GalleryFetch *fetch_ = nullptr;
    GalleryPointer *pointer_ = nullptr;
};

// Opens the gallery for `request`, or shows the request in the gallery that is
// open already.
GalleryWindow *openGalleryWindow(AppState &state, WindowRegistry &registry,
                                 const GalleryRequest &request, GalleryServices services);
// Closes the gallery when it is open.
void closeGalleryWindow(WindowRegistry &registry);

} // namespace tavimo
