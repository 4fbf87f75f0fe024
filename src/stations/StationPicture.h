#pragma once

// The station picture of a callbook look-up: how the record panel fits it,
// how large its own window shows it, and saving and pasting it. Saving and
// pasting go through the station picture's file Ham.bmp in DataFolder, which
// each of them writes anew.

#include "core/base/FileDialogs.h"
#include "core/base/TextFile.h"
#include "platform/PictureTransfer.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace tavimo {

class DesktopBridge;
class Prompts;

// The picture fitted into the record panel's 40 x 30 box at (127, 3): a
// picture wider than 4:3 fills the width, any other the height, centred on
// the box's centre (147, 18). 200 x 100 gives 40 x 20 at (127, 8); 100 x 100
// gives 30 x 30 at (132, 3). Empty for an empty picture.
QRect fitStationPicture(QSize picture);

// The picture's size in the picture window: its own, or scaled down (keeping
// its shape) so that the window, with its 20-pixel margin, fits `available`.
QSize stationPictureShownSize(QSize picture, QSize available);

// The station picture's file: DataFolder/Ham.bmp.
QString stationPictureFile(const AppPaths &paths);

// Writes the picture as a bitmap, atomically.
WriteResult writeBitmapFile(const QString &path, const QImage &picture);

// What saving and pasting use of the desktop.
struct StationPictureServices {
    ShowFileDialogFunction showFileDialog;
    DesktopBridge *desktop = nullptr; // null: no desktop to reach
    ClipboardWriter clipboard;
};

// Writes Ham.bmp, asks for a file (bitmap filter, the callsign as the name
// offered, SaveFolder to start in) and copies Ham.bmp there; the chosen folder
// becomes SaveFolder. The chosen path, or empty when the user cancelled or a
// write failed (one message names the file).
QString saveStationPicture(const QImage &picture, const QString &stationCall, QString &SaveFolder,
                           const AppPaths &paths, Prompts &prompts,
                           const StationPictureServices &services, QWidget *owner);

// Writes Ham.bmp, puts the picture on the clipboard and, when a window titled
// "EasyPal" is found, brings it to the front and sends it F7 after half a
// second; then waits half a second in every case. True when EasyPal was found.
bool PasteIntoEasyPal(const QImage &picture, const AppPaths &paths, Prompts &prompts,
                      const StationPictureServices &services);

} // namespace tavimo
