#pragma once

#include "core/thumbs/PictureDecoding.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>

#include <memory>
#include <optional>

class QBuffer;
class QMovie;
class QTimer;

namespace tavimo {

class AnimationClock;

// Shows one picture file, still or animated, stretched over the whole widget.
// Every thumbnail, gallery cell and the large viewer hold one. The file is read
// into memory when it is loaded: slot files are rewritten while their animation
// plays, and what plays must stay what was loaded.
//
// An animation plays in one of two ways. A thumbnail given frame services
// (a decoder and a clock, which its grid shares among its cells) has its
// frames decoded once, off the window's thread, at the size it shows them,
// and cycled by the clock, which pauses them all while the window is not on
// the screen. Otherwise, and for an animation whose frames at that size would
// take too much memory, each frame is decoded as it comes, at the picture's
// own size.
//
// Mouse presses, moves (also without a button held) and clicks are reported as
// signals; the widget takes those events so they do not reach the container
// twice. Wheel events are left to the container.
class AnimatedPicture : public QWidget {
    Q_OBJECT

public:
    static constexpr int MinFrameDelayMs = tavimo::MinFrameDelayMs;
    static constexpr int DefaultFrameDelayMs = tavimo::DefaultFrameDelayMs;
    // The most memory the frames of one thumbnail may take.
    static constexpr qint64 MaxFrameBytes = qint64(16) * 1024 * 1024;

    explicit AnimatedPicture(QWidget *parent = nullptr);
    ~AnimatedPicture() override;

    // Both must outlive the widget; null for either turns the services off
    // for pictures loaded after.
    void setFrameServices(PictureDecoder *decoder, AnimationClock *clock);

    // Loads a picture file of any common format (the extension does not matter)
    // and shows its first frame; the animation waits for startAnimation(). True
    // when the file was read and decoded. A failed load, or loading "", leaves
    // the widget empty (no picture, frame count 0).
    bool loadFile(const QString &path);
    // The same, from a picture already in memory.
    bool loadBytes(QByteArray bytes);
    // The same, for bytes whose header was read already. With frame services,
    // an animation's frames are decoded later: the widget shows its back
    // colour until the first one is in. Once they are, a picture given its
    // `file` (which holds, or is about to hold, the same bytes) lets the bytes
    // go, and a new size reads the file again, only while it holds those
    // bytes; otherwise the frames on show stay, stretched.
    bool loadBytes(QByteArray bytes, const PictureHeader &header, const QString &file = {});
    // Loads the file whose header was read already off the window's thread
    // (the large viewer): size and frame count are those of `header` at once,
    // the widget shows its back colour, and loaded() tells when the picture
    // is in. A still picture is decoded at its own size, past Qt's allocation
    // limit: the caller has made sure it fits in memory. Loading anything else
    // drops the load under way.
    void loadFileInBackground(const QString &path, const PictureHeader &header);
    void clear();
    bool isEmpty() const { return frameCount_ == 0; }
    // A load of loadFileInBackground is under way.
    bool isLoading() const { return loading_ != nullptr; }

    // 2 or more for an animation, 1 for a still picture, 0 when empty.
    int frameCount() const { return frameCount_; }
    // The loaded picture's size in pixels (0 when empty).
    int pictureWidth() const { return pictureSize_.width(); }
    int pictureHeight() const { return pictureSize_.height(); }
    QSize pictureSize() const { return pictureSize_; }
    // Frame 0 of the loaded picture at its own size; null when empty.
    QImage firstFrame() const;

    // Plays the loaded frames in place, looping as the file says. Does nothing
    // for a still picture. While the picture is loading, it plays once it is in.
    void startAnimation();
    bool isAnimating() const;
    // Frames decoded at the widget's size and cycled by a clock (thumbnails).
    bool playsDecodedFrames() const { return framesMode_; }
    // The bytes the picture came in are still held.
    bool holdsBytes() const { return !bytes_.isEmpty(); }
    // The pixel size of the decoded frames on show (empty before they are in).
    QSize decodedFrameSize() const { return frameSize_; }

    // Painted behind the picture (seen through transparent parts) and where
    // there is no picture.
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor &color);

    // Redraws the widget from its current frame.
    void refresh() { update(); }

    // How a load of loadFileInBackground ended.
    enum class LoadOutcome {
        Shown,   // the picture is in
        Failed,  // the file could not be read or decoded; the widget is empty
        Changed, // the file holds another picture than its header said (it was
                 // replaced meanwhile); the widget is empty
    };
    Q_ENUM(LoadOutcome)

signals:
    void loaded(tavimo::AnimatedPicture::LoadOutcome outcome);
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    // A button pressed and released over the widget.
    void clicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    friend class AnimationClock;

    // The clock's tick: the next frame is shown. Its delay, or -1 when the
    // animation has played as often as the file says.
    int showNextFrame();

    struct BackgroundLoad;
    void backgroundLoadDone(BackgroundLoad &load);
    void startMovie(const QByteArray &format);
    void onFrameChanged();
    QSize pixelSize() const;
    // Frames at the widget's size, from the decoder.
    void requestFrames(QSize pixels);
    void framesDecoded(quint64 serial, QSize pixels, DecodedAnimation decoded);
    void playFrames();

    QByteArray bytes_;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QMovie> movie_;
    std::unique_ptr<QTimer> slowFrame_;
    // Frame 0 until the animation starts; the playing movie then holds what is shown.
    QImage still_;
    QSize pictureSize_{0, 0};
    int frameCount_ = 0;
    bool started_ = false;
    // The load under way in the background; startAnimation() waits for it.
    std::shared_ptr<BackgroundLoad> loading_;
    bool startWhenLoaded_ = false;
    QColor backColor_;
    Qt::MouseButton pressed_ = Qt::NoButton;

    // Frames decoded at the widget's size.
    PictureDecoder *decoder_ = nullptr;
    AnimationClock *clock_ = nullptr;
    bool framesMode_ = false;
    PictureHeader header_;
    QString file_;
    PictureFingerprint fingerprint_; // of bytes_, once let go
    QSize unread_;                   // the size at which file_ held other bytes
    bool fileChangeTold_ = false;    // the log said file_ no longer holds the picture
    quint64 serial_ = 0;             // the picture loaded; answers for another are dropped
    QSize requested_;                // the size of the frames on their way
    QImage firstImage_;              // frame 0 at the widget's size, until the frames come
    AnimationFrames frames_;         // at frameSize_
    QSize frameSize_;
    int current_ = 0;
    int loopsDone_ = 0;
    bool finished_ = false;
};

} // namespace tavimo
