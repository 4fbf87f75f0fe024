#include "gallery/GalleryWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/WindowOpener.h"
#include "core/base/RegularFile.h"
#include "core/thumbs/ThumbTip.h"
#include "gallery/GalleryFetch.h"
#include "gallery/GalleryPointer.h"
#include "gallery/Logging.h"
#include "gallery/PictureViewer.h"
#include "ui/AnimatedPicture.h"
#include "ui/FramePlacement.h"
#include "ui/MenuBarPainter.h"
#include "ui/OpenOnce.h"
#include "ui/QtFileDialog.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWheelEvent>

namespace tavimo {

namespace {

const QString kPage1Text = QStringLiteral("  Images 1-15  ");
const QString kPage2Text = QStringLiteral("  Images 16-30  ");

// The gallery opens this far right of the main window's left edge.
constexpr int kOffsetFromMainTwips = 800;

// Whether `widget` is (part of) a cell's picture.
bool isCellPicture(const QWidget *widget) {
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (const auto *cell = qobject_cast<const ThumbCell *>(w->parentWidget()))
            return w == cell->img;
    }
    return false;
}

// The window's client area, which takes the keys that page the gallery. It
// draws no focus of its own: a plain widget repaints all of itself, every
// cell, whenever it gains or loses the focus (as when the window opens).
class GalleryClient : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void focusInEvent(QFocusEvent *) override {}
    void focusOutEvent(QFocusEvent *) override {}
};

bool isPictureFile(const QString &path) {
    const std::optional<QByteArray> bytes = readRegularFile(path);
    return bytes && readPictureHeader(*bytes).has_value();
}

} // namespace

GalleryWindow::GalleryWindow(AppState &state, const GalleryRequest &request,
                             GalleryServices services, QWidget *parent)
    : QMainWindow(parent), state_(state), services_(std::move(services)), request_(request) {
    setObjectName(kGalleryWindowName);
    if (!services_.showFileDialog)
        services_.showFileDialog = qtFileDialog;
    if (!services_.clipboard)
        services_.clipboard = writeToClipboard;
    // While the gallery is open the main window takes no input, so nothing
    // there can open a second gallery or switch the page under this one.
    if (MainWindowAccess *main = state_.mainWindow) {
        main->setMainEnabled(false);
        keepAboveMain(*this, main->window());
        QPalette colours = palette();
        colours.setColor(QPalette::Window, main->window()->palette().color(QPalette::Window));
        setPalette(colours);
    }

    client_ = new GalleryClient(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(client_);
    pic15 = new ThumbGrid(client_);
    pic15->setObjectName(QStringLiteral("pic15"));
    pic15->setGridLayout(galleryGridLayout());
    pic15->setCellGeometryFor(galleryCellGeometry);
    fetch_ = new GalleryFetch(state_, *pic15, this);
    pointer_ = new GalleryPointer(*pic15, state_.page.SlotTable, this);
    connect(pointer_, &GalleryPointer::cellPressed, this, &GalleryWindow::PictureClick);
    connect(fetch_, &GalleryFetch::cellShown, this, &GalleryWindow::cellShown);
    connect(fetch_, &GalleryFetch::passEnded, this, [this] {
        if (state_.mainWindow)
            state_.mainWindow->setGalleryLoading(false);
    });

    buildMenus();
    // The pictures are asked for first: the network works while the cells are made.
    FetchLast30();
    LayoutThumbnails();
    fetch_->labelCells();
    showRequest();
    client_->setFocus();
}

GalleryWindow::~GalleryWindow() = default;

// ---- Layout ---------------------------------------------------------------------------

void GalleryWindow::LayoutThumbnails() {
    ScreenMetrics screen = state_.screen;
    if (screen.screenHeight <= 0)
        screen = screenMetrics(this->screen());
    const int guiSize = state_.config.GuiSize;
    const int bar = menuBar()->sizeHint().height();
    const MainWindowSize size =
        gallerySize(screen, guiSize, FrameExtra{0, bar * screen.twipsPerPixelY});
    resize(size.widthPixels, size.heightPixels);
    if (MainWindowAccess *main = state_.mainWindow) {
        // Below the main window's title bar and menu bar, which shows the
        // gallery's own loading on its Refresh item.
        const QWidget *mainWindow = main->window();
        const QRect mainFrame = mainWindow->frameGeometry();
        const auto *mainMenus = qobject_cast<const QMainWindow *>(mainWindow);
        const int mainBar =
            mainMenus && mainMenus->menuWidget() && mainMenus->menuWidget()->isVisible()
                ? mainMenus->menuWidget()->height()
                : 0;
        const int frameExtraH = mainFrame.height() - (mainWindow->height() - mainBar);
        moveFrame(*this,
                  QPoint(mainFrame.left() +
                             kOffsetFromMainTwips / clampTwipsPerPixel(screen.twipsPerPixelX),
                         mainFrame.top() + frameExtraH),
                  mainWindow);
    }

    // The small window size makes the captions regular, the numbers stay bold.
    const double labelPoints = labelFontSize(screen.screenHeight, guiSize);
    pic15->makeCells(labelPoints, guiSize != 0);
    for (ThumbCell *cell : pic15->cells())
        cell->setNumberLabel(galleryNumberLabel(cell->slot()), QString::number(cell->slot() + 1),
                             labelPoints);
    placeSurface();
}

void GalleryWindow::placeSurface() {
    const UserScale scale(QSizeF(kGalleryScaleWidth, kGalleryScaleHeight), client_->size());
    pic15->setGeometry(0, scale.toPixelY(paging_.top()), client_->width(),
                       scale.toPixelY(2 * kGalleryScaleHeight));
}

void GalleryWindow::centreCaption() {
    const int twipsPerPixel = clampTwipsPerPixel(state_.screen.twipsPerPixelX);
    setWindowTitle(CenterCaption(caption_, frameGeometry().width() * twipsPerPixel));
    LastWidth = width();
}

void GalleryWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    placeSurface();
    if (width() != LastWidth)
        centreCaption();
}

// ---- Menus ------------------------------------------------------------------------------

void GalleryWindow::buildMenus() {
    QMenuBar *bar = menuBar();
    mnuSite = bar->addMenu(QStringLiteral("All Sites"));
    mnuSite->setObjectName(QStringLiteral("mnuSite"));
    mnu15 = bar->addAction(kPage1Text);
    mnu15->setObjectName(QStringLiteral("mnu15"));
    mnu30 = bar->addAction(kPage2Text);
    mnu30->setObjectName(QStringLiteral("mnu30"));
    connect(mnu15, &QAction::triggered, this, &GalleryWindow::mnu15_Click);
    connect(mnu30, &QAction::triggered, this, &GalleryWindow::mnu30_Click);
    installMenuBarPainter(bar);

    mnuPop = new QMenu(this);
    mnuPop->setObjectName(QStringLiteral("mnuPop"));
    mnuSave = mnuPop->addAction(QStringLiteral("Save"));
    // The paste goes to MMSSTV's transmit window, and the item says so.
    mnuPaste = mnuPop->addAction(QStringLiteral("Paste to MMSSTV"));
    connect(mnuSave, &QAction::triggered, this, &GalleryWindow::mnuSave_Click);
    connect(mnuPaste, &QAction::triggered, this, &GalleryWindow::mnuPaste_Click);
}

void GalleryWindow::buildSlotMenu() {
    for (QAction *item : std::as_const(mnuSites))
        delete item;
    mnuSites.clear();
    MainWindowAccess *main = state_.mainWindow;
    for (int i = 0; i < state_.page.SlotCount; ++i) {
        QAction *item = mnuSite->addAction(
            slotMenuCaption(main ? main->slotCallCaption(i) : QString(), state_.texts));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { mnuSites_Click(i); });
        mnuSites.append(item);
    }
}

void GalleryWindow::load(const GalleryRequest &request) {
    request_ = request;
    FetchLast30();
    showRequest();
}

void GalleryWindow::showRequest() {
    const bool slotMode = request_.mode == GalleryRequest::Mode::PageSlot;
    mnuSite->menuAction()->setVisible(slotMode);
    paging_.showPage1();
    placeSurface();
    setGalleryMenuText(mnu15, kPage1Text);
    restorePlainMenuText(mnu30, kPage2Text);
    if (slotMode) {
        buildSlotMenu();
        CheckedItem_ = request_.index;
        for (int i = 0; i < mnuSites.size(); ++i)
            mnuSites[i]->setChecked(i == CheckedItem_);
    }
}

void GalleryWindow::FetchLast30() {
    pointer_->clearHover();
    site_ = resolveGallerySite(request_, state_.page, state_.SiteList, state_.WxSiteList);
    fetch_->start(galleryOwnerNumber(request_), site_);
    caption_ = galleryCaption(request_.mode == GalleryRequest::Mode::PageSlot, site_.callsign);
    centreCaption();
}

void GalleryWindow::mnuSites_Click(int Index) {
    if (Index < 0 || Index >= mnuSites.size())
        return;
    // An empty slot has no pictures: the gallery stays as it is.
    if (!mnuSites[Index]->text().isEmpty()) {
        paging_.showPage1();
        placeSurface();
        CheckedItem_ = Index;
        if (state_.mainWindow)
            state_.mainWindow->setGalleryLoading(true);
        setGalleryMenuText(mnu15, kPage1Text);
        restorePlainMenuText(mnu30, kPage2Text);
        request_ = GalleryRequest::pageSlot(Index);
        FetchLast30();
    }
    for (int i = 0; i < mnuSites.size(); ++i)
        mnuSites[i]->setChecked(i == CheckedItem_);
}

void GalleryWindow::mnu15_Click() {
    paging_.showPage1();
    placeSurface();
    restorePlainMenuText(mnu30, kPage2Text);
    setGalleryMenuText(mnu15, kPage1Text);
}

void GalleryWindow::mnu30_Click() {
    paging_.showPage2();
    placeSurface();
    restorePlainMenuText(mnu15, kPage1Text);
    setGalleryMenuText(mnu30, kPage2Text);
}

// ---- Keys and wheel ------------------------------------------------------------------

void GalleryWindow::Form_KeyDown(Qt::Key key) {
    const bool moved =
        (key == Qt::Key_Up && paging_.stepUp()) || (key == Qt::Key_Down && paging_.stepDown());
    if (moved)
        placeSurface();
}

void GalleryWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    Form_KeyDown(Qt::Key(event->key()));
    event->accept();
}

void GalleryWindow::MouseWheel(int delta, QPoint at) {
    // The surface between the pictures pages; a picture itself does not.
    const QWidget *under = childAt(at);
    if (!under || (under != pic15 && !pic15->isAncestorOf(under)) || isCellPicture(under))
        return;
    if (paging_.wheel(delta))
        placeSurface();
}

void GalleryWindow::wheelEvent(QWheelEvent *event) {
    MouseWheel(event->angleDelta().y(), event->position().toPoint());
    event->accept();
}

// ---- Cells ------------------------------------------------------------------------------

void GalleryWindow::PictureClick(int cell, Qt::MouseButton button, QPoint at) {
    const ThumbCell *c = pic15->cell(cell);
    if (!c)
        return;
    fetch_->flush();
    const QString file = fetch_->cellFile(cell);
    GalleryCellState state;
    state.from = state_.page.SlotTable.value(cell, stGalFrom);
    state.fileReady = QFile(file).size() > 0;
    state.lblCall = c->lblCall->text();
    state.progressVisible = c->isProgressShown();
    state.readable = state.fileReady && button == Qt::LeftButton && isPictureFile(file);
    switch (galleryClick(mouseButton(button), state)) {
    case GalleryClick::Nothing:
        return;
    case GalleryClick::PopUp:
        SaveIndex_ = cell;
        mnuPop->popup(at);
        return;
    case GalleryClick::OpenViewer:
        pointer_->pic15_MouseMove();
        if (state_.opener)
            state_.opener->openGalleryViewer(file, cell, at);
        return;
    }
}

void GalleryWindow::cellShown(int cell, const QString &file) {
    WindowOpener *opener = state_.opener;
    if (!opener || opener->IsFormLoaded(kPictureViewerName) == 0)
        return;
    fetch_->flush();
    opener->pictureShown(ViewerSource::galleryCell(cell), file);
}

PictureTransferContext GalleryWindow::transferContext() {
    MainWindowAccess *main = state_.mainWindow;
    return PictureTransferContext{state_.paths,
                                  state_.texts,
                                  *state_.prompts,
                                  state_.config.AutoRefreshMode == 1,
                                  [main] {
                                      if (main)
                                          main->StopRefreshTimers();
                                  },
                                  [main] {
                                      if (main)
                                          main->StartRefreshTimers();
                                  },
                                  services_.showFileDialog,
                                  services_.desktop,
                                  services_.clipboard,
                                  this};
}

void GalleryWindow::mnuSave_Click() {
    if (!state_.prompts)
        return;
    fetch_->flush();
    const TransferResult result =
        SavePictureAs(PictureRef::galleryCell(SaveIndex_), state_.SaveFolder, transferContext());
    qCDebug(lcGallery) << "save of cell" << SaveIndex_ << int(result.outcome) << result.target;
    raise();
}

void GalleryWindow::mnuPaste_Click() {
    if (!state_.prompts)
        return;
    fetch_->flush();
    const TransferResult result =
        PasteIntoMMSSTV(PictureRef::galleryCell(SaveIndex_), transferContext());
    qCDebug(lcGallery) << "paste of cell" << SaveIndex_ << int(result.outcome) << "MMSSTV found"
                       << result.windowFound;
}

// ---- Closing ----------------------------------------------------------------------------

void GalleryWindow::closeEvent(QCloseEvent *event) {
    QMainWindow::closeEvent(event);
    if (closed_)
        return;
    closed_ = true;
    const bool passRunning = fetch_->passRunning();
    fetch_->cancel();
    if (MainWindowAccess *main = state_.mainWindow) {
        if (passRunning)
            main->setGalleryLoading(false);
        main->setMainEnabled(true);
        main->activateMain();
    }
}

GalleryWindow *openGalleryWindow(AppState &state, WindowRegistry &registry,
                                 const GalleryRequest &request, GalleryServices services) {
    if (auto *open = qobject_cast<GalleryWindow *>(registry.find(kGalleryWindowName))) {
        open->load(request);
        raiseWindow(open);
        return open;
    }
    auto *window = openOnce<GalleryWindow>(registry, kGalleryWindowName, [&] {
        return new GalleryWindow(state, request, std::move(services));
    });
    // In front and with the keys, which page it.
    raiseWindow(window);
    return window;
}

void closeGalleryWindow(WindowRegistry &registry) {
    if (QWidget *open = registry.find(kGalleryWindowName))
        open->close();
}

} // namespace tavimo
