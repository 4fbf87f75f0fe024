#include "sites/DialogLook.h"

#include "core/app/MainWindowAccess.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace tavimo {

void paintDialogButton(QPushButton *button) {
    if (!button)
        return;
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, QColor(152, 185, 255));
    button->setPalette(palette);
    button->setAutoFillBackground(true);
}

void placeBesideMain(QWidget &window, MainWindowAccess *main, int rightOffset,
                     bool centreWhenMinimised) {
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    QWidget *mainWindow = main ? main->window() : nullptr;
    if (mainWindow && !(centreWhenMinimised && mainWindow->isMinimized())) {
        const QRect frame = mainWindow->frameGeometry();
        window.move(frame.x() + frame.width() - size.width() - rightOffset, frame.y());
        return;
    }
    QScreen *screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

QString byLanguage(const LanguageTable &texts, int languageIndex, const QString &design) {
    if (languageIndex < 0 || languageIndex >= int(texts.size()))
        return design;
    return QString::fromUtf16(texts[std::size_t(languageIndex)]);
}

} // namespace tavimo
