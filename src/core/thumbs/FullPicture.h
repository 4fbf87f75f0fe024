#pragma once

// Pictures decoded whole, at their own size, for the large viewer.
//
// The viewer shows a picture at its own size however large it is, panned
// within a window as large as the monitor, so it holds the whole picture
// decoded. Qt refuses to decode a picture above its allocation limit (128 MB
// by default: an 8000 x 6000 picture needs 183 MiB); that limit stays as it is
// for everything else, whose pictures come from any server, and the viewer
// instead asks whether the picture fits in the memory the machine has free.
// The header is read on the window's thread (it gives the caption and the
// window's size); the picture is decoded on a worker.
//
//     const std::optional<FullPictureHeader> header = readFullPictureHeader(path);
//     if (!fitsInMemory(header->memoryBytes(), availableMemory()))  // the platform's probe
//         say(LngCannotShow + pictureMemoryText(...));
//     // on a worker:
//     QImage picture = decodeFullSize(bytes, &cancelled);

#include "core/thumbs/PictureDecoding.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <optional>

namespace tavimo {

// What a picture file's header says, read without decoding the picture.
struct FullPictureHeader {
    PictureHeader picture;                               // size, frame count, format
    QImage::Format imageFormat = QImage::Format_Invalid; // as it decodes
    qint64 fileBytes = 0;

    // What showing it takes in memory: the file's bytes, which are read whole,
    // and the decoded picture (for an animation, the frame on show and the one
    // being decoded).
    qint64 memoryBytes() const;
};
// Nothing when the file cannot be read or holds no picture of a known format
// and size; `why` then says why the file could not be read, when it could not
// (a named pipe or a device in its place is never waited on).
std::optional<FullPictureHeader> readFullPictureHeader(const QString &path, QString *why = nullptr);

// What is left free beside a picture being shown, for the rest of the
// program and the desktop.
inline constexpr qint64 kMemoryReserve = qint64(128) * 1024 * 1024;

// Whether `bytes` fit into `available` with the reserve left over; always
// true when the available memory is not known (negative).
bool fitsInMemory(qint64 bytes, qint64 available);

// "8000x6000 pixels: 214 MB needed, 120 MB free", for the message that refuses
// a picture; the free part is left out when not known.
QString pictureMemoryText(QSize picture, qint64 needed, qint64 available);

// The first frame of the picture in `bytes` at its own size, whatever Qt's
// allocation limit says (the caller has decided that it fits), ready to be
// painted. Null when the bytes do not decode, the memory cannot be had, or
// `cancelled` was set while decoding (which then stops early).
QImage decodeFullSize(const QByteArray &bytes, const std::atomic_bool *cancelled = nullptr);

} // namespace tavimo
