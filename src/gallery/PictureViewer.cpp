#include "gallery/PictureViewer.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/Monitors.h"
#include "core/base/Numbers.h"
#include "core/base/Prompts.h"
#include "core/files/SettingsStore.h"
#include "core/thumbs/FullPicture.h"
#include "gallery/GalleryWindow.h"
#include "gallery/Logging.h"
#include "platform/AvailableMemory.h"
#include "ui/AnimatedPicture.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"
#include "ui/WindowRegistry.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>

namespace tavimo {

namespace {

const QString kSection = QStringLiteral("Form2");
const QString kDefaultX = QStringLiteral("400");
const QString kDefaultY = QStringLiteral("300");

// The monitor to use when the platform lists none.
const QRect kFallbackMonitor(0, 0, 1920, 1080);

} // namespace

PictureViewer::PictureViewer(AppState &state, QPoint cursorPos, std::function<void()> returnTo,
                             QWidget *parent)
    : QWidget(parent), state_(state), returnTo_(std::move(returnTo)), SavedCursor(cursorPos) {
    setObjectName(kPictureViewerName);
    movePointer_ = [](QPoint at) { QCursor::setPos(at); };
    AniGIF1 = new AnimatedPicture(this);
    AniGIF1->setObjectName(QStringLiteral("AniGIF1"));
    connect(AniGIF1, &AnimatedPicture::clicked, this, &QWidget::close);
    connect(AniGIF1, &AnimatedPicture::mouseMoved, this,
            [this] { pic1_MouseMove(QCursor::pos()); });
    connect(AniGIF1, &AnimatedPicture::loaded, this, &PictureViewer::pictureLoaded);
    availableMemory_ = [] { return availableMemory(); };
    // Escape closes it, registered or not, as it does every window.
    closeOnEscape(*this);

    // The place the viewer was left chooses the monitor; it opens centred there.
    const SettingsStore *settings = state_.settings;
    const double x =
        Val(settings ? settings->value(kSection, QStringLiteral("x"), kDefaultX) : kDefaultX);
    const double y =
        Val(settings ? settings->value(kSection, QStringLiteral("y"), kDefaultY) : kDefaultY);
    const QList<QRect> screens = screenRects();
    state_.monitors.enumerate(screens);
    monitor_ = nearestMonitor(screens, QPoint(int(roundHalfEven(x)), int(roundHalfEven(y))));
    if (monitor_.isEmpty())
        monitor_ = kFallbackMonitor;
}

PictureViewer::~PictureViewer() = default;

bool PictureViewer::showPicture(const ViewerSource &source, const QString &path) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    source_ = source;
    path_ = path;
    // Only the header is read here: it sizes and captions the window, which
    // shows at once; the picture is decoded on a worker and follows.
    QString unreadable;
    const std::optional<FullPictureHeader> header = readFullPictureHeader(path, &unreadable);
    if (!header) {
        qCDebug(lcGallery) << "cannot show" << path << unreadable;
        // A file that cannot be read at all (a named pipe in its place, say)
        // is named, with what to do about it.
        refuse(unreadable.isEmpty()
                   ? state_.texts.LngCannotShow
                   : state_.texts.LngCannotShow + QStringLiteral("\n\n") +
                         QDir::toNativeSeparators(path) + QStringLiteral(":\n") + unreadable);
        return false;
    }
    const qint64 available = availableMemory_ ? availableMemory_() : -1;
    if (!fitsInMemory(header->memoryBytes(), available)) {
        const QString size =
            pictureMemoryText(header->picture.size, header->memoryBytes(), available);
        qCDebug(lcGallery) << "too large to show:" << path << size;
        refuse(state_.texts.LngCannotShow + QStringLiteral("\n\n") + size);
        return false;
    }
    animated_ = header->picture.frames >= 2;
    AniGIF1->loadFileInBackground(path, header->picture);
    AniGIF1->setCursor(Qt::BusyCursor);

    const bool slot = source.kind == ViewerSource::Kind::PageSlot;
    const SlotTable &table = state_.page.SlotTable;
    setWindowTitle(viewerCaption(state_.texts, table.value(source.index, slot ? stFrom : stGalFrom),
                                 table.value(source.index, slot ? stInfo : stGalInfo),
                                 table.value(source.index, slot ? stTime : stGalTime),
                                 AniGIF1->pictureSize(), QFileInfo(path).size()));

    const bool opening = isHidden();
    placeForPicture(AniGIF1->pictureSize());
    if (AniGIF1->frameCount() >= 2)
        AniGIF1->startAnimation();
    if (opening) {
        show();
        activateWindow();
        // Panning starts from the middle of the monitor, where the middle of a
        // large picture is in view.
        placePointer(monitor_.center());
    } else {
        PanLast = QCursor::pos();
    }
    raise();
    return true;
}

void PictureViewer::refuse(const QString &text) {
    if (state_.prompts)
        state_.prompts->message(text, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
    close();
}

void PictureViewer::pictureLoaded(AnimatedPicture::LoadOutcome outcome) {
    AniGIF1->unsetCursor();
    switch (outcome) {
    case AnimatedPicture::LoadOutcome::Shown:
        return;
    case AnimatedPicture::LoadOutcome::Changed:
        // Replaced since its header was read: shown anew, sized for what it is now.
        showPicture(source_, path_);
        return;
    case AnimatedPicture::LoadOutcome::Failed:
        qCDebug(lcGallery) << "cannot decode" << path_;
        // An animation that does not play leaves the window with its caption.
        if (animated_) {
            if (state_.prompts)
                state_.prompts->message(state_.texts.LngCannotShow, QStringLiteral("Tavimo"),
                                        Prompts::Icon::Exclamation);
        } else {
            refuse(state_.texts.LngCannotShow);
        }
        return;
    }
}

void PictureViewer::placeForPicture(QSize picture) {
    placedPicture_ = picture;
    placeWindow();
    // The window manager frames the window some time after it shows: until
    // then the frame is a guess, and the window is sized and centred again
    // once it is known, so that the whole frame lies on the monitor.
    placeWhenFramed(*this, [this] { placeWindow(); });
}

void PictureViewer::placeWindow() {
    if (placedPicture_.isEmpty())
        return; // nothing to size the window for yet
    const QWidget *main = state_.mainWindow ? state_.mainWindow->window() : nullptr;
    const QMargins frame = expectedFrameMargins(*this, main);
    layout_ = viewerLayout(placedPicture_, monitor_,
                           QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
    resize(layout_.client);
    moveFrame(*this, layout_.windowTopLeft, main);
    AniGIF1->setGeometry(layout_.picture);
}

void PictureViewer::placePointer(QPoint at) {
    if (movePointer_)
        movePointer_(at);
    PanLast = at;
}

void PictureViewer::pic1_MouseMove(QPoint screenPos) {
    QRect picture = AniGIF1->geometry();
    if (layout_.PanTall) {
        picture.moveTop(
            panOffset(picture.top(), PanLast.y(), screenPos.y(), picture.height(), height()));
        PanLast.setY(screenPos.y());
    }
    if (layout_.PanWide) {
        picture.moveLeft(
            panOffset(picture.left(), PanLast.x(), screenPos.x(), picture.width(), width()));
        PanLast.setX(screenPos.x());
    }
    AniGIF1->move(picture.topLeft());
}

void PictureViewer::mouseReleaseEvent(QMouseEvent *) {
    close();
}

void PictureViewer::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    if (closed_)
        return;
    closed_ = true;
    // A viewer that never showed has no place to remember nor pointer to give back.
    if (layout_.client.isEmpty())
        return;
    if (state_.settings) {
        const QRect frame = frameGeometry();
        state_.settings->setValue(kSection, QStringLiteral("x"), numberText(frame.x()));
        state_.settings->setValue(kSection, QStringLiteral("y"), numberText(frame.y()));
    }
    if (returnTo_)
        returnTo_();
    if (movePointer_)
        movePointer_(SavedCursor);
}

PictureViewer *openPictureViewerWindow(AppState &state, WindowRegistry &registry,
                                       const ViewerSource &source, const QString &path,
                                       QPoint cursorPos) {
    auto *viewer = qobject_cast<PictureViewer *>(registry.find(kPictureViewerName));
    if (!viewer) {
        // Closing brings back the gallery when it is open, else the main window.
        viewer = new PictureViewer(state, cursorPos, [&state, &registry] {
            if (QWidget *gallery = registry.find(kGalleryWindowName))
                raiseWindow(gallery);
            else if (state.mainWindow)
                state.mainWindow->activateMain();
        });
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        registry.add(kPictureViewerName, viewer);
    }
    if (!viewer->showPicture(source, path))
        return nullptr;
    // Brought back by a click in another window, it takes the keyboard from
    // that window, so that Escape closes it.
    viewer->activateWindow();
    return viewer;
}

void refreshPictureViewer(WindowRegistry &registry, const ViewerSource &source,
                          const QString &path) {
    auto *viewer = qobject_cast<PictureViewer *>(registry.find(kPictureViewerName));
    if (viewer && viewer->isVisible() && viewer->source() == source)
        viewer->showPicture(source, path);
}

} // namespace tavimo
