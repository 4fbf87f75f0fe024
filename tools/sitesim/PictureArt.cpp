#include "sitesim/PictureArt.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace tavimo::sitesim {

namespace {

QFont font(int pixelSize, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// White text with a dark outline, legible on any background.
void outlinedText(QPainter &painter, const QFont &f, const QString &text, qreal centreX,
                  qreal baseline) {
    QPainterPath path;
    const qreal width = QFontMetricsF(f).horizontalAdvance(text);
    path.addText(centreX - width / 2, baseline, f, text);
    painter.setPen(QPen(QColor(0, 0, 0, 220), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(path);
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Value noise on a lattice, 0..1, smooth between the lattice points.
double lattice(int x, int y, quint32 seed) {
    quint32 h = quint32(x) * 374761393u + quint32(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967295.0;
}

double valueNoise(double x, double y, quint32 seed) {
    const int ix = int(std::floor(x));
    const int iy = int(std::floor(y));
    const double fx = smoothstep(0, 1, x - ix);
    const double fy = smoothstep(0, 1, y - iy);
    const double top = lattice(ix, iy, seed) * (1 - fx) + lattice(ix + 1, iy, seed) * fx;
    const double bottom = lattice(ix, iy + 1, seed) * (1 - fx) + lattice(ix + 1, iy + 1, seed) * fx;
    return top * (1 - fy) + bottom * fy;
}

// Fractal noise, 0..1: coarse shapes with finer detail on top.
double fractalNoise(double x, double y, quint32 seed, int octaves) {
    double sum = 0;
    double amplitude = 0.5;
    double total = 0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * valueNoise(x, y, seed + quint32(octave) * 101u);
        total += amplitude;
        x *= 2.03;
        y *= 2.03;
        amplitude *= 0.5;
    }
    return sum / total;
}

} // namespace

QImage drawSstvPicture(const SstvSiteInfo &site, qint64 number, const PictureCaption &caption,
                       int frame) {
    const int w = kSstvPictureSize.width();
    const int h = kSstvPictureSize.height();
    QImage image(kSstvPictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Each picture its own colours, so that a new one is seen at a glance.
    const int hue = int((site.number * 47 + number * 29) % 360);
    QLinearGradient background(0, 0, w, h);
    background.setColorAt(0, QColor::fromHsv(hue, 190, 235));
    background.setColorAt(1, QColor::fromHsv((hue + 70) % 360, 230, 100));
    painter.fillRect(image.rect(), background);

    // Colour bars at 75 %, as on a broadcast test card.
    static const QColor bars[] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                  {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {16, 16, 16}};
    const int barWidth = w / 8;
    for (int i = 0; i < 8; ++i)
        painter.fillRect(i * barWidth, 0, barWidth, 34, bars[i]);
    for (int i = 0; i < 8; ++i)
        painter.fillRect(i * barWidth, 202, barWidth, 14,
                         QColor::fromRgb(qRgb(i * 36, i * 36, i * 36)));
    painter.fillRect(0, 216, w, h - 216, QColor(0, 0, 0, 210));

    const QPointF centre(w / 2.0, 118);
    const qreal radius = 76;
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor(0, 0, 0, 80));
    painter.drawEllipse(centre, radius, radius);
    if (frame >= 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(140, 255, 140, 120));
        const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        painter.drawPie(box, (90 - frame * 360 / kAnimationFrames) * 16, -70 * 16);
    }
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
    painter.drawLine(QPointF(centre.x() - radius, centre.y()),
                     QPointF(centre.x() + radius, centre.y()));
    painter.drawLine(QPointF(centre.x(), centre.y() - radius),
                     QPointF(centre.x(), centre.y() + radius));

    outlinedText(painter, font(38, true), site.callsign, centre.x(), centre.y() + 6);
    outlinedText(painter, font(17, true), QStringLiteral("de ") + caption.sender, centre.x(),
                 centre.y() + 36);
    if (frame >= 0)
        outlinedText(painter, font(12, true), QStringLiteral("ANIMATED"), centre.x(),
                     centre.y() - 40);

    const QDateTime utc = caption.time.toTimeZone(QTimeZone::utc());
    painter.setPen(Qt::white);
    painter.setFont(font(15, true));
    painter.drawText(QRect(8, 218, w - 16, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     utc.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" UTC"));
    painter.setFont(font(12, false));
    painter.drawText(QRect(8, 236, w - 16, 18), Qt::AlignLeft | Qt::AlignVCenter, caption.status);
    painter.drawText(QRect(8, 236, w - 16, 18), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("picture %1").arg(number));
    painter.end();
    return image;
}

QImage drawLargePicture(const SstvSiteInfo &site, qint64 number, const PictureCaption &caption) {
    QImage image = drawSstvPicture(site, number, caption)
                       .scaled(kLargePictureSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
    quint32 state = quint32(site.number) * 2654435761u + quint32(number % 100000) * 40503u + 1u;
    // xorshift: fast, and the same grain for the same picture.
    const auto grain = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int(state % 97) - 48;
    };
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] =
                qRgb(std::clamp(qRed(p) + grain(), 0, 255), std::clamp(qGreen(p) + grain(), 0, 255),
                     std::clamp(qBlue(p) + grain(), 0, 255));
        }
    }
    return image;
}

QImage drawWxPicture(const WxSiteInfo &site, qint64 number, const QDateTime &time) {
    const int w = kWxPictureSize.width();
    const int h = kWxPictureSize.height();
    constexpr int header = 22;
    constexpr int channel = 256; // sync, picture, telemetry
    constexpr int sync = 12;
    constexpr int telemetry = 16;
    constexpr int video = channel - sync - telemetry;
    QImage image(kWxPictureSize, QImage::Format_RGB32);
    image.fill(Qt::black);

    // Each pass looks at other land and other weather; both channels see the
    // same scene, so they are computed once per point.
    const quint32 landSeed = quint32(site.number) * 7919u;
    const quint32 cloudSeed = quint32(site.number) * 104729u + quint32(number % 100000);
    const double drift = double(number % 1000) * 0.37; // the satellite's track moves on
    QList<double> landRow(video);
    QList<double> coverRow(video);
    for (int y = header; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double v = (y - header) / 60.0 + drift;
        for (int i = 0; i < video; ++i) {
            const double u = i / 60.0;
            landRow[i] = fractalNoise(u, v, landSeed, 5);
            // Clouds swirl: their coordinates are bent by another noise field.
            const double bend = fractalNoise(u * 0.7, v * 0.7, cloudSeed + 17u, 3) * 2.5;
            coverRow[i] =
                smoothstep(0.45, 0.72, fractalNoise(u * 1.3 + bend, v * 1.3 - bend, cloudSeed, 6));
        }
        for (int x = 0; x < w; ++x) {
            const int c = x / channel;
            const int cx = x % channel;
            int grey = 0;
            if (cx < sync) {
                grey = (((cx / 2) % 2 == 0) != (c == 1)) ? 230 : 20;
            } else if (cx >= sync + video) {
                grey = int((y - header) / 24 % 9) * 30; // calibration wedges
            } else {
                const double land = landRow[cx - sync];
                const double cover = coverRow[cx - sync];
                const bool isLand = land > 0.52;
                double value = 0;
                if (c == 0) // visible: dark sea, grey land, white cloud
                    value = (isLand ? 70 + 110 * (land - 0.52) : 30) * (1 - cover) + 240 * cover;
                else // infrared: warm ground dark, cold cloud tops bright
                    value = (isLand ? 120 - 60 * (land - 0.52) : 95) * (1 - cover) + 245 * cover;
                grey = std::clamp(int(value), 0, 255);
            }
            line[x] = qRgb(grey, grey, grey);
        }
    }

    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.setFont(font(13, true));
    const QDateTime utc = time.toTimeZone(QTimeZone::utc());
    painter.drawText(QRect(6, 0, w - 12, header), Qt::AlignLeft | Qt::AlignVCenter,
                     site.name + QStringLiteral("   NOAA-SIM %1 APT").arg(15 + site.number % 5));
    painter.drawText(QRect(6, 0, w - 12, header), Qt::AlignRight | Qt::AlignVCenter,
                     utc.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QStringLiteral(" UTC"));
    painter.end();
    return image;
}

} // namespace tavimo::sitesim
