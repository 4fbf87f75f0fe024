#include "mainwindow/UpdateServices.h"

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/Prompts.h"
#include "core/base/TextCodec.h"
#include "core/files/Endpoints.h"
#include "core/net/DownloadControl.h"
#include "core/net/TimePage.h"
#include "core/net/VersionCheck.h"
#include "mainwindow/Logging.h"
#include "platform/ClockSetter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace tavimo {

namespace {

// Keys of the requests on the updates control.
const QString kHomePageKey = QStringLiteral("1");
const QString kListKey = QStringLiteral("2");
const QString kMirrorKey = QStringLiteral("3");
const QString kTimePageKey = QStringLiteral("20");

constexpr int kOneShotMs = 100;

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

UpdateServices::UpdateServices(AppState &state, ClockSetter *clockSetter, WindowOpener *opener,
                               QObject *parent)
    : QObject(parent), state_(state), clockSetter_(clockSetter), opener_(opener) {
    siteNewsTimer.setSingleShot(true);
    siteNewsTimer.setInterval(kOneShotMs);
    connect(&siteNewsTimer, &QTimer::timeout, this, &UpdateServices::siteNewsTimer_Timer);
    if (!state_.downloads)
        return;
    ucUpdates = new DownloadControl(*state_.downloads, DownloadControl::Flavour::Text, this);
    ucUpdates->setObjectName(QStringLiteral("ucUpdates"));
    connect(ucUpdates, &DownloadControl::ready, this, &UpdateServices::ucUpdates_updatesReady);
    connect(ucUpdates, &DownloadControl::failed, this, &UpdateServices::ucUpdates_noUpdates);
}

void UpdateServices::stop() {
    siteNewsTimer.stop();
    if (ucUpdates)
        ucUpdates->cancelAll();
}

void UpdateServices::CheckForUpdates() {
    const Endpoints &endpoints = state_.endpoints;
    emit noNewerVersion();
    if (!ucUpdates)
        return;
    if (!endpoints.HomePage.isEmpty())
        ucUpdates->DownloadFile(endpoints.HomePage, kHomePageKey);
    if (!endpoints.UpdatesList.isEmpty()) {
        updateCheck_.begin();
        ucUpdates->DownloadFile(endpoints.UpdatesList, kListKey);
    }
}

void UpdateServices::requestTimePage() {
    if (ucUpdates && !state_.endpoints.TimePage.isEmpty())
        ucUpdates->DownloadFile(state_.endpoints.TimePage, kTimePageKey);
}

void UpdateServices::ucUpdates_updatesReady(const QString &key, const QByteArray &bytes) {
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

void UpdateServices::ucUpdates_noUpdates(const QString &key) {
    // Only the updates list has somewhere else to look; the mirror's own
    // failure ends the check.
    if (key == kListKey)
        applyUpdateDecision(updateCheck_.listFailed(ListSource::Main), {});
    else if (key == kMirrorKey)
        applyUpdateDecision(updateCheck_.listFailed(ListSource::Mirror), {});
}

// ---- The clock --------------------------------------------------------------------------

void UpdateServices::timePageReady(const QByteArray &page) {
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
    if (!clockSetter_) {
        qCInfo(lcMainWindow) << "Clock" << correction->count() << "ms off; nothing to set it with";
        return;
    }
    const ClockSetter::Result result = clockSetter_->adjustBy(*correction);
    qCInfo(lcMainWindow) << "Clock" << correction->count() << "ms off:" << clockResultText(result);
}

// ---- A newer version --------------------------------------------------------------------

void UpdateServices::homePageReady(const QByteArray &page) {
    const std::optional<QString> newer =
        newerVersionOnHomePage(page, ownVersion(state_.VersionTitle));
    if (newer)
        emit newerVersionFound(*newer);
    else
        emit noNewerVersion();
}

void UpdateServices::mnuUpTavimo_Click() {
    const QString address = joinEndpoint(state_.endpoints.HomePage, kDownloadPage);
    if (address.isEmpty())
        return;
    const bool opened =
        openExternalUrl ? openExternalUrl(address) : QDesktopServices::openUrl(QUrl(address));
    if (opened)
        return;
    qCWarning(lcMainWindow) << "cannot open" << address;
    // The click must not come to nothing: the user can still go there by hand.
    if (state_.prompts)
        state_.prompts->message(
            QCoreApplication::translate("tavimo", "No web browser could be opened for the new "
                                                  "version. Its download page is:\n%1")
                .arg(address));
}

// ---- Site news ----------------------------------------------------------------------------

void UpdateServices::applyUpdateDecision(const UpdateDecision &decision, const QByteArray &bytes) {
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
        ucUpdates->DownloadFile(address, kMirrorKey);
        return;
    }
    case Action::Accept:
        break;
    }
    // Sites the list knows a position of, and the user's list does not yet.
    if (decision.list && fillMissingPositions(state_.SiteList, *decision.list) > 0)
        emit state_.events.sitesChanged();
    if (decision.news.isEmpty()) {
        UpdatesListSections.clear();
        return;
    }
    UpdatesListSections = decodeCp1252(bytes).split(kUpdatesSectionMarker.toString());
    UpdatesFromMain = decision.source == ListSource::Main;
    siteNewsTimer.start();
}

void UpdateServices::siteNewsTimer_Timer() {
    siteNewsTimer.stop();
    if (UpdatesListSections.isEmpty())
        return;
    const QStringList sections = std::exchange(UpdatesListSections, {});
    if (opener_)
        opener_->openSiteNews(sections, UpdatesFromMain);
}

} // namespace tavimo
