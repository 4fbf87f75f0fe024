#include "slidegen/Slides.h"

#include "core/geo/Geodesy.h"
#include "sitesim/PictureArt.h"
#include "sitesim/SiteModel.h"

#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTimeZone>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace tavimo::slidegen {

namespace {

// Every slide shows the same made-up moment, so that the pictures never change between runs.
const QDateTime kMoment(QDate(2024, 5, 1), QTime(14, 30), QTimeZone::utc());
// Our own station, in the middle of the Netherlands.
constexpr double kHomeLat = 52.1;
constexpr double kHomeLon = 5.1;

QImage blank(const QColor &colour) {
    QImage image(kSlideSize, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QFont font(int pixelSize, bool bold = false) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QList<sitesim::SstvSiteInfo> simulatedSites() {
    sitesim::SimConfig config;
    config.sstvCount = 24;
    return sitesim::makeSstvSites(config);
}

QImage sitePicture(const sitesim::SstvSiteInfo &site, qint64 number) {
    const QDateTime time = kMoment.addSecs(-60 * (40 - number));
    return sitesim::drawSstvPicture(site, number, sitesim::sstvCaption(site, number, time));
}

// Scales to fill the slide and cuts what stands over.
QImage filled(const QImage &image) {
    const QImage scaled =
        image.scaled(kSlideSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - kSlideSize.width()) / 2,
                       (scaled.height() - kSlideSize.height()) / 2, kSlideSize.width(),
                       kSlideSize.height());
}

void drawCentredText(QPainter &p, const QRectF &box, const QString &text, const QFont &f,
                     const QColor &colour) {
    p.setFont(f);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

// The Maidenhead locator of a position: the square (four characters), or with its
// subsquare (six).
QString locator(double lat, double lon, bool subsquare = false) {
    const double x = lon + 180;
    const double y = lat + 90;
    QString text;
    text += QChar(u'A' + int(x / 20));
    text += QChar(u'A' + int(y / 10));
    text += QChar(u'0' + int(std::fmod(x, 20) / 2));
    text += QChar(u'0' + int(std::fmod(y, 10)));
    if (subsquare) {
        text += QChar(u'a' + int(std::fmod(x, 2) * 12));
        text += QChar(u'a' + int(std::fmod(y, 1) * 24));
    }
    return text;
}

// Points along the great circle from one position to another, as (lon, lat) in degrees.
QList<QPointF> greatCircle(double lat1, double lon1, double lat2, double lon2, int steps) {
    const double rad = std::numbers::pi / 180;
    const auto vec = [&](double lat, double lon) {
        return std::array<double, 3>{std::cos(lat * rad) * std::cos(lon * rad),
                                     std::cos(lat * rad) * std::sin(lon * rad),
                                     std::sin(lat * rad)};
    };
    const auto a = vec(lat1, lon1);
    const auto b = vec(lat2, lon2);
    const double dot = std::clamp(a[0] * b[0] + a[1] * b[1] + a[2] * b[2], -1.0, 1.0);
    const double omega = std::acos(dot);
    QList<QPointF> points;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double s = std::sin(omega);
        const double wa = s < 1e-9 ? 1 - t : std::sin((1 - t) * omega) / s;
        const double wb = s < 1e-9 ? t : std::sin(t * omega) / s;
        const double x = wa * a[0] + wb * b[0];
        const double y = wa * a[1] + wb * b[1];
        const double z = wa * a[2] + wb * b[2];
        points.append({std::atan2(y, x) / rad, std::atan2(z, std::hypot(x, y)) / rad});
    }
    return points;
}

} // namespace

QImage testCard() {
    QImage image = blank(QColor(20, 20, 20));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<QColor> bars{Qt::white,
                             QColor(255, 255, 0),
                             QColor(0, 255, 255),
                             Qt::green,
                             QColor(255, 0, 255),
                             Qt::red,
                             Qt::blue,
                             Qt::black};
    const int barWidth = kSlideSize.width() / int(bars.size());
    for (int i = 0; i < bars.size(); ++i)
        p.fillRect(i * barWidth, 0, barWidth, 170, bars[i]);
    for (int i = 0; i < 10; ++i) {
        const int grey = i * 255 / 9;
        p.fillRect(i * 32, 170, 32, 40, QColor(grey, grey, grey));
    }
    p.fillRect(0, 210, 320, 46, QColor(30, 60, 120));
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(160, 105), 78, 78);
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(160, 20, 160, 190);
    p.drawLine(70, 105, 250, 105);
    p.fillRect(QRectF(95, 88, 130, 34), QColor(0, 0, 0, 200));
    drawCentredText(p, QRectF(95, 88, 130, 34), QStringLiteral("TAVIMO"), font(24, true),
                    Qt::white);
    drawCentredText(p, QRectF(0, 212, 320, 22), QStringLiteral("SSTV TEST CARD"), font(16, true),
                    QColor(255, 230, 120));
    drawCentredText(p, QRectF(0, 232, 320, 20), QStringLiteral("de SIM0TAV  \u2022  73"), font(13),
                    Qt::white);
    return image;
}

QImage receivedPicture() {
    const QList<sitesim::SstvSiteInfo> sites = simulatedSites();
    QImage clean = sitePicture(sites[3], 29).convertToFormat(QImage::Format_RGB32);
    clean = clean.scaled(kSlideSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage image = blank(Qt::black);
    QRandomGenerator random(4711);
    for (int y = 0; y < image.height(); ++y) {
        // A receiver whose clock runs a little fast draws every line a little further right.
        const int slant = y / 24;
        // Fading in the middle of the picture: the noise grows and falls again.
        const double fade = std::exp(-std::pow((y - 150) / 18.0, 2));
        const double noise = 14 + 90 * fade;
        const auto *source = reinterpret_cast<const QRgb *>(clean.constScanLine(y));
        auto *target = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = source[std::clamp(x - slant, 0, image.width() - 1)];
            const auto jitter = [&](int v) {
                return std::clamp(v + int((random.generateDouble() - 0.5) * noise), 0, 255);
            };
            target[x] = qRgb(jitter(qRed(c)), jitter(qGreen(c)), jitter(qBlue(c)));
        }
    }
    // The sync pulse the decoder missed once: one line of colour smear.
    QPainter p(&image);
    p.fillRect(0, 201, 320, 2, QColor(255, 0, 200, 140));
    return image;
}

QImage thumbnailWindow() {
    const QList<sitesim::SstvSiteInfo> sites = simulatedSites();
    QMainWindow window;
    window.setFixedSize(640, 512);
    QMenuBar *bar = window.menuBar();
    for (const QString &caption :
         {QStringLiteral("Sites"), QStringLiteral("Maps"), QStringLiteral("Find a site"),
          QStringLiteral("Page 1"), QStringLiteral("Refresh 60 s"), QStringLiteral("14:30 UTC")})
        bar->addMenu(caption);
    auto *central = new QWidget;
    QPalette palette = central->palette();
    palette.setColor(QPalette::Window, QColor(57, 140, 190));
    central->setPalette(palette);
    central->setAutoFillBackground(true);
    auto *grid = new QGridLayout(central);
    grid->setSpacing(6);
    for (int slot = 0; slot < 12; ++slot) {
        const sitesim::SstvSiteInfo &site = sites[slot];
        const qint64 number = 29 - slot % 3;
        auto *cell = new QFrame;
        cell->setFrameShape(QFrame::Box);
        QPalette cellPalette = cell->palette();
        cellPalette.setColor(QPalette::Window,
                             slot == 4 ? QColor(255, 210, 80) : QColor(110, 180, 220));
        cell->setPalette(cellPalette);
        cell->setAutoFillBackground(true);
        auto *column = new QVBoxLayout(cell);
        column->setContentsMargins(4, 4, 4, 2);
        column->setSpacing(1);
        auto *picture = new QLabel;
        picture->setPixmap(QPixmap::fromImage(
            sitePicture(site, number)
                .scaled(136, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        column->addWidget(picture, 0, Qt::AlignHCenter);
        const sitesim::PictureCaption caption =
            sitesim::sstvCaption(site, number, kMoment.addSecs(-60 * slot));
        auto *call = new QLabel(QStringLiteral("%1 - %2 min").arg(site.callsign).arg(slot * 3 + 1));
        call->setFont(font(11, true));
        auto *from = new QLabel(QStringLiteral("From ") + caption.sender);
        from->setFont(font(10));
        column->addWidget(call);
        column->addWidget(from);
        grid->addWidget(cell, slot / 4, slot % 4);
    }
    window.setCentralWidget(central);
    window.show();
    const QImage shot = window.grab().toImage();
    return shot.scaled(kSlideSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage gallery() {
    const QList<sitesim::SstvSiteInfo> sites = simulatedSites();
    QImage image = blank(QColor(40, 44, 52));
    QPainter p(&image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const sitesim::SstvSiteInfo &site = sites[7];
    drawCentredText(p, QRectF(0, 2, 320, 22),
                    QStringLiteral("Last 30 pictures of %1").arg(site.callsign), font(14, true),
                    Qt::white);
    for (int i = 0; i < 6; ++i) {
        const QRect cell(8 + (i % 3) * 104, 28 + (i / 3) * 112, 96, 104);
        p.fillRect(cell, QColor(110, 180, 220));
        const QImage picture = sitePicture(site, 29 - i);
        p.drawImage(QRect(cell.x() + 3, cell.y() + 3, 90, 72), picture);
        const sitesim::PictureCaption caption =
            sitesim::sstvCaption(site, 29 - i, kMoment.addSecs(-600 * i));
        p.setPen(Qt::black);
        p.setFont(font(10, true));
        p.drawText(QRect(cell.x() + 3, cell.y() + 76, 90, 13), Qt::AlignCenter,
                   QStringLiteral("image%1").arg(i + 1));
        p.setFont(font(9));
        p.drawText(QRect(cell.x() + 3, cell.y() + 89, 90, 13), Qt::AlignCenter, caption.sender);
    }
    return image;
}

QImage locatorChart() {
    // Longitudes -6 to 18, latitudes 46 to 58: parts of fields IN, IO, JN and JO.
    constexpr double west = -6, east = 18, south = 46, north = 58;
    QImage image = blank(QColor(236, 240, 228));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const auto toPixel = [&](double lat, double lon) {
        return QPointF((lon - west) / (east - west) * kSlideSize.width(),
                       (north - lat) / (north - south) * kSlideSize.height());
    };
    const QList<QColor> fieldColours{QColor(214, 230, 245), QColor(230, 245, 214),
                                     QColor(245, 230, 214), QColor(240, 220, 240)};
    for (double lat = south; lat < north; lat += 1) {
        for (double lon = west; lon < east; lon += 2) {
            const int field =
                (int(std::floor((lon + 180) / 20)) + int(std::floor((lat + 90) / 10))) % 2 +
                (lat >= 50 ? 2 : 0);
            const QRectF cell(toPixel(lat + 1, lon), toPixel(lat, lon + 2));
            p.fillRect(cell, fieldColours[field % fieldColours.size()]);
            p.setPen(QColor(90, 90, 90));
            p.setFont(font(7));
            p.drawText(cell, Qt::AlignCenter, locator(lat + 0.5, lon + 1));
        }
    }
    p.setPen(QPen(QColor(150, 150, 150), 0.6));
    for (double lon = west; lon <= east; lon += 2)
        p.drawLine(toPixel(south, lon), toPixel(north, lon));
    for (double lat = south; lat <= north; lat += 1)
        p.drawLine(toPixel(lat, west), toPixel(lat, east));
    // Field borders.
    p.setPen(QPen(QColor(180, 30, 30), 2.2));
    p.drawLine(toPixel(south, 0), toPixel(north, 0));
    p.drawLine(toPixel(50, west), toPixel(50, east));
    p.setFont(font(20, true));
    p.setPen(QColor(180, 30, 30));
    p.drawText(toPixel(57.6, -5.6), QStringLiteral("IO"));
    p.drawText(toPixel(57.6, 0.4), QStringLiteral("JO"));
    p.drawText(toPixel(46.6, -5.6), QStringLiteral("IN"));
    p.drawText(toPixel(46.6, 0.4), QStringLiteral("JN"));
    // Our station's subsquare, enlarged.
    const QPointF home = toPixel(kHomeLat, kHomeLon);
    p.setPen(QPen(QColor(20, 60, 160), 2));
    p.setBrush(QColor(20, 60, 160, 60));
    p.drawRect(QRectF(toPixel(53, 4), toPixel(52, 6)));
    p.setBrush(QColor(20, 60, 160));
    p.drawEllipse(home, 3.5, 3.5);
    p.setFont(font(11, true));
    p.setPen(QColor(20, 60, 160));
    p.drawText(home + QPointF(8, 14), locator(kHomeLat, kHomeLon, true));
    return image;
}

QImage compassRose() {
    const QList<sitesim::SstvSiteInfo> sites = simulatedSites();
    QImage image = blank(QColor(16, 32, 56));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(160, 128);
    constexpr double radius = 112;
    constexpr double maxKm = 20000;
    p.setFont(font(8));
    for (int ring = 1; ring <= 4; ++ring) {
        const double r = radius * ring / 4;
        p.setPen(QPen(QColor(90, 140, 200), ring == 4 ? 1.6 : 0.8, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, r, r);
        p.setPen(QColor(150, 190, 230));
        p.drawText(centre + QPointF(3, -r + 10), QStringLiteral("%1 km").arg(ring * 5000));
    }
    for (int degrees = 0; degrees < 360; degrees += 15) {
        const double a = degrees * std::numbers::pi / 180;
        const double inner = degrees % 90 == 0 ? 0 : radius - (degrees % 45 == 0 ? 14 : 6);
        p.setPen(QPen(QColor(120, 170, 220), degrees % 90 == 0 ? 1.2 : 0.8));
        p.drawLine(centre + QPointF(std::sin(a) * inner, -std::cos(a) * inner),
                   centre + QPointF(std::sin(a) * radius, -std::cos(a) * radius));
    }
    p.setFont(font(14, true));
    p.setPen(QColor(255, 220, 120));
    const QList<QPair<QString, double>> points{{QStringLiteral("N"), 0},
                                               {QStringLiteral("E"), 90},
                                               {QStringLiteral("S"), 180},
                                               {QStringLiteral("W"), 270}};
    for (const auto &[letter, degrees] : points) {
        const double a = degrees * std::numbers::pi / 180;
        const QPointF at =
            centre + QPointF(std::sin(a) * (radius + 8), -std::cos(a) * (radius + 8));
        p.drawText(QRectF(at.x() - 10, at.y() - 10, 20, 20), Qt::AlignCenter, letter);
    }
    for (const sitesim::SstvSiteInfo &site : sites) {
        const DistanceAzimuth da =
            DistanceAndAzimuth(kHomeLat, kHomeLon, site.latitude, site.longitude, 0);
        const double r = std::min(da.Distance / maxKm, 1.0) * radius;
        const double a = da.Azimuth * std::numbers::pi / 180;
        const QPointF at = centre + QPointF(std::sin(a) * r, -std::cos(a) * r);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 120, 90));
        p.drawEllipse(at, 2.6, 2.6);
    }
    p.setBrush(QColor(120, 255, 160));
    p.drawEllipse(centre, 3.5, 3.5);
    return image;
}

QImage weatherPass() {
    sitesim::SimConfig config;
    const QList<sitesim::WxSiteInfo> sites = sitesim::makeWxSites(config);
    return filled(sitesim::drawWxPicture(sites[1], 12, kMoment));
}

QImage signalSpectrum() {
    QImage image = blank(Qt::black);
    constexpr double lowHz = 1000, highHz = 2500;
    const auto column = [&](double hz) {
        return int((hz - lowHz) / (highHz - lowHz) * kSlideSize.width());
    };
    // The brightness of the test card's lines decides where the picture tone stands.
    const QImage card = testCard().scaled(64, 220).convertToFormat(QImage::Format_Grayscale8);
    QRandomGenerator random(1200);
    const auto heat = [](double v) {
        v = std::clamp(v, 0.0, 1.0);
        return QColor::fromHsvF(0.66 - 0.5 * v, 0.9, 0.2 + 0.8 * v);
    };
    for (int y = 0; y < 220; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < kSlideSize.width(); ++x)
            line[x] = heat(random.generateDouble() * 0.18).rgb();
        // Every picture line starts with its sync pulse at 1200 Hz.
        if (y % 8 < 2) {
            for (int x = column(1190); x <= column(1210); ++x)
                line[x] = heat(0.95).rgb();
        }
        // Then the line's picture tone sweeps between black (1500 Hz) and white (2300 Hz).
        const uchar *row = card.constScanLine(y);
        for (int i = 0; i < 64; ++i) {
            const double hz = 1500 + row[i] / 255.0 * 800;
            const int x = column(hz);
            for (int dx = -1; dx <= 1; ++dx) {
                if (x + dx >= 0 && x + dx < kSlideSize.width())
                    line[x + dx] = heat(0.55 + 0.1 * (1 - std::abs(dx))).rgb();
            }
        }
    }
    QPainter p(&image);
    p.fillRect(0, 220, 320, 36, QColor(24, 24, 24));
    p.setFont(font(10, true));
    for (const double hz : {1200.0, 1500.0, 1900.0, 2300.0}) {
        const int x = column(hz);
        p.setPen(QColor(200, 200, 200));
        p.drawLine(x, 220, x, 226);
        p.drawText(QRect(x - 22, 227, 44, 14), Qt::AlignCenter, QString::number(int(hz)));
    }
    p.setFont(font(9));
    p.drawText(QRect(0, 241, 320, 14), Qt::AlignCenter, QStringLiteral("Hz"));
    return image;
}

QImage greatCircles() {
    const QList<sitesim::SstvSiteInfo> sites = simulatedSites();
    QImage image = blank(QColor(14, 40, 70));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const auto toPixel = [](double lon, double lat) {
        return QPointF((lon + 180) / 360 * kSlideSize.width(),
                       (90 - lat) / 180 * kSlideSize.height());
    };
    p.setPen(QPen(QColor(60, 100, 140), 0.6));
    for (int lon = -180; lon <= 180; lon += 30)
        p.drawLine(toPixel(lon, -90), toPixel(lon, 90));
    for (int lat = -90; lat <= 90; lat += 30)
        p.drawLine(toPixel(-180, lat), toPixel(180, lat));
    p.setPen(QPen(QColor(110, 150, 190), 1));
    p.drawLine(toPixel(-180, 0), toPixel(180, 0));
    for (const sitesim::SstvSiteInfo &site : sites) {
        const QList<QPointF> path =
            greatCircle(kHomeLat, kHomeLon, site.latitude, site.longitude, 64);
        QPainterPath line;
        for (qsizetype i = 0; i < path.size(); ++i) {
            const QPointF at = toPixel(path[i].x(), path[i].y());
            // A path that crosses the date line goes on at the other edge.
            if (i == 0 || std::abs(path[i].x() - path[i - 1].x()) > 180)
                line.moveTo(at);
            else
                line.lineTo(at);
        }
        p.setPen(QPen(QColor(255, 200, 90, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(line);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 120, 90));
        p.drawEllipse(toPixel(site.longitude, site.latitude), 2.5, 2.5);
    }
    p.setBrush(QColor(120, 255, 160));
    p.drawEllipse(toPixel(kHomeLon, kHomeLat), 3.5, 3.5);
    return image;
}

QImage qslCard() {
    const QList<sitesim::SstvSiteInfo> sites = simulatedSites();
    QImage image = blank(QColor(250, 246, 232));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(0, 0, 320, 54, QColor(30, 60, 120));
    drawCentredText(p, QRectF(0, 2, 320, 32), QStringLiteral("SIM0TAV"), font(28, true),
                    QColor(255, 230, 120));
    drawCentredText(p, QRectF(0, 32, 320, 20), QStringLiteral("Tavimo \u2022 SSTV"), font(12),
                    Qt::white);
    p.drawImage(QRect(12, 66, 120, 96), sitePicture(sites[2], 28));
    p.setPen(QPen(QColor(30, 60, 120), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(12, 66, 120, 96));
    p.setFont(font(11));
    p.setPen(QColor(30, 30, 30));
    const QStringList rows{QStringLiteral("To radio  %1").arg(sites[2].callsign),
                           QStringLiteral("Date  2024-05-01"),
                           QStringLiteral("UTC  14:30"),
                           QStringLiteral("MHz  14.230"),
                           QStringLiteral("Mode  Martin 1"),
                           QStringLiteral("RSV  595")};
    for (qsizetype i = 0; i < rows.size(); ++i)
        p.drawText(QRect(144, 66 + int(i) * 16, 170, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   rows[i]);
    drawCentredText(p, QRectF(0, 176, 320, 30), QStringLiteral("Tnx for the picture!"),
                    font(18, true), QColor(30, 60, 120));
    drawCentredText(p, QRectF(0, 206, 320, 40), QStringLiteral("73"), font(34, true),
                    QColor(180, 30, 30));
    return image;
}

QList<QImage> allSlides() {
    return {testCard(),    receivedPicture(), thumbnailWindow(), gallery(),      locatorChart(),
            compassRose(), weatherPass(),     signalSpectrum(),  greatCircles(), qslCard()};
}

} // namespace tavimo::slidegen
