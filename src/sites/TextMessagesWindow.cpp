#include "sites/TextMessagesWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/base/Prompts.h"
#include "core/net/DownloadControl.h"
#include "platform/DesktopBridge.h"
#include "sites/DialogLook.h"
#include "sites/Logging.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"

#include <QCloseEvent>
#include <QDir>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tavimo {

namespace {

constexpr int kFetchDelayMs = 100;
// Between the steps of a paste, so that MMSSTV can follow.
constexpr int kPastePauseMs = 500;
const QString kPasteTarget = QStringLiteral("MMSSTV");

} // namespace

TextMessagesWindow::TextMessagesWindow(AppState &state, const QString &slotCallsign,
                                       TextMessagesDeps deps)
    : state_(state), slotCallsign_(slotCallsign), deps_(std::move(deps)) {
    setObjectName(QStringLiteral("TextMessagesWindow"));
    setWindowTitle(QStringLiteral("Tavimo  Text messages"));
    guard_.emplace(state_.mainWindow);
    if (state_.mainWindow)
        keepAboveMain(*this, state_.mainWindow->window());
    resize(629, 379);

    List1 = new QListWidget(this);
    List1->setGeometry(18, 15, 385, 139);
    Text1 = new QPlainTextEdit(this);
    Text1->setGeometry(18, 178, 593, 185);
    Text1->setReadOnly(true);
    cmdReload = new QPushButton(this);
    cmdSave = new QPushButton(this);
    cmdPaste = new QPushButton(this);
    const LanguageTexts &texts = state_.texts;
    int top = 15;
    for (auto [button, caption] :
         {std::pair{cmdReload, texts.LngReloadMessages}, std::pair{cmdSave, texts.LngSaveMessage},
          std::pair{cmdPaste, texts.LngPasteMessage}}) {
        button->setGeometry(414, top, 197, 45);
        button->setText(caption);
        paintDialogButton(button);
        top += 50;
    }
    connect(cmdReload, &QPushButton::clicked, this, &TextMessagesWindow::cmdReload_Click);
    connect(cmdSave, &QPushButton::clicked, this, &TextMessagesWindow::cmdSave_Click);
    connect(cmdPaste, &QPushButton::clicked, this, &TextMessagesWindow::cmdPaste_Click);
    connect(List1, &QListWidget::currentRowChanged, this, &TextMessagesWindow::List1_Click);

    if (state_.downloads) {
        ucDnLoad = new DownloadControl(*state_.downloads, DownloadControl::Flavour::Bytes, this);
        ucDnLoad->setBodyCap(kTextMessageCapBytes, DownloadControl::OverCap::KeepHead);
        connect(ucDnLoad, &DownloadControl::ready, this,
                &TextMessagesWindow::ucDnLoad_PictureReady);
        connect(ucDnLoad, &DownloadControl::failed, this, &TextMessagesWindow::ucDnLoad_NoImage);
    }
    Timer1.setSingleShot(true);
    Timer1.setInterval(kFetchDelayMs);
    connect(&Timer1, &QTimer::timeout, this, &TextMessagesWindow::Timer1_Timer);

    placeBesideMain(*this, state_.mainWindow, 0, false);
    Timer1.start();
}

TextMessagesWindow::~TextMessagesWindow() = default;

void TextMessagesWindow::closeEvent(QCloseEvent *event) {
    // Answers still on the way have no window to go to.
    Timer1.stop();
    if (ucDnLoad)
        ucDnLoad->cancelAll();
    event->accept();
}

void TextMessagesWindow::Timer1_Timer() {
    Timer1.stop();
    setWindowTitle(QString(state_.texts.LngTextTitle).replace(QStringLiteral("??"), slotCallsign_));
    MessageCall.clear();
    QString pictureUrl;
    for (const SiteRecord &site : std::as_const(state_.SiteList)) {
        if (shownCallsign(site.Callsign, state_.ZeroChar) == slotCallsign_) {
            MessageCall = site.Callsign;
            pictureUrl = site.PictureUrl;
            break;
        }
    }
    if (MessageCall.isEmpty()) {
        qCInfo(lcSites) << "text messages: no SSTV site is called" << slotCallsign_;
        return;
    }
    if (!ucDnLoad)
        return;
    QDir().mkpath(state_.paths.data(QStringLiteral("TextFiles")));
    for (int k = 1; k <= kTextMessageCount; ++k) {
        ucDnLoad->DownloadFile(TextMessageUrl(pictureUrl, k), textMessageKey(k));
    }
}

void TextMessagesWindow::ucDnLoad_PictureReady(const QString &key, const QByteArray &bytes) {
    const int k = textMessageNumber(key);
    if (k == 0)
        return;
    const QString path =
        textMessageFilePath(state_.paths.data(QStringLiteral("TextFiles")), MessageCall, k);
    std::optional<QByteArray> stored;
    if (path.isEmpty()) {
        qCWarning(lcSites) << "text messages: no file name for" << MessageCall;
    } else if (const WriteResult written = writeFileAtomically(path, bytes); !written) {
        qCWarning(lcSites) << "text messages:" << written.error;
    } else {
        stored = bytes;
        stored_.insert(k, bytes);
    }
    TextMessageItem item = textMessageItem(k, stored, state_.texts.LngTextReadFailed);
    if (ucDnLoad->answerCut())
        item.text += QStringLiteral("  ") + state_.texts.LngTextCut;
    addItem(item);
}

void TextMessagesWindow::ucDnLoad_NoImage(const QString &key) {
    if (const int k = textMessageNumber(key))
        addItem(failedTextMessageItem(k, state_.texts.LngFailed));
}

void TextMessagesWindow::addItem(const TextMessageItem &item) {
    const qsizetype row = textMessageInsertPosition(items_, item);
    items_.insert(row, item);
    List1->insertItem(int(row), item.text);
}

void TextMessagesWindow::List1_Click() {
    const int row = List1->currentRow();
    if (row < 0 || row >= items_.size() || !items_[row].canShow()) {
        showMessage(std::nullopt);
        return;
    }
    showMessage(items_[row].k);
}

void TextMessagesWindow::showMessage(std::optional<int> k) {
    const bool show = k && stored_.contains(*k);
    shown_ = show ? k : std::nullopt;
    Text1->setPlainText(show ? textMessageShownText(stored_.value(*k)) : QString());
    cmdSave->setEnabled(show);
    cmdPaste->setEnabled(show);
}

void TextMessagesWindow::cmdSave_Click() {
    if (!shown_ || Text1->toPlainText().isEmpty() || !deps_.showFileDialog)
        return;
    const QByteArray bytes = stored_.value(*shown_);
    FileDialogRequest request;
    request.Flags = OFN_READONLY | OFN_OVERWRITEPROMPT;
    request.InitialDir = QDir::homePath();
    request.NameFilters = {nameFilter(QStringLiteral("text files"), QStringLiteral("*.txt"))};
    request.FileName = textMessageSaveName(bytes);
    request.OwnerWindow = this;
    request.OpenDialog = false;
    const QString target = deps_.showFileDialog(request);
    if (target.isEmpty())
        return;
    const WriteResult written = writeFileAtomically(target, bytes);
    if (!written && state_.prompts)
        state_.prompts->message(written.error, QStringLiteral("Tavimo"),
                                Prompts::Icon::Exclamation);
}

void TextMessagesWindow::cmdPaste_Click() {
    auto *data = new QMimeData;
    data->setText(Text1->toPlainText());
    if (deps_.clipboard)
        deps_.clipboard(data);
    else
        writeToClipboard(data);
    DesktopBridge *desktop = deps_.desktop;
    if (!desktop)
        return;
    if (ActivateWindowByTitle(*desktop, kPasteTarget)) {
        desktop->wait(kPastePauseMs);
        desktop->sendKeys(QStringLiteral("%{E}"));
        desktop->wait(kPastePauseMs);
        desktop->sendKeys(QStringLiteral("{P}"));
    }
    desktop->wait(kPastePauseMs);
}

void TextMessagesWindow::cmdReload_Click() {
    // Answers of the fetch before are dropped: the list is built afresh.
    if (ucDnLoad)
        ucDnLoad->cancelAll();
    items_.clear();
    stored_.clear();
    List1->clear();
    showMessage(std::nullopt);
    Timer1.start();
}

TextMessagesWindow *showTextMessagesWindow(AppState &state, WindowRegistry &registry,
                                           const QString &slotCallsign, TextMessagesDeps deps) {
    return openOnce<TextMessagesWindow>(registry, QStringLiteral("TextMessagesWindow"), [&] {
        return new TextMessagesWindow(state, slotCallsign, std::move(deps));
    });
}

} // namespace tavimo
