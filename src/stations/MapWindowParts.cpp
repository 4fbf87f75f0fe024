#include "stations/MapWindowParts.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/base/Prompts.h"
#include "core/files/AppPaths.h"
#include "core/geo/MapHandOver.h"
#include "stations/Logging.h"
#include "stations/MapView.h"
#include "ui/FixedColours.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QWidget>

namespace tavimo {

std::optional<MapPicture> loadMapPicture(const AppPaths &paths, const QStringList &lstMap,
                                         int mapIndex, QString *message) {
    const QString item = lstMap.value(mapIndex);
    const QString path = paths.data(QStringLiteral("Maps/") + item);
    QImageReader reader(path);
    QImage image;
    if (!item.isEmpty() && QFileInfo(path).isFile())
        image = reader.read();
    if (image.isNull()) {
        *message = QStringLiteral("The map picture %1 is missing or cannot be read.").arg(path);
        return std::nullopt;
    }
    return MapPicture{item, mapNameOf(item), QPixmap::fromImage(std::move(image))};
}

std::optional<MapPicture> loadMapPictureOrSay(AppState &state, int mapIndex) {
    QString message;
    std::optional<MapPicture> picture =
        loadMapPicture(state.paths, state.lstMap, mapIndex, &message);
    if (!picture) {
        qCWarning(lcStations).noquote() << message;
        if (state.prompts)
            state.prompts->message(message);
    }
    return picture;
}

std::optional<MapPicture> takeMapMenuChoice(AppState &state, int Index) {
    if (Index == 0) {
        if (state.mainWindow)
            state.mainWindow->activateMain();
        return std::nullopt;
    }
    std::optional<MapPicture> picture = loadMapPictureOrSay(state, Index - 1);
    if (picture)
        state.config.MapIndex = std::int16_t(Index - 1);
    return picture;
}

QRect screenAreaOf(const QWidget &window, const QWidget *fallback) {
    const QScreen *screen = nullptr;
    if (window.isVisible())
        screen = window.screen();
    else if (fallback)
        screen = fallback->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

QSize frameSizeOf(const QWidget &window, const QWidget *fallback) {
    const QWidget *measured = window.isVisible() ? &window : fallback;
    if (!measured || !measured->isVisible())
        return {};
    return measured->frameGeometry().size() - measured->geometry().size();
}

void placeMapWindow(QWidget &window, QSize picture, const QRect &area, QSize frame) {
    const QSize client = clientSizeFor(picture, area.size(), frame);
    window.resize(client);
    const QSize outer = client + frame;
    window.move(area.left() + (area.width() - outer.width()) / 2,
                area.top() + (area.height() - outer.height()) / 2);
}

QLabel *makeMapLabel(QWidget *parent, qreal pointSize, MapLabelColours colours) {
    auto *label = new QLabel(parent);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    if (colours == MapLabelColours::ToolTip)
        setToolTipColours(palette);
    else
        setFixedBackground(palette, QPalette::Window, Qt::white);
    label->setPalette(palette);
    label->hide();
    return label;
}

QFrame *makeLabelFrame(QWidget *parent) {
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(palette);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->hide();
    return frame;
}

void frameLabel(QFrame *frame, QLabel *label, int margin, int grow) {
    frame->setGeometry(label->x() - margin, label->y() - margin, label->width() + grow,
                       label->height() + grow);
    frame->show();
    label->show();
    frame->raise();
    label->raise();
}

void fillMapMenu(QMenu &menu, const QString &firstCaption, const QStringList &lstMap,
                 int mapIndex) {
    menu.clear();
    menu.addAction(firstCaption)->setData(0);
    for (int i = 0; i < lstMap.size(); ++i) {
        QAction *item = menu.addAction(lstMap.at(i));
        item->setData(i + 1);
        item->setCheckable(true);
        item->setChecked(i == mapIndex);
    }
}

} // namespace tavimo
