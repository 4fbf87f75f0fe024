#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>

class QBuffer;
class QMovie;
class QTimer;

namespace tavimo {

// What a picture's header says, read without decoding it: its size and, for an
// animation, its frame count (1 for a still picture). Nothing for bytes that
// are no picture of a known format.
struct PictureHeader {
    QSize size;
    int frames = 1;
};
std::optional<PictureHeader> readPictureHeader(const QByteArray &bytes);

// Shows one picture file, still or animated, stretched over the whole widget.
// Every thumbnail, gallery cell and the large viewer hold one. The file is read
// into memory when it is loaded: slot files are rewritten while their animation
// plays, and what plays must stay what was loaded.
//
// Mouse presses, moves (also without a button held) and clicks are reported as
// signals; the widget takes those events so they do not reach the container
// twice. Wheel events are left to the container.
class AnimatedPicture : public QWidget {
    Q_OBJECT

public:
    // Frame delays below this are played at DefaultFrameDelay, as web browsers
    // do: a GIF that asks for no delay would otherwise keep a core busy.
    static constexpr int MinFrameDelayMs = 20;
    static constexpr int DefaultFrameDelayMs = 100;

    explicit AnimatedPicture(QWidget *parent = nullptr);
    ~AnimatedPicture() override;

    // Loads a picture file of any common format (the extension does not matter)
    // and shows its first frame; the animation waits for startAnimation(). True
    // when the file was read and decoded. A failed load, or loading "", leaves
    // the widget empty (no picture, frame count 0).
    bool loadFile(const QString &path);
    // The same, from a picture already in memory.
    bool loadBytes(QByteArray bytes);
    void clear();
    bool isEmpty() const { return frameCount_ == 0; }

    // 2 or more for an animation, 1 for a still picture, 0 when empty.
    int frameCount() const { return frameCount_; }
    // The loaded picture's size in pixels (0 when empty).
    int pictureWidth() const { return pictureSize_.width(); }
    int pictureHeight() const { return pictureSize_.height(); }
    QSize pictureSize() const { return pictureSize_; }
    // Frame 0 of the loaded picture; null when empty.
    QImage firstFrame() const;

    // Plays the loaded frames in place, looping as the file says. Does nothing
    // for a still picture.
    void startAnimation();
    bool isAnimating() const;

    // Painted behind the picture (seen through transparent parts) and where
    // there is no picture.
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor &color);

    // Redraws the widget from its current frame.
    void refresh() { update(); }

signals:
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
    void onFrameChanged();

    QByteArray bytes_;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QMovie> movie_;
    std::unique_ptr<QTimer> slowFrame_;
    // Frame 0 until the animation starts; the playing movie then holds what is shown.
    QImage still_;
    QSize pictureSize_{0, 0};
    int frameCount_ = 0;
    bool started_ = false;
    QColor backColor_;
    Qt::MouseButton pressed_ = Qt::NoButton;
};

} // namespace tavimo
