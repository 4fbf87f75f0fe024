#pragma once

#include "core/app/DialogGuard.h"
#include "core/base/FileDialogs.h"
#include "core/net/TextMessages.h"
#include "platform/PictureTransfer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace tavimo {

struct AppState;
class DesktopBridge;
class DownloadControl;
class WindowRegistry;

// What the text messages window uses of the desktop.
struct TextMessagesDeps {
    DesktopBridge *desktop = nullptr;      // null: paste only fills the clipboard
    ShowFileDialogFunction showFileDialog; // the save dialog; empty: Save does nothing
    ClipboardWriter clipboard;             // empty: the system clipboard
};

// The text messages of one SSTV site: all eight are fetched at once, each kept as a file in
// TextFiles and listed (in message order, failed ones last); the picked one is shown and can
// be saved to a file or pasted into MMSSTV's transmit window.
class TextMessagesWindow : public QWidget {
    Q_OBJECT

public:
    // slotCallsign: the slot's callsign as shown (zeros as the user's zero character).
    TextMessagesWindow(AppState &state, const QString &slotCallsign, TextMessagesDeps deps);
    ~TextMessagesWindow() override;

    QListWidget *List1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *cmdReload = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdPaste = nullptr;
    QTimer Timer1; // starts the fetch once, shortly after opening or Reload
    DownloadControl *ucDnLoad = nullptr;

    // The site's callsign as stored; empty when no SSTV site has the slot's callsign.
    const QString &messageCall() const { return MessageCall; }
    const QList<TextMessageItem> &items() const { return items_; }

    void cmdReload_Click();
    void cmdSave_Click();
    void cmdPaste_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Timer1_Timer();
    void ucDnLoad_PictureReady(const QString &key, const QByteArray &bytes);
    void ucDnLoad_NoImage(const QString &key);
    void List1_Click();
    void addItem(const TextMessageItem &item);
    void showMessage(std::optional<int> k);

    AppState &state_;
    const QString slotCallsign_;
    TextMessagesDeps deps_;
    std::optional<DialogGuard> guard_;
    QString MessageCall;
    QList<TextMessageItem> items_; // as listed, row for row
    QMap<int, QByteArray> stored_; // message k as written to its file
    std::optional<int> shown_;     // the message in Text1
};

// Opens the text messages of the SSTV site in a slot, or raises the window when it is open.
TextMessagesWindow *showTextMessagesWindow(AppState &state, WindowRegistry &registry,
                                           const QString &slotCallsign, TextMessagesDeps deps);

} // namespace tavimo
