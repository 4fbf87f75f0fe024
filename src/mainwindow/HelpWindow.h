#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace tavimo {

struct AppPaths;

// The bundled help text: the copy beside the program, else the user's copy in
// the data folder. Empty when neither exists.
QString helpFilePath(const AppPaths &paths);

// The help text to show: the file's text, or a line that names the file that
// could not be read.
QString readHelpText(const AppPaths &paths);

// The help text in a window of its own, read-only, modeless, in a font of
// one width so that its tables line up. It stands beside the main window as
// the dialogs do. Esc and Ctrl+W close it; it deletes itself when closed.
class HelpWindow : public QPlainTextEdit {
    Q_OBJECT

public:
    // mainWindow: the window to stand beside; null centres it on the screen.
    explicit HelpWindow(const QString &text, QWidget *mainWindow = nullptr);
};

} // namespace tavimo
