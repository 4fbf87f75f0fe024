#pragma once

#include "core/net/UpdateCheck.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace tavimo {

struct AppState;
class ClockSetter;
class DownloadControl;
class WindowOpener;

// The main window's three web services: the time page, which sets the
// computer's clock once per start; the maker's home page, which tells of a
// newer version; and the updates list, whose news for the user's SSTV list
// opens the site-news window. The rules are core's (TimePage, VersionCheck,
// UpdateCheck); this part asks and applies.
class UpdateServices : public QObject {
    Q_OBJECT

public:
    // `clockSetter` and `opener` may be null. Without a download context in
    // `state` nothing is asked.
    UpdateServices(AppState &state, ClockSetter *clockSetter, WindowOpener *opener,
                   QObject *parent = nullptr);

    // Looks for a newer version on the maker's home page and for news of the
    // site list in the updates list (its mirror when the list fails or is too
    // old).
    void CheckForUpdates();
    // Asks the web time page for the time; its answer sets the clock.
    void requestTimePage();
    // Opens the newer version's download page in the desktop's browser.
    void mnuUpTavimo_Click();

    // Drops every request and the pending site news window (shutdown).
    void stop();
    // Null without a download context.
    DownloadControl *updatesControl() const { return ucUpdates; }

    // Opens an address in the desktop's web browser; QDesktopServices when empty.
    std::function<bool(const QString &address)> openExternalUrl;

signals:
    // The home page named a newer version than this one (its number), or none.
    void newerVersionFound(const QString &version);
    void noNewerVersion();

private:
    void ucUpdates_updatesReady(const QString &key, const QByteArray &bytes);
    void ucUpdates_noUpdates(const QString &key);
    void timePageReady(const QByteArray &page);
    void homePageReady(const QByteArray &page);
    void applyUpdateDecision(const UpdateDecision &decision, const QByteArray &bytes);
    void siteNewsTimer_Timer();

    AppState &state_;
    ClockSetter *clockSetter_;
    WindowOpener *opener_;
    DownloadControl *ucUpdates = nullptr;
    UpdateCheck updateCheck_;
    bool clockChecked_ = false; // the time page is taken once per start
    // `UpdatesList`: the sections of an accepted list with news, kept until
    // the site-news window opens with them; `UpdatesFromMain`: whether it came
    // from the maker's host rather than the mirror.
    QStringList UpdatesListSections;
    bool UpdatesFromMain = true;
    QTimer siteNewsTimer; // one shot: open the site-news window
};

} // namespace tavimo
