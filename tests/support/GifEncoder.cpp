#include "support/GifEncoder.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace tavimo::test {

namespace {

constexpr int kRedLevels = 6;
constexpr int kGreenLevels = 7;
constexpr int kBlueLevels = 6;

void putWord(QByteArray &out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

// Variable-length codes packed least significant bit first, cut into the
// length-prefixed sub-blocks of at most 255 bytes that GIF image data uses.
class CodeWriter {
public:
    void write(int code, int size) {
        accumulator_ |= static_cast<quint32>(code) << bits_;
        bits_ += size;
        while (bits_ >= 8) {
            bytes_.append(static_cast<char>(accumulator_ & 0xFF));
            accumulator_ >>= 8;
            bits_ -= 8;
        }
    }
    QByteArray finish() {
        if (bits_ > 0)
            bytes_.append(static_cast<char>(accumulator_ & 0xFF));
        QByteArray blocks;
        for (qsizetype at = 0; at < bytes_.size(); at += 255) {
            const QByteArray part = bytes_.mid(at, 255);
            blocks.append(static_cast<char>(part.size()));
            blocks.append(part);
        }
        blocks.append('\0');
        return blocks;
    }

private:
    QByteArray bytes_;
    quint32 accumulator_ = 0;
    int bits_ = 0;
};

QByteArray lzwEncode(const QByteArray &indices, int minCodeSize) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    CodeWriter writer;
    int codeSize = minCodeSize + 1;
    int lastCode = endCode; // highest code in the table
    QHash<quint32, int> table;
    writer.write(clearCode, codeSize);
    int current = -1;
    for (const char c : indices) {
        const int pixel = static_cast<quint8>(c);
        if (current < 0) {
            current = pixel;
            continue;
        }
        const quint32 key = (static_cast<quint32>(current) << 8) | static_cast<quint32>(pixel);
        const auto found = table.constFind(key);
        if (found != table.constEnd()) {
            current = found.value();
            continue;
        }
        writer.write(current, codeSize);
        table.insert(key, ++lastCode);
        // The decoder is one table entry behind; it widens its codes at the
        // same point as long as we widen once the new code needs more bits.
        if (lastCode >= (1 << codeSize) && codeSize < 12)
            ++codeSize;
        if (lastCode == 4095) {
            writer.write(clearCode, codeSize);
            table.clear();
            codeSize = minCodeSize + 1;
            lastCode = endCode;
        }
        current = pixel;
    }
    if (current >= 0)
        writer.write(current, codeSize);
    writer.write(endCode, codeSize);
    return writer.finish();
}

int ditheredLevel(int value, int levels, double threshold) {
    const double scaled = value / 255.0 * (levels - 1) + threshold;
    return std::clamp(static_cast<int>(std::floor(scaled + 0.5)), 0, levels - 1);
}

struct Palette {
    QList<QRgb> colours;
    bool exact = true;
};

Palette choosePalette(const QList<QImage> &images) {
    Palette palette;
    QHash<QRgb, int> seen;
    for (const QImage &image : images) {
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb rgb = line[x] | 0xFF000000u;
                if (!seen.contains(rgb)) {
                    if (seen.size() == 256) {
                        palette.exact = false;
                        palette.colours.clear();
                        for (int r = 0; r < kRedLevels; ++r)
                            for (int g = 0; g < kGreenLevels; ++g)
                                for (int b = 0; b < kBlueLevels; ++b)
                                    palette.colours.append(qRgb(r * 255 / (kRedLevels - 1),
                                                                g * 255 / (kGreenLevels - 1),
                                                                b * 255 / (kBlueLevels - 1)));
                        return palette;
                    }
                    seen.insert(rgb, static_cast<int>(palette.colours.size()));
                    palette.colours.append(rgb);
                }
            }
        }
    }
    return palette;
}

QByteArray indexFrame(const QImage &image, const Palette &palette) {
    static constexpr int bayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    QHash<QRgb, int> lookup;
    if (palette.exact)
        for (int i = 0; i < palette.colours.size(); ++i)
            lookup.insert(palette.colours[i], i);
    QByteArray indices;
    indices.reserve(qsizetype(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = line[x] | 0xFF000000u;
            int index = 0;
            if (palette.exact) {
                index = lookup.value(rgb);
            } else {
                const double threshold = (bayer[y % 4][x % 4] + 0.5) / 16.0 - 0.5;
                const int r = ditheredLevel(qRed(rgb), kRedLevels, threshold);
                const int g = ditheredLevel(qGreen(rgb), kGreenLevels, threshold);
                const int b = ditheredLevel(qBlue(rgb), kBlueLevels, threshold);
                index = (r * kGreenLevels + g) * kBlueLevels + b;
            }
            indices.append(static_cast<char>(index));
        }
    }
    return indices;
}

} // namespace

QByteArray encodeAnimatedGif(const QList<GifFrame> &frames, int loopCount) {
    if (frames.isEmpty() || frames.first().image.isNull())
        return {};
    const QSize size = frames.first().image.size();
    QList<QImage> images;
    for (const GifFrame &frame : frames) {
        QImage image = frame.image.size() == size ? frame.image
                                                  : frame.image.scaled(size, Qt::IgnoreAspectRatio,
                                                                       Qt::FastTransformation);
        images.append(image.convertToFormat(QImage::Format_RGB32));
    }
    const Palette palette = choosePalette(images);

    // Table size 2^(n+1); image codes need at least 2 bits.
    int tableBits = 1;
    while ((1 << tableBits) < palette.colours.size())
        ++tableBits;
    const int minCodeSize = std::max(2, tableBits);

    QByteArray out("GIF89a");
    putWord(out, size.width());
    putWord(out, size.height());
    out.append(static_cast<char>(0x80 | (7 << 4) | (tableBits - 1))); // global table, 8-bit colour
    out.append('\0');                                                 // background index
    out.append('\0');                                                 // no aspect ratio
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb rgb = i < palette.colours.size() ? palette.colours[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qRed(rgb)));
        out.append(static_cast<char>(qGreen(rgb)));
        out.append(static_cast<char>(qBlue(rgb)));
    }
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
    putWord(out, std::clamp(loopCount, 0, 0xFFFF));
    out.append('\0');

    for (qsizetype f = 0; f < images.size(); ++f) {
        out.append("\x21\xF9\x04", 3);
        out.append(static_cast<char>(1 << 2)); // disposal: leave the frame in place
        putWord(out, std::clamp((frames[f].delayMs + 5) / 10, 0, 0xFFFF));
        out.append('\0'); // no transparent index
        out.append('\0');

        out.append('\x2C');
        putWord(out, 0);
        putWord(out, 0);
        putWord(out, size.width());
        putWord(out, size.height());
        out.append('\0'); // no local table, not interlaced
        out.append(static_cast<char>(minCodeSize));
        out.append(lzwEncode(indexFrame(images[f], palette), minCodeSize));
    }
    out.append('\x3B');
    return out;
}

} // namespace tavimo::test
