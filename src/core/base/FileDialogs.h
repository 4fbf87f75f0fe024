#pragma once

// The one way the program asks the user for a file name. Windows that need a
// file dialog take a ShowFileDialogFunction, so tests answer it without a
// dialog ever opening; the program hands them the Qt dialog of
// ui/QtFileDialog.h.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tavimo {

// Flags of a file request.
inline constexpr int OFN_READONLY = 1;        // kept for the callers; means nothing here
inline constexpr int OFN_OVERWRITEPROMPT = 2; // a save dialog asks before replacing a file

struct FileDialogRequest {
    int Flags = 0;
    QString InitialDir; // "" = the current folder
    // Name filters as Qt's dialog takes them: "jpg files (*.jpg)".
    QStringList NameFilters;
    int FilterIndex = 0; // the filter chosen first
    QString DefaultExt;  // added when the chosen name has no extension; "" = none
    QString FileName;    // the name offered
    QString Title;
    QWidget *OwnerWindow = nullptr;
    bool OpenDialog = true; // false: a save dialog
};

// ShowFileDialog: the chosen path, or "" when the user cancels.
using ShowFileDialogFunction = std::function<QString(const FileDialogRequest &)>;

// The folder a save dialog opens in: `SaveFolder`, which starts as the user's
// pictures folder until the user saves elsewhere. That folder is made here,
// when a dialog first needs it, never at a start; one that cannot be made
// gives the home folder. Any other folder is offered as it stands.
QString saveDialogFolder(const QString &SaveFolder, const QString &picturesFolder);

// "description (pattern)", the way a dialog lists a filter: nameFilter("jpg
// files", "*.jpg") is "jpg files (*.jpg)".
QString nameFilter(const QString &description, const QString &pattern);

} // namespace tavimo
