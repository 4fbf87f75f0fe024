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
    // Filters as MakeFilter builds them: description, NUL, pattern, NUL, ...
    QString Filter;
    int FilterIndex = 1; // one-based
    QString DefaultExt;  // added when the chosen name has no extension; "" = none
    QString FileName;    // the name offered
    QString Title;
    QWidget *OwnerWindow = nullptr;
    bool OpenDialog = true; // false: a save dialog
};

// ShowFileDialog: the chosen path, or "" when the user cancels.
using ShowFileDialogFunction = std::function<QString(const FileDialogRequest &)>;

// Filter, then Description, NUL, Pattern, NUL.
QString MakeFilter(const QString &Filter, const QString &Description,
                   const QString &Pattern = QStringLiteral("*.*"));

// The text before its first NUL; the whole text when it has none.
QString CutAtNull(const QString &text);

// The filters of a MakeFilter text as Qt's file dialog names them,
// "description (patterns)", patterns separated by blanks. A description that
// already ends in its patterns in brackets is taken as it stands.
QStringList qtNameFilters(const QString &filter);

} // namespace tavimo
