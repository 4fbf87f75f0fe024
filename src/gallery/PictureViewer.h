#pragma once

#include "core/app/WindowRequests.h"
#include "gallery/ViewerLayout.h"
#include "ui/AnimatedPicture.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

namespace tavimo {

struct AppState;
class WindowRegistry;

// The name the viewer is registered under.
inline const QString kPictureViewerName = QStringLiteral("PictureViewer");

// The large viewer: one picture of a main-window slot or a gallery cell, on
// the monitor where the viewer was last left, centred there. Small pictures
// are enlarged, pictures that fit are shown at their own size, larger ones at
// their own size in a window as large as the monitor, panned by moving the
// pointer. A click or Escape closes it; its place is remembered and the
// pointer goes back where it was when the thumbnail was pressed.
//
// It follows its source: when that slot's or cell's picture is shown anew,
// the viewer shows the new one (refreshPictureViewer); no other does.
class PictureViewer : public QWidget {
    Q_OBJECT

public:
    // Moves the mouse pointer (the viewer puts it in the middle of the
    // monitor, and back when it closes).
    using MovePointer = std::function<void(QPoint)>;

    // `cursorPos`: the pointer when the thumbnail was pressed. `returnTo`
    // brings the window the viewer was opened from to the front again.
    PictureViewer(AppState &state, QPoint cursorPos, std::function<void()> returnTo,
                  QWidget *parent = nullptr);
    ~PictureViewer() override;

    // The loader: shows the picture file of `source`, sized and captioned
    // afresh. The window is placed from the picture's header and shows at
    // once; the picture is decoded off the window's thread and follows
    // (picture()->isLoading() until then). False, with a message and the
    // viewer closed, when the file holds no picture or one too large for the
    // memory there is (the message names its size). A picture that turns out
    // not to decode gives the message later and closes the viewer.
    bool showPicture(const ViewerSource &source, const QString &path);

    const ViewerSource &source() const { return source_; }
    const QString &picturePath() const { return path_; }
    const ViewerLayout &viewLayout() const { return layout_; }
    AnimatedPicture *picture() const { return AniGIF1; }
    // The monitor the viewer opens on (chosen when it is made).
    QRect monitor() const { return monitor_; }

    void setMovePointer(MovePointer move) { movePointer_ = std::move(move); }
    // The memory that may still be taken, in bytes (negative: not known).
    using AvailableMemory = std::function<qint64()>;
    void setAvailableMemory(AvailableMemory available) { availableMemory_ = std::move(available); }

    // Sizes and centres the window for a picture of that size, and again once
    // the window manager has framed it. Called again whenever the size of the
    // picture shown becomes known or changes.
    void placeForPicture(QSize picture);

    // Pans the picture for a pointer now at `screenPos`.
    void pic1_MouseMove(QPoint screenPos);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void placePointer(QPoint at);
    // Says `text` and closes the viewer.
    void refuse(const QString &text);
    void pictureLoaded(AnimatedPicture::LoadOutcome outcome);
    void placeWindow();

    AppState &state_;
    std::function<void()> returnTo_;
    MovePointer movePointer_;
    AvailableMemory availableMemory_;
    ViewerSource source_;
    QString path_;
    ViewerLayout layout_;
    QSize placedPicture_; // the picture size the window is placed for
    AnimatedPicture *AniGIF1 = nullptr;
    QPoint SavedCursor;
    QRect monitor_;
    QPoint PanLast;         // the pointer at the last panning step
    bool animated_ = false; // the picture on show is an animation
    bool closed_ = false;
};

// Shows `path` for `source` in the viewer, made when none is open. Null when
// the picture cannot be shown (the user was told).
PictureViewer *openPictureViewerWindow(AppState &state, WindowRegistry &registry,
                                       const ViewerSource &source, const QString &path,
                                       QPoint cursorPos);

// The picture of `source` was shown anew: an open viewer showing that source
// shows `path`; a viewer showing another source stays as it is.
void refreshPictureViewer(WindowRegistry &registry, const ViewerSource &source,
                          const QString &path);

} // namespace tavimo
