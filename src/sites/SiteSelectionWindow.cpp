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
#include <QScreen>
#include <QScrollBar>
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

void setBackground(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Window) == colour)
        return;
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

} // namespace

SiteSelectionWindow::SiteSelectionWindow(AppState &state) : QWidget(nullptr), state_(state) {
    setWindowTitle(kCaption);
    setFocusPolicy(Qt::StrongFocus);

    pic1 = new QWidget(this);
    pic1->setAutoFillBackground(true);
    setBackground(pic1, kGridLines);
    pic1->installEventFilter(this);

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
    setWindowTitle(kCaption);
    wxList_ = pick_ ? pick_->wxList : state_.page.isWxPage();
    const SiteList &list = wxList_ ? state_.WxSiteList : state_.SiteList;
    const PageView view{state_.page.CurrentPage, state_.page.PageCount, state_.config.ThumbSetting};

    GridRows = gridRows(list.size());
    const int cells = GridRows * kGridColumns;
    while (lblGrid.size() < cells) {
        auto *label = new QLabel(pic1);
        label->setAutoFillBackground(true);
        label->setIndent(4);
        lblGrid.append(label);
    }
    for (int i = 0; i < lblGrid.size(); ++i) {
        QLabel *label = lblGrid[i];
        if (i >= cells) {
            label->hide();
            continue;
        }
        const int row = i / kGridColumns;
        const int column = i % kGridColumns;
        // One pixel less than the pitch leaves the grid's lines between the cells.
        label->setGeometry(column * kGridCellWidth, row * kGridRowPitch, kGridCellWidth - 1,
                           kGridRowPitch - 1);
        const bool site = i < list.size();
        label->setText(site ? list[i].Callsign : QString());
        setBackground(label,
                      site && slotOnPage(list[i], wxList_, view) >= 0 ? kPlacedCell : kPlainCell);
        label->show();
    }

    // The SSTV grid always shows twenty rows; the WX grid as many as it has,
    // up to twenty, and both scroll beyond that.
    const int visibleRows = wxList_ ? std::min(GridRows, kGridVisibleRows) : kGridVisibleRows;
    const int height = visibleRows * kGridRowPitch;
    setFixedSize(kGridWidth + kScrollBarWidth, height);
    pic1->setGeometry(0, 0, kGridWidth, GridRows * kGridRowPitch);
    VScroll1->setGeometry(kGridWidth, 0, kScrollBarWidth, height);
    VScroll1->setPageStep(kGridVisibleRows);
    VScroll1->setMaximum(gridScrollMaximum(GridRows));
    topRow_ = 0;
    wheelPending_ = 0;
    VScroll1->setValue(0);
    VScroll1->raise();

    if (!placed_) {
        placed_ = true;
        placeOnMainMonitor();
    }
}

void SiteSelectionWindow::showForPick(const SitePick &pick) {
    pick_ = pick;
    if (pick.wxList != wxList_ || lblGrid.isEmpty())
        ShowSiteSelection();
    // Shown before, the grid keeps its scroll position until it is rebuilt.
    blockMainWhileShown(*this, state_.mainWindow);
    show();
    raise();
    activateWindow();
}

void SiteSelectionWindow::lblGrid_Click(int Index) {
    if (Index < 0 || Index >= GridRows * kGridColumns || Index >= lblGrid.size() ||
        lblGrid[Index]->text().isEmpty())
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
        window->ShowSiteSelection();
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
