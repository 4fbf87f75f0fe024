#include "platform/PictureTransfer.h"

#include "core/app/DialogGuard.h"
#include "core/base/Prompts.h"
#include "core/base/RegularFile.h"
#include "core/base/TextFile.h"
#include "core/thumbs/PictureDecoding.h"
#include "platform/DesktopBridge.h"
#include "platform/Logging.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>

#include <memory>
#include <optional>

namespace tavimo {

namespace {

constexpr int kPasteWaitMs = 500;

QString groupedWholeNumber(qint64 value, const QString &separator) {
    QString digits = QString::number(value < 0 ? -value : value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, separator);
    return value < 0 ? QStringLiteral("-") + digits : digits;
}

// Whether there is a picture to work on. Nothing for a picture file, NoPicture
// when there is none (the procedures then do nothing), Failed after one
// message naming what stands in its place (a named pipe, a folder), which is
// never read.
std::optional<TransferOutcome> noPictureFile(const QString &path, Prompts &prompts) {
    if (const std::optional<NotAFile> other = notAFile(path)) {
        qCWarning(lcPlatform) << "no picture file:" << path << other->what;
        prompts.message(QCoreApplication::translate("tavimo", "Could not read %1:\n%2")
                            .arg(QDir::toNativeSeparators(path), other->sentence()),
                        QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
        return TransferOutcome::Failed;
    }
    if (!QFileInfo(path).isFile())
        return TransferOutcome::NoPicture;
    return std::nullopt;
}

// The file's bytes, or nothing after one message naming it.
std::optional<QByteArray> readPictureFile(const QString &path, Prompts &prompts) {
    QString why;
    std::optional<QByteArray> bytes = readRegularFile(path, &why);
    if (bytes)
        return bytes;
    qCWarning(lcPlatform) << "cannot read" << path << why;
    prompts.message(QCoreApplication::translate("tavimo", "Could not read %1:\n%2")
                        .arg(QDir::toNativeSeparators(path), why),
                    QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
    return std::nullopt;
}

// Puts `bytes` in place of `target` through a temporary file; on failure one
// message names the file and the target is left as it was.
bool writePicture(const QByteArray &bytes, const QString &target, Prompts &prompts) {
    const WriteResult written = writeFileAtomically(target, bytes);
    if (!written) {
        prompts.message(written.error, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
        return false;
    }
    return true;
}

// Copies `source` over `target` as writePicture does; on failure one message
// names the file that failed.
bool copyPicture(const QString &source, const QString &target, Prompts &prompts) {
    const std::optional<QByteArray> bytes = readPictureFile(source, prompts);
    return bytes && writePicture(*bytes, target, prompts);
}

// The one kind of file a picture is saved as: its extension, which a name
// typed without one gets, and the filter that offers it.
QString saveExtension(const PictureRef &picture, bool animated) {
    if (picture.kind == PictureKind::MapCapture)
        return QStringLiteral("bmp");
    return animated ? QStringLiteral("gif") : QStringLiteral("jpg");
}

QString saveFilter(const QString &extension) {
    return nameFilter(extension + QStringLiteral(" files"), QStringLiteral("*.") + extension);
}

QString cannotShowMessage(const LanguageTexts &texts, const QString &path) {
    const QString text = texts.LngCannotShow.isEmpty()
                             ? QStringLiteral("This picture cannot be shown.")
                             : texts.LngCannotShow;
    return text + u'\n' + QDir::toNativeSeparators(path);
}

} // namespace

QString PicturePath(const PictureRef &picture, const AppPaths &paths) {
    const QString index = QString::number(picture.index);
    switch (picture.kind) {
    case PictureKind::Slot:
        return paths.data(
            (picture.wxPage ? QStringLiteral("images/wx/") : QStringLiteral("images/sstv/")) +
            index);
    case PictureKind::GalleryCell:
        return paths.data(QStringLiteral("images/last15/") + index);
    case PictureKind::MapCapture:
        return paths.data(QStringLiteral("images/Map.bmp"));
    }
    return {};
}

QString pastePicturePath(const AppPaths &paths) {
    return paths.data(QStringLiteral("images/paste.gif"));
}

bool isAnimatedPicture(const QString &path) {
    QFile file;
    if (!openRegularFile(file, path))
        return false;
    QImageReader reader(&file);
    return reader.canRead() && reader.supportsAnimation() && reader.imageCount() > 1;
}

QString pasteTooBigQuestion(const LanguageTexts &texts, qint64 bytes, const QLocale &locale) {
    return QString(texts.LngPasteTooBig)
        .replace(QStringLiteral("???"), groupedWholeNumber(bytes, locale.groupSeparator()));
}

void writeToClipboard(QMimeData *data) {
    QGuiApplication::clipboard()->setMimeData(data);
}

TransferResult SavePictureAs(const PictureRef &picture, QString &SaveFolder,
                             const PictureTransferContext &context) {
    const RefreshPause pause(context.StopRefreshTimers, [&context] {
        if (context.autoRefresh && context.StartRefreshTimers)
            context.StartRefreshTimers();
    });
    TransferResult result;
    result.PicturePath = PicturePath(picture, context.paths);
    if (const std::optional<TransferOutcome> none =
            noPictureFile(result.PicturePath, context.prompts)) {
        result.outcome = *none;
        return result;
    }

    FileDialogRequest request;
    request.Flags = OFN_READONLY | OFN_OVERWRITEPROMPT;
    request.InitialDir = saveDialogFolder(SaveFolder, context.paths.picturesFolder);
    const QString extension = saveExtension(picture, isAnimatedPicture(result.PicturePath));
    request.NameFilters = {saveFilter(extension)};
    request.DefaultExt = extension;
    request.FileName = QStringLiteral("image1");
    request.OwnerWindow = context.owner;
    request.OpenDialog = false;
    const QString chosen = context.showFileDialog ? context.showFileDialog(request) : QString();
    if (chosen.isEmpty()) {
        result.outcome = TransferOutcome::Cancelled;
        return result;
    }

    const QString base = request.InitialDir.isEmpty() ? QDir::currentPath() : request.InitialDir;
    result.target = QDir::cleanPath(QDir(base).absoluteFilePath(chosen));
    SaveFolder = result.target.left(result.target.lastIndexOf(u'/') + 1);
    result.outcome = copyPicture(result.PicturePath, result.target, context.prompts)
                         ? TransferOutcome::Done
                         : TransferOutcome::Failed;
    return result;
}

TransferResult PasteIntoMMSSTV(const PictureRef &picture, const PictureTransferContext &context) {
    const RefreshPause pause(context.StopRefreshTimers, [&context] {
        if (context.autoRefresh && context.StartRefreshTimers)
            context.StartRefreshTimers();
    });
    TransferResult result;
    result.PicturePath = PicturePath(picture, context.paths);
    if (const std::optional<TransferOutcome> none =
            noPictureFile(result.PicturePath, context.prompts)) {
        result.outcome = *none;
        return result;
    }
    // Read once: the size asked about, the copy pasted and the picture on the
    // clipboard are the same bytes, whatever the slot's next picture does.
    const std::optional<QByteArray> bytes = readPictureFile(result.PicturePath, context.prompts);
    if (!bytes) {
        result.outcome = TransferOutcome::Failed;
        return result;
    }

    auto mime = std::make_unique<QMimeData>();
    if (const std::optional<PictureHeader> header = readPictureHeader(*bytes);
        header && header->frames >= 2) {
        const qint64 size = bytes->size();
        if (size > kPasteQuestionBytes && context.prompts.yesNo(pasteTooBigQuestion(
                                              context.texts, size)) == Prompts::Answer::No) {
            result.outcome = TransferOutcome::Cancelled;
            return result;
        }
        const QString pasteFile = pastePicturePath(context.paths);
        if (!writePicture(*bytes, pasteFile, context.prompts)) {
            result.outcome = TransferOutcome::Failed;
            return result;
        }
        const QImage image = QImage::fromData(*bytes);
        if (image.isNull()) {
            context.prompts.message(cannotShowMessage(context.texts, pasteFile));
            result.outcome = TransferOutcome::Failed;
            return result;
        }
        // The receiving program takes the animation from the file; the
        // picture is there for programs that read only pictures.
        mime->setImageData(image);
        mime->setText(pasteFile);
        mime->setUrls({QUrl::fromLocalFile(pasteFile)});
    } else {
        const QImage image = QImage::fromData(*bytes);
        if (image.isNull()) {
            context.prompts.message(cannotShowMessage(context.texts, result.PicturePath));
            result.outcome = TransferOutcome::Failed;
            return result;
        }
        mime->setImageData(image);
    }
    if (context.clipboard)
        context.clipboard(mime.release());
    result.outcome = TransferOutcome::Done;

    if (!context.bridge)
        return result;
    DesktopBridge &bridge = *context.bridge;
    if (ActivateWindowByTitle(bridge, QStringLiteral("MMSSTV"))) {
        result.windowFound = true;
        bridge.wait(kPasteWaitMs);
        bridge.sendKeys(QStringLiteral("%{E}"));
        bridge.wait(kPasteWaitMs);
        bridge.sendKeys(QStringLiteral("{P}"));
    }
    bridge.wait(kPasteWaitMs);
    return result;
}

bool ActivateWindowByTitle(DesktopBridge &bridge, const QString &Title) {
    return bridge.activateWindowByTitle(Title);
}

} // namespace tavimo
