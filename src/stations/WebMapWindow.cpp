#include "stations/WebMapWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/base/Prompts.h"
#include "core/base/TextFile.h"
#include "core/text/ProgramTexts.h"
#include "platform/DesktopBridge.h"
#include "stations/Logging.h"
#include "ui/FixedColours.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"
#include "ui/QtFileDialog.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

namespace tavimo {

namespace {

const QString kWindowName = QStringLiteral("WebMapWindow");
constexpr int kKeyWaitMs = 500;

QString buttonStyle(const QColor &light, const QColor &dark) {
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; }"
                          " QPushButton:hover { background-color: %2; }"
                          " QPushButton:disabled { background-color: #d0d0d0;"
                          " border-color: #a0a0a0; }")
               .arg(light.name(), dark.name()) +
           fixedButtonTextStyle();
}

QScreen *screenOf(const AppState &state) {
    if (state.mainWindow && state.mainWindow->window() && state.mainWindow->window()->screen())
        return state.mainWindow->window()->screen();
    return QGuiApplication::primaryScreen();
}

void centreOn(QWidget &window, const QScreen *screen) {
    if (!screen)
        return;
    const QRect area = screen->geometry();
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

QString noPositionText(const AppState &state, const QString &callsign) {
    const QString tpl = state.texts.LngNoPosTpl.isEmpty()
                            ? QStringLiteral("No position known for ??")
                            : state.texts.LngNoPosTpl;
    return QString(tpl).replace(QStringLiteral("??"), shownCallsign(callsign, state.ZeroChar));
}

} // namespace

WebMapWindow::WebMapWindow(AppState &state, const StreetViewJob &job, WebMapServices services)
    : state_(state), job_(job), services_(std::move(services)) {
    setObjectName(kWindowName);
    const QString caption =
        programText(job_.view == WebMapView::Street ? ProgramText::StreetViewCaption
                                                    : ProgramText::SatelliteViewCaption,
                    state_.config.LanguageIndex);
    setWindowTitle(QStringLiteral("Tavimo   ") +
                   QString(caption).replace(QStringLiteral("xxx"),
                                            shownCallsign(job_.callsign, state_.ZeroChar)));
    if (state_.mainWindow) {
        state_.mainWindow->setMainEnabled(false);
        keepAboveMain(*this, state_.mainWindow->window());
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pic1 = new QWidget(this);
    pic1->setObjectName(QStringLiteral("pic1"));
    pic1->setFixedSize(281, 27);
    pic1->setStyleSheet(buttonStyle(state_.ColorLight, state_.ColorDark));
    cmdPaste = new QPushButton(QStringLiteral("Copy to clipboard"), pic1);
    cmdPaste->setGeometry(0, 0, 160, 25);
    cmdSave = new QPushButton(QStringLiteral("Save image"), pic1);
    cmdSave->setGeometry(160, 0, 120, 25);
    connect(cmdPaste, &QPushButton::clicked, this, &WebMapWindow::cmdPaste_Click);
    connect(cmdSave, &QPushButton::clicked, this, &WebMapWindow::cmdSave_Click);

    std::unique_ptr<WebPageView> view =
        services_.makeView ? services_.makeView() : createEmbeddedPageView();
    if (view && view->widget())
        showInside(std::move(view));
    else
        showInBrowser();
}

WebMapWindow::~WebMapWindow() {
    if (state_.mainWindow)
        state_.mainWindow->setMainEnabled(true);
}

bool WebMapWindow::showsPageInside() const {
    return view_ && view_->widget();
}

void WebMapWindow::showInside(std::unique_ptr<WebPageView> view) {
    view_ = std::move(view);
    layout()->addWidget(view_->widget());
    // Queued: the view may not be taken down inside its own signal.
    connect(view_.get(), &WebPageView::failed, this, &WebMapWindow::view_failed,
            Qt::QueuedConnection);
    const QScreen *screen = screenOf(state_);
    if (screen)
        resize(webMapWindowSize(screen->geometry().size()));
    centreOn(*this, screen);
    placeButtonStrip();
    setCaptureEnabled(view_->canCapture());
    view_->load(QUrl(job_.address));
}

void WebMapWindow::showInBrowser() {
    const int language = state_.config.LanguageIndex;
    const QString browserOnly = programText(ProgramText::MapInBrowserOnly, language);
    if (view_ && view_->widget()) {
        QWidget *inside = view_->widget();
        inside->hide();
        layout()->removeWidget(inside);
        inside->deleteLater();
    }
    view_ = std::make_unique<BrowserPageView>(services_.openInBrowser);

    // Nothing lies under the buttons now: they take their place above the note.
    layout()->setContentsMargins(12, 12, 12, 12);
    layout()->setSpacing(10);
    layout()->addWidget(pic1);
    browserNote_ = new QLabel(browserOnly, this);
    browserNote_->setWordWrap(true);
    browserNote_->setMinimumWidth(400);
    layout()->addWidget(browserNote_);
    setCaptureEnabled(false, browserOnly);
    adjustSize();
    centreOn(*this, screenOf(state_));

    if (!view_->load(QUrl(job_.address)))
        say(programText(ProgramText::NoWebBrowser, language)
                .replace(QStringLiteral("xxx"), job_.address));
}

void WebMapWindow::view_failed() {
    if (!showsPageInside())
        return;
    const QPointer<WebMapWindow> self(this);
    say(programText(ProgramText::EmbeddedMapFailed, state_.config.LanguageIndex));
    if (self)
        showInBrowser();
}

void WebMapWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    placeButtonStrip();
}

void WebMapWindow::placeButtonStrip() {
    if (!showsPageInside())
        return;
    pic1->move(width() / 2 - 50, 10);
    pic1->raise();
}

void WebMapWindow::setCaptureEnabled(bool enabled, const QString &why) {
    for (QPushButton *button : {cmdPaste, cmdSave}) {
        button->setEnabled(enabled);
        button->setToolTip(why);
    }
}

void WebMapWindow::say(const QString &text) {
    if (state_.prompts)
        state_.prompts->message(text);
}

QImage WebMapWindow::captureOrSay() {
    QImage image;
    if (view_ && view_->canCapture())
        image = view_->capture();
    if (image.isNull()) {
        qCWarning(lcStations) << "the map view gave no picture";
        say(programText(ProgramText::MapCaptureFailed, state_.config.LanguageIndex));
    }
    return image;
}

void WebMapWindow::cmdSave_Click() {
    if (capturing_ || !state_.prompts)
        return;
    const QPointer<WebMapWindow> self(this);
    capturing_ = true;
    setCaptureEnabled(false);
    const auto done = qScopeGuard([&] {
        if (!self)
            return;
        capturing_ = false;
        setCaptureEnabled(view_ && view_->canCapture());
    });

    const QImage image = captureOrSay();
    if (image.isNull())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) {
        say(programText(ProgramText::MapCaptureFailed, state_.config.LanguageIndex));
        return;
    }
    const QString mapFile = PicturePath(PictureRef::mapCapture(), state_.paths);
    QDir().mkpath(QFileInfo(mapFile).absolutePath());
    const WriteResult written = writeFileAtomically(mapFile, bytes);
    if (!written) {
        say(written.error);
        return;
    }

    AppState &state = state_;
    const PictureTransferContext context{
        state.paths,
        state.texts,
        *state.prompts,
        state.config.AutoRefreshMode == 1,
        [&state] {
            if (state.mainWindow)
                state.mainWindow->StopRefreshTimers();
        },
        [&state] {
            if (state.mainWindow)
                state.mainWindow->StartRefreshTimers();
        },
        services_.showFileDialog ? services_.showFileDialog : ShowFileDialogFunction(qtFileDialog),
        nullptr,
        {},
        this};
    SavePictureAs(PictureRef::mapCapture(), state.SaveFolder, context);
}

void WebMapWindow::cmdPaste_Click() {
    if (capturing_)
        return;
    capturing_ = true;
    setCaptureEnabled(false);
    const auto done = qScopeGuard([this] {
        capturing_ = false;
        setCaptureEnabled(view_ && view_->canCapture());
    });

    const QImage image = captureOrSay();
    if (image.isNull())
        return;
    auto *data = new QMimeData;
    data->setImageData(image);
    if (services_.clipboard)
        services_.clipboard(data);
    else
        writeToClipboard(data);

    DesktopBridge *desktop = services_.desktop;
    if (!desktop)
        return;
    if (ActivateWindowByTitle(*desktop, QStringLiteral("EasyPal"))) {
        desktop->wait(kKeyWaitMs);
        desktop->sendKeys(QStringLiteral("{F7}"));
    }
    desktop->wait(kKeyWaitMs);
}

WebMapWindow *openWebMapWindow(AppState &state, WindowRegistry &registry,
                               const WebMapRequest &request, const WebMapServices &services) {
    const StreetViewJob job = parseStreetViewJob(request.StreetViewJob);
    QString refusal;
    if (!job.valid)
        refusal = programText(ProgramText::MapCannotOpen, state.config.LanguageIndex)
                      .replace(QStringLiteral("xxx"), request.StreetViewJob);
    else if (!webMapSitePosition(job.callsign, request.wxPage, state.SiteList))
        refusal = noPositionText(state, job.callsign);
    if (!refusal.isEmpty()) {
        qCInfo(lcStations) << "no map view:" << refusal;
        if (state.prompts)
            state.prompts->message(refusal);
        return nullptr;
    }
    return openOnce<WebMapWindow>(registry, kWindowName,
                                  [&] { return new WebMapWindow(state, job, services); });
}

} // namespace tavimo
