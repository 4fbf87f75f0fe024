#include "stations/StationPicture.h"

#include "core/base/Numbers.h"
#include "core/base/Prompts.h"
#include "platform/DesktopBridge.h"
#include "stations/Logging.h"

#include <QBuffer>
#include <QDir>
#include <QMimeData>

#include <algorithm>

namespace tavimo {

namespace {

constexpr int kBoxWidth = 40;
constexpr int kBoxHeight = 30;
constexpr double kBoxCentreX = 147;
constexpr double kBoxCentreY = 18;
constexpr int kWindowMargin = 20; // the picture window's size beyond its picture
constexpr int kEasyPalWaitMs = 500;

int whole(double value) {
    return static_cast<int>(roundHalfEven(value));
}

} // namespace

QRect fitStationPicture(QSize picture) {
    if (picture.isEmpty())
        return {};
    const double w = picture.width();
    const double h = picture.height();
    const double scale = h / w < 0.75 ? w / kBoxWidth : h / kBoxHeight;
    const double width = w / scale;
    const double height = h / scale;
    return QRect(whole(kBoxCentreX - width / 2), whole(kBoxCentreY - height / 2), whole(width),
                 whole(height));
}

QSize stationPictureShownSize(QSize picture, QSize available) {
    if (picture.isEmpty())
        return {};
    const QSize room(std::max(1, available.width() - kWindowMargin),
                     std::max(1, available.height() - kWindowMargin));
    if (available.isEmpty() ||
        (picture.width() <= room.width() && picture.height() <= room.height()))
        return picture;
    return picture.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QString stationPictureFile(const AppPaths &paths) {
    return paths.data(QStringLiteral("Ham.bmp"));
}

WriteResult writeBitmapFile(const QString &path, const QImage &picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&buffer, "BMP"))
        return {false, QStringLiteral("Could not write %1: the picture cannot be stored as a "
                                      "bitmap.")
                           .arg(QDir::toNativeSeparators(path))};
    return writeFileAtomically(path, bytes);
}

QString saveStationPicture(const QImage &picture, const QString &stationCall, QString &SaveFolder,
                           const AppPaths &paths, Prompts &prompts,
                           const StationPictureServices &services, QWidget *owner) {
    if (picture.isNull())
        return {};
    const auto fail = [&prompts](const WriteResult &result) {
        qCWarning(lcStations) << "station picture not saved:" << result.error;
        prompts.message(result.error, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
        return QString();
    };
    if (const WriteResult written = writeBitmapFile(stationPictureFile(paths), picture); !written)
        return fail(written);

    FileDialogRequest request;
    request.Flags = OFN_READONLY | OFN_OVERWRITEPROMPT;
    request.InitialDir = saveDialogFolder(SaveFolder, paths.picturesFolder);
    request.NameFilters = {nameFilter(QStringLiteral("bmp files"), QStringLiteral("*.bmp"))};
    // As every save: a name typed without an extension gets the filter's.
    request.DefaultExt = QStringLiteral("bmp");
    request.FileName = stationCall;
    request.OwnerWindow = owner;
    request.OpenDialog = false;
    const QString chosen = services.showFileDialog ? services.showFileDialog(request) : QString();
    if (chosen.isEmpty())
        return {};

    const QString base = request.InitialDir.isEmpty() ? QDir::currentPath() : request.InitialDir;
    const QString target = QDir::cleanPath(QDir(base).absoluteFilePath(chosen));
    SaveFolder = target.left(target.lastIndexOf(u'/') + 1);
    if (const WriteResult copied = writeBitmapFile(target, picture); !copied)
        return fail(copied);
    return target;
}

bool PasteIntoEasyPal(const QImage &picture, const AppPaths &paths, Prompts &prompts,
                      const StationPictureServices &services) {
    if (picture.isNull())
        return false;
    // The file is the picture's other copy; the clipboard takes it from memory
    // either way, so a failed write does not stop the paste.
    if (const WriteResult written = writeBitmapFile(stationPictureFile(paths), picture); !written)
        prompts.message(written.error, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
    if (services.clipboard) {
        auto *mime = new QMimeData;
        mime->setImageData(picture);
        services.clipboard(mime);
    }
    if (!services.desktop)
        return false;
    DesktopBridge &desktop = *services.desktop;
    const bool found = ActivateWindowByTitle(desktop, QStringLiteral("EasyPal"));
    if (found) {
        desktop.wait(kEasyPalWaitMs);
        desktop.sendKeys(QStringLiteral("{F7}"));
    }
    desktop.wait(kEasyPalWaitMs);
    return found;
}

} // namespace tavimo
