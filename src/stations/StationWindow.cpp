#include "stations/StationWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/net/CallbookPage.h"
#include "core/net/CallsignLookup.h"
#include "core/text/ProgramTexts.h"
#include "stations/Logging.h"
#include "stations/StationPictureWindow.h"
#include "ui/FixedColours.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>

#include <array>

namespace tavimo {

namespace {

const QString kPictureKey = QStringLiteral("100");
const QString kConnecting = QStringLiteral("Connecting. . .");

constexpr int kLineLeft = 4;
constexpr int kLineWidth = StationWindow::kWidth - 8;
constexpr int kLineHeight = 18;
constexpr std::array<int, 5> kLineTops{2, 18, 34, 50, 66};
constexpr int kChoiceTop = 86;
constexpr int kChoiceWidth = 55;
const QColor kPanelColour(255, 255, 225);
const QColor kChoiceColour(239, 239, 239);

} // namespace

StationRequest StationRequest::forSelectedSlot(const AppState &state, const QString &callsign,
                                               bool lookupFromCall) {
    StationRequest request;
    request.callsign = callsign;
    request.lookupFromCall = lookupFromCall;
    if (state.mainWindow)
        request.slotFrame = state.mainWindow->slotFrameOnScreen(state.page.SelectedSlot);
    return request;
}

StationWindow::StationWindow(AppState &state, WindowRegistry &windows,
                             const StationRequest &request, StationPictureServices services)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), state_(state), windows_(windows),
      services_(std::move(services)) {
    guard_.emplace(state_.mainWindow);
    if (state_.mainWindow)
        keepAboveMain(*this, state_.mainWindow->window());
    StationCall_ = cutStationCall(request.callsign);
    NotFoundText_ = programText(ProgramText::StationNotFound, state_.config.LanguageIndex);
    setWindowTitle(StationCall_.isEmpty() ? QStringLiteral("Tavimo") : StationCall_);
    setFixedSize(kWidth, kHeight);

    ucLookUp = new CallsignLookup(*state_.downloads, state_.endpoints, this);
    connect(ucLookUp, &CallsignLookup::GotPage, this, &StationWindow::ucLookUp_GotPage);
    connect(ucLookUp, &CallsignLookup::PageNotFound, this, &StationWindow::ucLookUp_PageNotFound);
    connect(ucLookUp, &CallsignLookup::CallNotFound, this, &StationWindow::ucLookUp_CallNotFound);
    connect(ucLookUp, &CallsignLookup::PictureReady, this, &StationWindow::ucLookUp_PictureReady);

    buildPanel();
    placeOverSlot(request.slotFrame);
    LookUpCall();
    if (!StationCall_.isEmpty()) {
        const QString address = stationPictureAddress(state_.endpoints.QrzPictures, StationCall_);
        if (!address.isEmpty())
            ucLookUp->GetPicture(address, kPictureKey);
    }
}

StationWindow::~StationWindow() {
    if (pictureWindow_)
        pictureWindow_->close();
    guard_.reset();
    if (state_.mainWindow)
        state_.mainWindow->activateMain();
}

void StationWindow::buildPanel() {
    // A dark rim around a light panel: it lies over the thumbnails, so it must
    // stand apart from them.
    QPalette rim = palette();
    rim.setColor(QPalette::Window, state_.ColorDark);
    setPalette(rim);
    setAutoFillBackground(true);
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    auto *pic1 = new QFrame(this);
    pic1->setGeometry(2, 2, kWidth - 4, kHeight - 4);
    // The panel stays cream under any scheme, and so the text on it and on the source choices
    // stays dark; a checked choice stands out in a light grey.
    QPalette panel = pic1->palette();
    setFixedBackground(panel, QPalette::Window, kPanelColour);
    setFixedBackground(panel, QPalette::Button, kChoiceColour);
    pic1->setPalette(panel);
    pic1->setAutoFillBackground(true);

    std::array<QLabel **, 5> lines{&lblCall, &lblName, &lblAdd1, &lblAdd2, &lblCtry};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto *label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setPalette(panel);
        label->setGeometry(kLineLeft, kLineTops[i], kLineWidth, kLineHeight);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        *lines[i] = label;
    }
    QFont bold = lblCall->font();
    bold.setBold(true);
    lblCall->setFont(bold);

    Image1 = new QLabel(this);
    Image1->setScaledContents(true);
    Image1->installEventFilter(this);
    Image1->hide();

    for (const CallbookDatabase &db : kCallbooks) {
        auto *choice = new QToolButton(this);
        choice->setPalette(panel);
        choice->setText(QString::fromLatin1(db.name));
        choice->setCheckable(true);
        choice->setAutoExclusive(true);
        choice->setAutoRaise(true);
        choice->setGeometry(kLineLeft + (db.index - 1) * (kChoiceWidth + 1), kChoiceTop,
                            kChoiceWidth, kLineHeight);
        choice->setChecked(db.index == database_);
        connect(choice, &QToolButton::clicked, this,
                [this, index = db.index] { selectDatabase(index); });
        optDatabase.append(choice);
    }

    mnuPop = new QMenu(QStringLiteral("PopUp"), this);
    mnuSave = mnuPop->addAction(QStringLiteral("Save"));
    mnuPaste = mnuPop->addAction(QStringLiteral("Paste"));
    connect(mnuSave, &QAction::triggered, this, &StationWindow::mnuSave_Click);
    connect(mnuPaste, &QAction::triggered, this, &StationWindow::mnuPaste_Click);
}

void StationWindow::placeOverSlot(QRect slotFrame) {
    QRect over = slotFrame;
    int top = slotFrame.top();
    if (over.isEmpty()) {
        if (state_.mainWindow && state_.mainWindow->window())
            over = state_.mainWindow->window()->frameGeometry();
        else if (const QScreen *screen = QGuiApplication::primaryScreen())
            over = screen->availableGeometry();
        top = over.top() + (over.height() - kHeight) / 2;
    }
    move(over.left() + over.width() / 2 - kWidth / 2, top);
}

void StationWindow::selectDatabase(int databaseIndex) {
    if (databaseIndex < 1 || databaseIndex > int(kCallbooks.size()))
        return;
    database_ = databaseIndex;
    optDatabase[databaseIndex - 1]->setChecked(true);
    LookUpCall();
}

StationPictureWindow *StationWindow::pictureWindow() const {
    return pictureWindow_;
}

void StationWindow::LookUpCall() {
    lblCall->setText(kConnecting);
    for (QLabel *line : {lblName, lblAdd1, lblAdd2, lblCtry})
        line->clear();
    if (StationCall_.isEmpty()) {
        showNotFound(StationCall_);
        return;
    }
    busy_.set();
    ucLookUp->Database(database_);
    ucLookUp->GetPage(StationCall_);
}

void StationWindow::showNotFound(const QString &callsign) {
    lblCall->setText(callsign + NotFoundText_);
    for (QLabel *line : {lblName, lblAdd1, lblAdd2, lblCtry})
        line->clear();
    busy_.restore();
}

void StationWindow::ucLookUp_GotPage(const QString &id) {
    Q_UNUSED(id);
    lblCall->setText(StationCall_);
    // A page without a record makes cName raise CallNotFound, which marks the
    // callsign line.
    lblName->setText(ucLookUp->cName());
    lblAdd1->setText(ucLookUp->Add1());
    lblAdd2->setText(ucLookUp->Add2());
    lblCtry->setText(ucLookUp->Ctry());
    busy_.restore();
}

void StationWindow::ucLookUp_PageNotFound(const QString &id) {
    qCDebug(lcStations) << "no record of" << ucLookUp->PageCallsign() << "from" << id;
    showNotFound(ucLookUp->PageCallsign());
}

void StationWindow::ucLookUp_CallNotFound(const QString &Cal) {
    lblCall->setText(Cal + NotFoundText_);
}

void StationWindow::ucLookUp_PictureReady(const QString &Ky) {
    Q_UNUSED(Ky);
    picEmail_ = ucLookUp->Picture();
    const QRect fitted = fitStationPicture(picEmail_.size());
    if (fitted.isEmpty())
        return;
    Image1->setPixmap(QPixmap::fromImage(picEmail_));
    Image1->setGeometry(fitted);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->show();
    Image1->raise();
}

void StationWindow::Image1_MouseDown(Qt::MouseButton button, QPoint globalPos) {
    if (picEmail_.isNull())
        return;
    if (button == Qt::RightButton) {
        mnuPop->popup(globalPos);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    QWidget *main = state_.mainWindow ? state_.mainWindow->window() : nullptr;
    pictureWindow_ =
        openOnce<StationPictureWindow>(windows_, QStringLiteral("StationPictureWindow"), [&] {
            return new StationPictureWindow(picEmail_, this, main, StationCall_);
        });
}

void StationWindow::mnuSave_Click() {
    if (picEmail_.isNull())
        return;
    setEnabled(false);
    saveStationPicture(picEmail_, StationCall_, state_.SaveFolder, state_.paths, *state_.prompts,
                       services_, this);
    setEnabled(true);
}

void StationWindow::mnuPaste_Click() {
    if (picEmail_.isNull())
        return;
    PasteIntoEasyPal(picEmail_, state_.paths, *state_.prompts, services_);
    // Refreshing goes on after a paste, with the window still open.
    if (state_.mainWindow)
        state_.mainWindow->resumeRefreshTimers();
}

bool StationWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        Image1_MouseDown(press->button(), press->globalPosition().toPoint());
        return true;
    }
    const bool line = watched == lblCall || watched == lblName || watched == lblAdd1 ||
                      watched == lblAdd2 || watched == lblCtry;
    if (line && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

StationWindow *openStationWindow(AppState &state, WindowRegistry &windows,
                                 const StationRequest &request, StationPictureServices services) {
    return openOnce<StationWindow>(windows, QStringLiteral("StationWindow"), [&] {
        return new StationWindow(state, windows, request, std::move(services));
    });
}

} // namespace tavimo
