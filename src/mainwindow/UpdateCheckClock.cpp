// The main window's three web services: the time page, which sets the
// computer's clock once per start; the maker's home page, which tells of a
// newer version; and the updates list, whose news for the user's SSTV list
// opens the site-news window.

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/TextCodec.h"
#include "core/files/Endpoints.h"
#include "core/net/DownloadControl.h"
#include "core/net/TimePage.h"
#include "core/net/VersionCheck.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainWindow.h"
#include "platform/ClockSetter.h"
#include "ui/MenuBarPainter.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

namespace tavimo {

namespace {

// Keys of the requests on the updates control.
const QString kHomePageKey = QStringLiteral("1");
const QString kListKey = QStringLiteral("2");
const QString kMirrorKey = QStringLiteral("3");
const QString kTimePageKey = QStringLiteral("20");

// The newer version's download page, on the maker's host.
const QString kDownloadPage = QStringLiteral("/_mgxroot/page_10724.html");

// The program's own version, "4.91", from the end of its version title.
QString ownVersion(const QString &versionTitle) {
    return versionTitle.section(u' ', -1, -1, QString::SectionSkipEmpty);
}

const char *clockResultText(ClockSetter::Result result) {
    switch (result) {
    case ClockSetter::Result::Adjusted:
        return "clock set";
    case ClockSetter::Result::SkippedNetworkSync:
        return "network time keeps the clock: left alone";
    case ClockSetter::Result::Failed:
        return "the system refused to set the clock";
    case ClockSetter::Result::Unavailable:
        return "nothing here can set the clock";
    }
    return "";
}

} // namespace

void MainWindow::CheckForUpdates() {
    AppState &s = state_;
    mnuUpdate->menuAction()->setVisible(false);
    if (!ucUpdates)
        return;
    if (!s.endpoints.HomePage.isEmpty()) {
        s.page.CurrentUrl = s.endpoints.HomePage;
        ucUpdates->DownloadFile(s.page.CurrentUrl, kHomePageKey);
    }
    if (!s.endpoints.UpdatesList.isEmpty()) {
        s.page.CurrentUrl = s.endpoints.UpdatesList;
        updateCheck_.begin();
        ucUpdates->DownloadFile(s.page.CurrentUrl, kListKey);
    }
}

void MainWindow::requestTimePage() {
    state_.page.CurrentUrl = state_.endpoints.TimePage;
    if (ucUpdates && !state_.endpoints.TimePage.isEmpty())
        ucUpdates->DownloadFile(state_.endpoints.TimePage, kTimePageKey);
}

void MainWindow::ucUpdates_updatesReady(const QString &key, const QByteArray &bytes) {
    if (key == kTimePageKey) {
        timePageReady(bytes);
    } else if (key == kHomePageKey) {
        homePageReady(bytes);
    } else if (key == kListKey || key == kMirrorKey) {
        const ListSource source = key == kListKey ? ListSource::Main : ListSource::Mirror;
        applyUpdateDecision(updateCheck_.listReceived(source, bytes, state_.utcNow().toUTC().date(),
                                                      state_.SiteList),
                            bytes);
    } else {
        UpdatesListSections.clear();
    }
}

void MainWindow::ucUpdates_noUpdates(const QString &key) {
    // Only the updates list has somewhere else to look; the mirror's own
    // failure ends the check.
    if (key == kListKey)
        applyUpdateDecision(updateCheck_.listFailed(ListSource::Main), {});
    else if (key == kMirrorKey)
        applyUpdateDecision(updateCheck_.listFailed(ListSource::Mirror), {});
}

// ---- The clock --------------------------------------------------------------------------

void MainWindow::timePageReady(const QByteArray &page) {
    if (clockChecked_)
        return;
    clockChecked_ = true;
    const std::optional<QString> time = timePageUtcTime(page);
    if (!time)
        return;
    // Worked out in UTC as a shift of the clock: the page has no date, and
    // a shift is right on either side of midnight.
    const std::optional<std::chrono::milliseconds> correction =
        clockCorrection(*time, state_.utcNow());
    if (!correction)
        return;
    if (!deps_.clockSetter) {
        qCInfo(lcMainWindow) << "Clock" << correction->count() << "ms off; nothing to set it with";
        return;
    }
    const ClockSetter::Result result = deps_.clockSetter->adjustBy(*correction);
    qCInfo(lcMainWindow) << "Clock" << correction->count() << "ms off:" << clockResultText(result);
}

// ---- A newer version --------------------------------------------------------------------

void MainWindow::homePageReady(const QByteArray &page) {
    const LanguageTexts &texts = state_.texts;
    QAction *notice = mnuUpdate->menuAction();
    const std::optional<QString> newer =
        newerVersionOnHomePage(page, ownVersion(state_.VersionTitle));
    if (!newer) {
        notice->setVisible(false);
        return;
    }
    notice->setVisible(true);
    setUpdateMenuText(notice, QStringLiteral("   ") + texts.LngUpdate + QStringLiteral("   "));
    if (QAction *download = menuItem(QStringLiteral("mnuUpTavimo")))
        download->setText(texts.LngNewVersion + QStringLiteral("Tavimo ") + *newer);
}

void MainWindow::mnuUpTavimo_Click() {
    const QString address = joinEndpoint(state_.endpoints.HomePage, kDownloadPage);
    if (address.isEmpty())
        return;
    const bool opened =
        openExternalUrl ? openExternalUrl(address) : QDesktopServices::openUrl(QUrl(address));
    if (!opened)
        qCWarning(lcMainWindow) << "cannot open" << address;
}

// ---- Site news ----------------------------------------------------------------------------

void MainWindow::applyUpdateDecision(const UpdateDecision &decision, const QByteArray &bytes) {
    using Action = UpdateDecision::Action;
    switch (decision.action) {
    case Action::Ignore:
        return;
    case Action::Refuse:
        UpdatesListSections.clear();
        return;
    case Action::TryMirror: {
        UpdatesListSections.clear();
        const QString address = joinEndpoint(state_.endpoints.UpdatesMirror, decision.mirrorPath);
        if (address.isEmpty() || !ucUpdates)
            return;
        state_.page.CurrentUrl = address;
        ucUpdates->DownloadFile(address, kMirrorKey);
        return;
    }
    case Action::Accept:
        break;
    }
    // Sites the list knows a position of, and the user's list does not yet.
    if (decision.list)
        fillMissingPositions(state_.SiteList, *decision.list);
    if (decision.news.isEmpty()) {
        UpdatesListSections.clear();
        return;
    }
    UpdatesListSections = decodeCp1252(bytes).split(kUpdatesSectionMarker.toString());
    UpdatesFromMain = decision.source == ListSource::Main;
    siteNewsTimer.start();
}

void MainWindow::Timer1_Timer() {
    siteNewsTimer.stop();
    if (UpdatesListSections.isEmpty())
        return;
    const QStringList sections = std::exchange(UpdatesListSections, {});
    if (WindowOpener *windows = opener())
        windows->openSiteNews(sections, UpdatesFromMain);
}

} // namespace tavimo
