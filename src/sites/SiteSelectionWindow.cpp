#include "sites/SiteSelectionWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/sites/SiteGrid.h"
#include "sites/SiteDialog.h"
#include "ui/FramePlacement.h"
#include "ui/WindowRegistry.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace tavimo {
namespace {

const QString kCaption = QStringLiteral("tavimo  site selection   === Use scroll wheel ===");
const QString kWindowName = QStringLiteral("SiteSelectionWindow");
constexpr int kScrollBarWidth = 20;
constexpr int kGridWidth = kGridColumns * kGridCellWidth;
constexpr int kKeyRows = 2;
} // namespace

// The grid's one widget: it paints the cells the exposed area touches.
class SiteGridCanvas : public QWidget {
public:
    SiteGridCanvas(SiteSelectionWindow &window) : QWidget(&window), window_(window) {
        // Every pixel is painted: nothing below needs painting first.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *event) override {
        QPainter painter(this);
        window_.paintCells(painter, event->rect());
    }

private:
    SiteSelectionWindow &window_;
};

SiteSelectionWindow::SiteSelectionWindow(AppState &state) : QWidget(nullptr), state_(state) {
    setWindowTitle(kCaption);
    setFocusPolicy(Qt::StrongFocus);

    pic1 = new SiteGridCanvas(*this);
    pic1->installEventFilter(this);

    rebuildTimer_ = new QTimer(this);
    rebuildTimer_->setSingleShot(true);
    rebuildTimer_->setInterval(0);
    connect(rebuildTimer_, &QTimer::timeout, this, &SiteSelectionWindow::ShowSiteSelection);

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setFocusPolicy(Qt::NoFocus);
    VScroll1->setRange(0, 0);
    connect(VScroll1, &QScrollBar::valueChanged, this, &SiteSelectionWindow::VScroll1_Change);

    // A change of the lists from any window shows here at once.
    connect(&state_.events, &AppEvents::sitesChanged, this,
            &SiteSelectionWindow::ShowSiteSelection);
    // The window lives as long as the program's shared data.
    connect(&state_.events, &QObject::destroyed, this, [this] { delete this; });
}

void SiteSelectionWindow::ShowSiteSelection() {
    rebuildTimer_->stop();
    setWindowTitle(kCaption);
    const bool wxList = pick_ ? pick_->wxList : state_.page.isWxPage();
    lblGrid_ = SiteGridCells(
        wxList ? &state_.WxSiteList : &state_.SiteList, wxList,
        PageView{state_.page.CurrentPage, state_.page.PageCount, state_.config.ThumbSetting});
    GridRows = lblGrid_.rows();

    // The SSTV grid always shows twenty rows; the WX grid as many as it has,
    // up to twenty, and both scroll beyond that.
    const int visibleRows = wxList ? std::min(GridRows, kGridVisibleRows) : kGridVisibleRows;
    const int height = visibleRows * kGridRowPitch;
    setFixedSize(kGridWidth + kScrollBarWidth, height);
    // One widget for all rows: a widget may be up to 16,777,215 pixels high,
    // which is room for four million sites.
    pic1->setGeometry(0, 0, kGridWidth, GridRows * kGridRowPitch);
    VScroll1->setGeometry(kGridWidth, 0, kScrollBarWidth, height);
    VScroll1->setPageStep(kGridVisibleRows);
    VScroll1->setMaximum(gridScrollMaximum(GridRows));
    topRow_ = 0;
    wheelPending_ = 0;
    VScroll1->setValue(0);
    VScroll1->raise();
    pic1->update();

    if (!placed_) {
        placed_ = true;
        placeOnMainMonitor();
    }
}

void SiteSelectionWindow::requestRebuild() {
    rebuildTimer_->start();
}

void SiteSelectionWindow::showForPick(const SitePick &pick) {
    pick_ = pick;
    if (pick.wxList != showsWxList() || GridRows == 0 || rebuildTimer_->isActive())
        ShowSiteSelection();
    // Shown before, the grid keeps its scroll position until it is rebuilt.
    blockMainWhileShown(*this, state_.mainWindow);
    show();
    raise();
    activateWindow();
}

void SiteSelectionWindow::paintCells(QPainter &painter, const QRect &area) const {
    painter.fillRect(area, gridLineColour());
    for (const SiteGridCell &cell : lblGrid_.cellsIn(area)) {
        painter.fillRect(cell.rect, cell.background);
        if (cell.text.isEmpty())
            continue;
        painter.setPen(cell.foreground);
        painter.drawText(cell.rect.adjusted(kGridTextIndent, 0, 0, 0),
                         Qt::AlignLeft | Qt::AlignVCenter, cell.text);
    }
}

void SiteSelectionWindow::lblGrid_Click(int Index) {
    const std::optional<SiteGridCell> cell = lblGrid_.at(Index);
    if (!cell || cell->text.isEmpty())
        return;
    hide();
    pick_.reset();
    if (MainWindowAccess *main = state_.mainWindow) {
        main->activateMain();
        main->handOverPickedSite(Index);
    }
}

void SiteSelectionWindow::wheelEvent(QWheelEvent *event) {
    event->accept();
    const int rows = wheelRows(wheelPending_, event->angleDelta().y());
    if (rows == 0)
        return;
    scrollBy(rows);
    // How far down the grid is, in pixels, until the next build.
    setWindowTitle(QString::number(topRow_ * kGridRowPitch));
}

void SiteSelectionWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Up)
        scrollBy(-kKeyRows);
    else if (event->key() == Qt::Key_Down)
        scrollBy(kKeyRows);
    else
        QWidget::keyPressEvent(event);
}

void SiteSelectionWindow::closeEvent(QCloseEvent *event) {
    // The grid stays built for the next show; closing hands nothing over.
    event->ignore();
    hide();
    pick_.reset();
    MainWindowAccess *main = state_.mainWindow;
    if (main && main->window() && main->window()->isVisible())
        main->activateMain();
}

bool SiteSelectionWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == pic1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        const qsizetype index = lblGrid_.indexAt(at);
        if (mouse->button() == Qt::LeftButton && index >= 0) {
            lblGrid_Click(int(index));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SiteSelectionWindow::VScroll1_Change(int value) {
    topRow_ = clampTopRow(value, GridRows);
    pic1->move(0, -topRow_ * kGridRowPitch);
}

void SiteSelectionWindow::scrollBy(int rows) {
    VScroll1_Change(topRow_ + rows);
    VScroll1->setValue(topRow_);
}

void SiteSelectionWindow::placeOnMainMonitor() {
    QWidget *main = state_.mainWindow ? state_.mainWindow->window() : nullptr;
    QScreen *screen = main ? QGuiApplication::screenAt(main->frameGeometry().topLeft()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Centred with its frame, which is a guess until the window is first shown.
    QRect frame(QPoint(0, 0), size().grownBy(expectedFrameMargins(*this, main)));
    frame.moveCenter(screen->geometry().center());
    moveFrame(*this, frame.topLeft(), main);
}

SiteSelectionWindow *ShowSiteSelection(AppState &state, WindowRegistry &registry) {
    auto *window = qobject_cast<SiteSelectionWindow *>(registry.find(kWindowName));
    if (!window) {
        window = new SiteSelectionWindow(state);
        registry.add(kWindowName, window);
    }
    window->ShowSiteSelection();
    return window;
}

void rebuildSiteSelection(WindowRegistry &registry) {
    if (auto *window = qobject_cast<SiteSelectionWindow *>(registry.find(kWindowName)))
        window->requestRebuild();
}

SiteSelectionWindow *openSiteSelection(AppState &state, WindowRegistry &registry,
                                       const SitePick &pick) {
    auto *window = qobject_cast<SiteSelectionWindow *>(registry.find(kWindowName));
    if (!window)
        window = ShowSiteSelection(state, registry);
    window->showForPick(pick);
    return window;
}

} // namespace tavimo
