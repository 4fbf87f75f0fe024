#include "mainwindow/HelpWindow.h"

#include "core/base/TextFile.h"
#include "core/files/AppPaths.h"

#include <QFileInfo>

namespace tavimo {

namespace {

const QString kHelpFile = QStringLiteral("help/tavimo-help.txt");

} // namespace

QString helpFilePath(const AppPaths &paths) {
    for (const QString &folder : {paths.bundledDataFolder, paths.dataFolder}) {
        if (folder.isEmpty())
            continue;
        const QString path = folder + u'/' + kHelpFile;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString readHelpText(const AppPaths &paths) {
    const QString path = helpFilePath(paths);
    const QString named = path.isEmpty() ? paths.bundledDataFolder + u'/' + kHelpFile : path;
    if (!path.isEmpty()) {
        if (const std::optional<QStringList> lines = readTextLines(path))
            return lines->join(u'\n');
    }
    return QStringLiteral("The help file %1 could not be read.").arg(named);
}

HelpWindow::HelpWindow(const QString &text, QWidget *parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tavimo Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setPlainText(text);
    resize(640, 560);
}

} // namespace tavimo
