#pragma once

// Pictures decoded for the thumbnails, away from the window's thread.
//
// A thumbnail shows a picture much smaller than it came: a JPEG decodes much
// faster straight to a fraction of its size, and an animation's frames are
// decoded once at the size they are shown, then only cycled. The grid reads a
// picture's header once as the answer arrives (it sizes the cell), hands the
// bytes to a PictureDecoder and shows what comes back; an answer for a picture
// the cell no longer shows is dropped by whoever receives it.
//
//     const std::optional<PictureHeader> header = readPictureHeader(bytes);
//     decoder.decodeStill(bytes, *header, cellPixels, img, [img](QImage image) {
//         img->showDecoded(std::move(image));
//     });

#include <QAtomicInt>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace tavimo {

// What a picture's header says, read without decoding it: its format, its size
// and, for an animation, its frame count (1 for a still picture). Nothing for
// bytes that are no picture of a known format, or whose header gives no size.
struct PictureHeader {
    QSize size;
    int frames = 1;
    QByteArray format; // as QImageReader names it: "jpeg", "gif", ...
};
std::optional<PictureHeader> readPictureHeader(const QByteArray &bytes);

// Frame delays below this are played at DefaultFrameDelayMs, as web browsers
// do: a GIF that asks for no delay would otherwise keep a core busy.
inline constexpr int MinFrameDelayMs = 20;
inline constexpr int DefaultFrameDelayMs = 100;
// How long a frame is shown, for the delay its picture asks.
int playedFrameDelay(int delayMs);

// The picture at exactly `size` pixels (stretched as the thumbnail stretches
// it, smoothly); at its own size when `size` is empty. Null when it cannot be
// decoded.
QImage decodeScaled(const QByteArray &bytes, const QByteArray &format, QSize size);

// Tells whether a file read again holds the very bytes a picture came in:
// their length and a hash of them.
struct PictureFingerprint {
    qsizetype size = -1;
    size_t hash = 0;
    friend bool operator==(const PictureFingerprint &, const PictureFingerprint &) = default;
};
PictureFingerprint pictureFingerprint(const QByteArray &bytes);

// Where a still picture is decoded from: the bytes it came in while they are
// at hand, otherwise its stored file, which must still hold those bytes.
struct StillSource {
    QByteArray bytes;
    QString file;                   // read when `bytes` is empty
    PictureFingerprint fingerprint; // of the bytes the file must hold
};

struct DecodedStill {
    QImage image;                   // null when the bytes do not decode
    PictureFingerprint fingerprint; // of the bytes decoded
    // The file is gone or holds other bytes now (rewritten, or not yet
    // written): nothing was decoded, and that says nothing of the picture.
    bool fileChanged = false;
    // With fileChanged, when the file could not be read at all: why (a named
    // pipe in its place, say, which is never waited on).
    QString unreadable;
};

// The still picture of `source` as decodeScaled gives it.
DecodedStill decodeStill(const StillSource &source, const QByteArray &format, QSize size);

// Every frame of an animation, as it is shown.
struct AnimationFrames {
    QList<QImage> images;
    QList<int> delays;  // ms each frame is shown, short delays raised
    int loopCount = -1; // as QImageReader: -1 for ever, 0 once, n: n more times
};

// The frames at `size` (their own size when empty). Nothing when the frames
// cannot be decoded, or would take more than `maxBytes` at that size (the
// caller then plays the picture another way). `first` sees frame 0 as soon
// as it is decoded.
std::optional<AnimationFrames> decodeFrames(const QByteArray &bytes, const QByteArray &format,
                                            QSize size, qint64 maxBytes,
                                            const std::function<void(const QImage &)> &first = {});

// What a decode of an animation from a StillSource gives.
struct DecodedAnimation {
    std::optional<AnimationFrames> frames; // nothing as decodeFrames says
    PictureFingerprint fingerprint;        // of the bytes decoded
    // Read from the file, when the frames would take too much memory: what
    // the caller plays instead.
    QByteArray bytes;
    bool fileChanged = false; // as DecodedStill says
    QString unreadable;       // as DecodedStill says
};

// The bytes `frames` frames of `size` take in memory.
qint64 frameBytes(QSize size, int frames);

// Decodes pictures on a pool of worker threads. Each answer is delivered on
// the thread the decoder lives on, through the event loop, never inside the
// call that asked for it, and only while `receiver` still exists.
class PictureDecoder : public QObject {
    Q_OBJECT

public:
    explicit PictureDecoder(QObject *parent = nullptr);
    // Waits for the pictures being decoded; their answers are dropped.
    ~PictureDecoder() override;

    void decodeStill(const QByteArray &bytes, const PictureHeader &header, QSize size,
                     QObject *receiver, std::function<void(QImage)> done);
    // The same from bytes or a stored file (the file is read on the worker).
    void decodeStill(StillSource source, const QByteArray &format, QSize size, QObject *receiver,
                     std::function<void(DecodedStill)> done);
    // The first frame comes first, as soon as it is decoded; then all frames,
    // or nothing when they would take more than `maxBytes`.
    void decodeAnimation(const QByteArray &bytes, const PictureHeader &header, QSize size,
                         qint64 maxBytes, QObject *receiver, std::function<void(QImage)> firstFrame,
                         std::function<void(std::optional<AnimationFrames>)> done);

    // The same from bytes or a stored file (the file is read on the worker).
    void decodeAnimation(StillSource source, const PictureHeader &header, QSize size,
                         qint64 maxBytes, QObject *receiver, std::function<void(QImage)> firstFrame,
                         std::function<void(DecodedAnimation)> done);

    // Pictures asked for whose last answer has not been delivered yet.
    int pending() const { return pending_.loadRelaxed(); }
    // Runs the event loop's answers of every picture asked for so far
    // (tests and benchmarks).
    void waitForDone();

private:
    // Runs `deliver` on this object's thread, for `receiver` while it lives.
    void post(const QPointer<QObject> &receiver, std::function<void()> deliver, bool last);

    QThreadPool pool_;
    QAtomicInt pending_;
};

} // namespace tavimo
