#include "mainwindow/HelpWindow.h"

#include "core/base/TextFile.h"
#include "core/files/AppPaths.h"
#include "ui/FramePlacement.h"
#include "ui/WindowRegistry.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeySequence>
#include <QShortcut>

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

HelpWindow::HelpWindow(const QString &text, QWidget *mainWindow) : QPlainTextEdit(nullptr) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tavimo Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setReadOnly(true);
    // The text lays its tables out in columns of blanks: a font of one width
    // keeps them aligned, and lines are not wrapped through them.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetrics letters(fixed);
    if (letters.horizontalAdvance(QLatin1Char('i')) !=
        letters.horizontalAdvance(QLatin1Char('M'))) {
        // A desktop that names no fixed font: ask the font configuration.
        fixed.setFamilies({QStringLiteral("monospace")});
        fixed.setStyleHint(QFont::TypeWriter);
        fixed.setFixedPitch(true);
    }
    setFont(fixed);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setPlainText(text);
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(QLatin1Char('M')) * 80 + 40, metrics.lineSpacing() * 40);
    placeBesideWindow(*this, mainWindow);

    closeOnEscape(*this);
    auto *closeKeys = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    connect(closeKeys, &QShortcut::activated, this, &QWidget::close);
}

} // namespace tavimo
