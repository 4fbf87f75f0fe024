#pragma once

#include <QFont>
#include <QFrame>
#include <QRect>
#include <QString>

class QLabel;

namespace tavimo {

struct AppState;
class DownloadControl;
class WindowRegistry;

// What the window needs of the slot it is opened for, captured when it opens.
struct LastHeardRequest {
    int slot = 0;
    QString address; // the list's address; empty: there is no list to ask for
    QRect slotFrame; // the slot's frame on the screen; empty: the screen's centre
    QFont font;      // the thumbnails' callsign font
};

// The request for a slot of the page shown, as it stands now.
LastHeardRequest lastHeardRequest(const AppState &state, int slot);

// A site's last-heard list, fetched from beside its picture and shown as plain
// text in a small window over the slot. A click on the text closes it. The
// main window stays usable and keeps refreshing meanwhile.
class LastHeardWindow : public QFrame {
    Q_OBJECT

public:
    LastHeardWindow(AppState &state, const LastHeardRequest &request);

    // The one label: the loading text, then the list or kListNotFound.
    QLabel *Label1 = nullptr;
    DownloadControl *ucList = nullptr;

    int slot() const { return slot_; }

    void ucList_updatesReady(const QString &key, const QByteArray &bytes);
    void ucList_noUpdates(const QString &key);
    void Label1_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppState &state_;
    int slot_;
};

// Opens the list over `slot`. An open list of the same slot comes to the
// front; one of another slot gives way to the new one.
LastHeardWindow *openLastHeardWindow(AppState &state, WindowRegistry &registry, int slot);
// Closes the list when it is open (a thumbnail was clicked).
void closeLastHeardWindow(WindowRegistry &registry);

} // namespace tavimo
