#include "stations/LastHeardWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/net/DownloadControl.h"
#include "core/thumbs/LastHeard.h"
#include "stations/Logging.h"
#include "ui/FixedColours.h"
#include "ui/OpenOnce.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace tavimo {

namespace {

const QString kWindowName = QStringLiteral("LastHeardWindow");
const QString kListKey = QStringLiteral("1");

QRect screenAreaFor(const QRect &slotFrame) {
    const QScreen *screen =
        slotFrame.isEmpty() ? nullptr : QGuiApplication::screenAt(slotFrame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

LastHeardRequest lastHeardRequest(const AppState &state, int slot) {
    LastHeardRequest request;
    request.slot = slot;
    request.address = lastHeardAddress(state.SiteList, state.config.ThumbSetting,
                                       state.page.CurrentPage, slot, state.page.isWxPage());
    if (state.mainWindow) {
        request.slotFrame = state.mainWindow->slotFrameOnScreen(slot);
        request.font = state.mainWindow->labelFont();
    }
    return request;
}

LastHeardWindow::LastHeardWindow(AppState &state, const LastHeardRequest &request)
    : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint), state_(state), slot_(request.slot) {
    setObjectName(kWindowName);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    QPalette colours = palette();
    setFixedBackground(colours, QPalette::Window, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);

    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFont(request.font);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);

    // Sized once for a dozen lines; a longer list is cut at the edge.
    Label1->setText(lastHeardSizingText(state_.texts.LngLastHeard));
    Label1->adjustSize();
    Label1->move(2, 2);
    setFixedSize(Label1->size() + QSize(4, 4));
    move(placeOverSlot(request.slotFrame, size(), screenAreaFor(request.slotFrame)));

    ucList = new DownloadControl(*state_.downloads, DownloadControl::Flavour::Text, this);
    ucList->setBodyCap(kLastHeardCapBytes, DownloadControl::OverCap::KeepHead);
    connect(ucList, &DownloadControl::ready, this, &LastHeardWindow::ucList_updatesReady);
    connect(ucList, &DownloadControl::failed, this, &LastHeardWindow::ucList_noUpdates);

    if (request.address.isEmpty()) {
        qCInfo(lcStations) << "no last-heard list for slot" << request.slot;
        Label1->setText(kListNotFound);
        return;
    }
    Label1->setText(QStringLiteral("   ") + state_.texts.LngLoading);
    ucList->DownloadFile(request.address, kListKey);
}

void LastHeardWindow::ucList_updatesReady(const QString &key, const QByteArray &bytes) {
    Q_UNUSED(key);
    // The note goes first: the window shows a dozen lines, the rest is cut at its edge.
    const QString note =
        ucList->answerCut() ? QStringLiteral("   ") + state_.texts.LngTextCut + u'\n' : QString();
    Label1->setText(note + lastHeardText(bytes, state_.texts.LngLastHeard));
}

void LastHeardWindow::ucList_noUpdates(const QString &key) {
    Q_UNUSED(key);
    Label1->setText(kListNotFound);
}

void LastHeardWindow::Label1_Click() {
    close();
}

bool LastHeardWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        Label1_Click();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

LastHeardWindow *openLastHeardWindow(AppState &state, WindowRegistry &registry, int slot) {
    if (auto *open = qobject_cast<LastHeardWindow *>(registry.find(kWindowName));
        open && (open->slot() != slot || !open->isVisible()))
        delete open;
    const LastHeardRequest request = lastHeardRequest(state, slot);
    return openOnce<LastHeardWindow>(registry, kWindowName,
                                     [&] { return new LastHeardWindow(state, request); });
}

void closeLastHeardWindow(WindowRegistry &registry) {
    if (QWidget *open = registry.find(kWindowName))
        open->close();
}

} // namespace tavimo
