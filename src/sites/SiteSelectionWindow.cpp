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
#include <QLabel>
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
const QColor kPlainCell(255, 255, 255);
const QColor kPlacedCell(175, 225, 255);
// The lines between the cells.
const QColor kGridLines(200, 200, 200);
constexpr int kScrollBarWidth = 20;
constexpr int kGridWidth = kGridColumns * kGridCellWidth;
constexpr int kKeyRows = 2;
// The callsign's distance from the cell's left edge.
constexpr int kCellIndent = 4;
// Labels lblGrid hands out before it reuses the first.
constexpr int kCellLabels = 16;

void setBackground(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Window) == colour)
        return;
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

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

QLabel *GridCellLabels::operator[](qsizetype index) const {
    return window_.cellLabel(index);
}

QLabel *GridCellLabels::value(qsizetype index) const {
    if (index < 0 || index >= qsizetype(window_.GridRows) * kGridColumns)
        return nullptr;
    return window_.cellLabel(index);
}

SiteSelectionWindow::SiteSelectionWindow(AppState &state) : QWidget(nullptr), state_(state) {
    setWindowTitle(kCaption);
    setFocusPolicy(Qt::StrongFocus);

    pic1 = new SiteGridCanvas(*this);
    pic1->installEventFilter(this);

    cellShelf_ = new QWidget(this);
    cellShelf_->hide();

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
    wxList_ = pick_ ? pick_->wxList : state_.page.isWxPage();
    const SiteList &list = wxList_ ? state_.WxSiteList : state_.SiteList;
    view_ = PageView{state_.page.CurrentPage, state_.page.PageCount, state_.config.ThumbSetting};
    siteCount_ = list.size();
    GridRows = gridRows(list.size());

    // The SSTV grid always shows twenty rows; the WX grid as many as it has,
    // up to twenty, and both scroll beyond that.
    const int visibleRows = wxList_ ? std::min(GridRows, kGridVisibleRows) : kGridVisibleRows;
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
    if (pick.wxList != wxList_ || GridRows == 0 || rebuildTimer_->isActive())
        ShowSiteSelection();
    // Shown before, the grid keeps its scroll position until it is rebuilt.
    blockMainWhileShown(*this, state_.mainWindow);
    show();
    raise();
    activateWindow();
}

QString SiteSelectionWindow::cellText(qsizetype index) const {
    const SiteList &list = wxList_ ? state_.WxSiteList : state_.SiteList;
    // Read as the list is now: a change of it is followed by a build.
    if (index < 0 || index >= siteCount_ || index >= list.size())
        return {};
    return list.at(index).Callsign;
}

bool SiteSelectionWindow::cellPlaced(qsizetype index) const {
    const SiteList &list = wxList_ ? state_.WxSiteList : state_.SiteList;
    if (index < 0 || index >= siteCount_ || index >= list.size())
        return false;
    return slotOnPage(list.at(index), wxList_, view_) >= 0;
}

QRect SiteSelectionWindow::cellRect(qsizetype index) const {
    const int row = int(index / kGridColumns);
    const int column = int(index % kGridColumns);
    // One pixel less than the pitch leaves the grid's lines between the cells.
    return QRect(column * kGridCellWidth, row * kGridRowPitch, kGridCellWidth - 1,
                 kGridRowPitch - 1);
}

void SiteSelectionWindow::paintCells(QPainter &painter, const QRect &area) const {
    painter.fillRect(area, kGridLines);
    const int firstRow = std::max(0, area.top() / kGridRowPitch);
    const int lastRow = std::min(GridRows - 1, area.bottom() / kGridRowPitch);
    painter.setPen(palette().color(QPalette::WindowText));
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            const qsizetype index = qsizetype(row) * kGridColumns + column;
            const QRect cell = cellRect(index);
            if (!cell.intersects(area))
                continue;
            painter.fillRect(cell, cellPlaced(index) ? kPlacedCell : kPlainCell);
            const QString text = cellText(index);
            if (!text.isEmpty())
                painter.drawText(cell.adjusted(kCellIndent, 0, 0, 0),
                                 Qt::AlignLeft | Qt::AlignVCenter, text);
        }
    }
}

QLabel *SiteSelectionWindow::cellLabel(qsizetype index) {
    QLabel *label = nullptr;
    for (QLabel *made : std::as_const(cellLabels_)) {
        if (made->property("cell").toLongLong() == index)
            label = made;
    }
    if (!label && cellLabels_.size() < kCellLabels) {
        label = new QLabel(cellShelf_);
        label->setAutoFillBackground(true);
        label->setIndent(kCellIndent);
        cellLabels_.append(label);
    } else if (!label) {
        label = cellLabels_.at(nextCellLabel_);
        nextCellLabel_ = (nextCellLabel_ + 1) % kCellLabels;
    }
    label->setProperty("cell", qlonglong(index));
    label->setGeometry(cellRect(index));
    label->setText(cellText(index));
    setBackground(label, cellPlaced(index) ? kPlacedCell : kPlainCell);
    // The shelf is never shown, so this only marks the cell as part of the grid.
    label->setVisible(index >= 0 && index < qsizetype(GridRows) * kGridColumns);
    return label;
}

void SiteSelectionWindow::lblGrid_Click(int Index) {
    if (Index < 0 || Index >= GridRows * kGridColumns || cellText(Index).isEmpty())
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
        if (mouse->button() == Qt::LeftButton && pic1->rect().contains(at) && at.x() < kGridWidth) {
            lblGrid_Click(at.y() / kGridRowPitch * kGridColumns + at.x() / kGridCellWidth);
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
