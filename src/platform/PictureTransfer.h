#pragma once

// Saving a thumbnail's, a gallery cell's or the map view's picture to a file
// the user chooses, and pasting a picture into MMSSTV's transmit window.
//
// The caller names the picture; nothing here looks at which windows are open:
//
//     // main window, slot pop-up "Save"
//     const PictureTransferContext context{state.paths, state.texts, *state.prompts,
//         config.AutoRefreshMode == 1,
//         [&] { refresh.StopRefreshTimers(); }, [&] { refresh.StartRefreshTimers(); },
//         qtFileDialog, bridge.get(), writeToClipboard, this};
//     SavePictureAs(PictureRef::slot(page.SelectedSlot, page.isWxPage()), state.SaveFolder,
//                   context);
//     // gallery: PictureRef::galleryCell(cell); web map window: PictureRef::mapCapture()
//
// Both procedures stop the refresh timers while they work and, when
// refreshing is automatic, start them again on every way out: done,
// cancelled, declined, failed or with no picture to work on.

#include "core/base/FileDialogs.h"
#include "core/files/AppPaths.h"
#include "core/text/Language.h"

#include <QLocale>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

namespace tavimo {

class DesktopBridge;
class Prompts;

enum class PictureKind {
    Slot,        // a thumbnail of the page on show
    GalleryCell, // a cell of the gallery
    MapCapture,  // the capture of the street and satellite view
};

struct PictureRef {
    PictureKind kind = PictureKind::Slot;
    int index = 0;
    bool wxPage = false; // slots only: the slot is on the WX page

    static PictureRef slot(int index, bool wxPage) { return {PictureKind::Slot, index, wxPage}; }
    static PictureRef galleryCell(int index) { return {PictureKind::GalleryCell, index, false}; }
    static PictureRef mapCapture() { return {PictureKind::MapCapture, 0, false}; }
};

// The picture's file: images/sstv/<slot> or images/wx/<slot>,
// images/last15/<cell>, or images/Map.bmp, under DataFolder.
QString PicturePath(const PictureRef &picture, const AppPaths &paths);

// The copy of an animated picture that is pasted: images/paste.gif.
QString pastePicturePath(const AppPaths &paths);

// True when the file holds more than one frame (an animated GIF).
bool isAnimatedPicture(const QString &path);

inline constexpr qint64 kPasteQuestionBytes = 25000; // larger animations ask first

// The size question: LngPasteTooBig with every "???" replaced by the size,
// its thousands grouped as the locale groups them ("25,001", "25.001").
QString pasteTooBigQuestion(const LanguageTexts &texts, qint64 bytes,
                            const QLocale &locale = QLocale());

// Hands the data to the clipboard, which takes ownership.
using ClipboardWriter = std::function<void(QMimeData *)>;
// The system clipboard.
void writeToClipboard(QMimeData *data);

// What the two procedures use of the program. References must outlive the call.
struct PictureTransferContext {
    const AppPaths &paths;
    const LanguageTexts &texts;
    Prompts &prompts;
    bool autoRefresh = false; // AutoRefreshMode = 1
    std::function<void()> StopRefreshTimers;
    std::function<void()> StartRefreshTimers;
    ShowFileDialogFunction showFileDialog; // save
    DesktopBridge *bridge = nullptr;       // paste; null: no desktop to reach
    ClipboardWriter clipboard;             // paste
    QWidget *owner = nullptr;              // the file dialog's owner
};

enum class TransferOutcome {
    Done,
    NoPicture, // the picture file is missing: nothing happens
    Cancelled, // the user cancelled the file dialog or declined the size question
    Failed,    // one message named the file; nothing was lost
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::NoPicture;
    QString PicturePath;      // the picture's file
    QString target;           // save: the file chosen
    bool windowFound = false; // paste: MMSSTV was found and received the keystrokes
};

// Copies the picture to a file the user chooses (one filter: gif files for an
// animation, bmp files for the map capture, else jpg files; the name offered
// is "image1" in SaveFolder; a name given without an extension gets the
// filter's, so the file opens as the picture it is). The chosen folder
// becomes SaveFolder, with its trailing "/". The copy replaces the target
// atomically; when it fails one message names the file and the old target is
// left as it was.
TransferResult SavePictureAs(const PictureRef &picture, QString &SaveFolder,
                             const PictureTransferContext &context);

// Puts the picture on the clipboard (an animation: copied to paste.gif first,
// after asking when it is larger than kPasteQuestionBytes; then its first
// frame, its path as text and as a file address) and, when a window titled
// "MMSSTV" is found, sends it Alt+E, then P, with 0.5 s waits.
TransferResult PasteIntoMMSSTV(const PictureRef &picture, const PictureTransferContext &context);

// Brings the window titled exactly `Title` to the front, restored; false
// when there is none.
bool ActivateWindowByTitle(DesktopBridge &bridge, const QString &Title);

} // namespace tavimo
