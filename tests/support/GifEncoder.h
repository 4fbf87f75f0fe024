#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace tavimo::test {

struct GifFrame {
    QImage image;
    int delayMs = 100; // stored in hundredths of a second
};

// Encodes the frames as one GIF89a file with a single global colour table and
// the NETSCAPE2.0 loop extension (loopCount 0 = loop forever). Every frame is
// drawn at the size of the first. Frames with at most 256 colours between them
// keep their colours exactly; otherwise they are reduced to a fixed 6x7x6 palette
// with ordered dithering. Alpha is ignored. An empty list gives an empty array.
QByteArray encodeAnimatedGif(const QList<GifFrame> &frames, int loopCount = 0);

} // namespace tavimo::test
