#pragma once

// The program as main() puts it together, in a folder of its own: the real main
// window and the program's own window opener, with the simulated sites,
// callbooks, updates list and map service on the loopback server. What would
// leave the machine is faked: prompts, connection check, clock, desktop, file
// dialog, clipboard, and the web view of the street and satellite view.

#include "app/AppWindowOpener.h"
#include "core/files/Endpoints.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "support/FakePageView.h"
#include "support/MainWindowHarness.h"

#include <QApplication>
#include <QFile>
#include <QPointer>

namespace tavimo::test {

struct ProgramRig : Harness {
    // Six SSTV sites and two WX sites that never change: the sites' clock
    // stands still at the program's.
    static sitesim::SimConfig smallWorld() {
        sitesim::SimConfig config;
        config.sstvCount = 6;
        config.wxCount = 2;
        return config;
    }

    // The SSTV list holds the first `listed` sites of the simulator (all but
    // those announced as news when -1), ten to a page, page 1 shown first.
    explicit ProgramRig(const sitesim::SimConfig &world = smallWorld(), int listed = -1,
                        int startPage = 0)
        : sim(world, [] { return kNow; }) {
        server.setHandler([this](const RecordedRequest &request) { return sim.answer(request); });
        const QString base = url(u"/"_s).chopped(1);
        for (const auto &[key, value] : sitesim::endpointSettings(base))
            settings->setValue(kEndpointsSection, key, value);
        const QList<sitesim::SstvSiteInfo> &sites = sim.sstvSites();
        sstvLines = sitesim::sstvListLines(
            sites.mid(0, listed < 0 ? sites.size() - sim.newsSites().size() : listed), base);
        wxLines = sitesim::wxListLines(sim.wxSites(), base);
        writeConfig(2, 1, startPage);
        useProgramOpener();
    }

    // The program started again on the folders and settings that `before` left
    // behind when its window closed; `before` goes on serving the sites.
    static std::unique_ptr<ProgramRig> startedAgain(const ProgramRig &before) {
        return std::unique_ptr<ProgramRig>(new ProgramRig(before.state.paths, before.iniPath));
    }

    // The main window goes first: it calls the program's opener as it closes.
    // The simulator goes before the server that the harness owns, so the
    // server stops asking it.
    ~ProgramRig() {
        closeWindow();
        server.setHandler({});
    }

    // The one visible window of type W, or null.
    template <class W> static W *shown() {
        W *found = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<W *>(widget); window && window->isVisible()) {
                if (found)
                    return nullptr;
                found = window;
            }
        }
        return found;
    }

    // The map pictures in the data folder, as the bundled ones are installed.
    void installMaps() {
        const QDir source(QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Maps"));
        QDir().mkpath(data(u"Maps"_s));
        for (const QString &name : source.entryList({u"*.png"_s}, QDir::Files))
            QFile::copy(source.filePath(name), data(u"Maps/"_s + name));
    }

    const sitesim::SstvSiteInfo &sstvSite(int number) const { return sim.sstvSites()[number - 1]; }
    QString pictureUrl(int number) const { return url(sitesim::sstvPicturePath(number)); }
    // A callsign as the program shows it.
    QString shown(QString callsign) const { return callsign.replace(u'0', state.ZeroChar); }

    // The page was loaded again after a change and every slot has answered.
    bool reloadedSince(int reloadsBefore) {
        return QTest::qWaitFor([&] { return reloads() > reloadsBefore; }, 5000) && waitForQuiet();
    }

    // The time of the program and of the sites.
    static inline const QDateTime kNow{QDate(2024, 5, 1), QTime(13, 5, 9), Qt::UTC};

    sitesim::SiteSimulator sim;
    QList<QPointer<FakePageView>> views; // every web view made, in order
    AppWindowOpener program{state, &desktop, services()};

private:
    ProgramRig(const AppPaths &paths, const QString &settingsFile)
        : sim(smallWorld(), [] { return kNow; }) {
        state.paths = paths;
        iniPath = settingsFile;
        settings = std::make_unique<SettingsStore>(iniPath);
        state.settings = settings.get();
        useProgramOpener();
    }
    AppWindowServices services() {
        AppWindowServices s;
        s.showFileDialog = [this](const FileDialogRequest &r) { return fileDialog(r); };
        s.clipboard = [this](QMimeData *data) { clipboard.emplace_back(data); };
        s.openInBrowser = [this](const QUrl &address) {
            openedUrls << address.toString();
            return true;
        };
        s.makeWebView = [this]() -> std::unique_ptr<WebPageView> {
            auto view = std::make_unique<FakePageView>();
            views << view.get();
            return view;
        };
        return s;
    }
    void useProgramOpener() {
        // The simulator draws every picture as it is asked for; a loaded
        // machine (the sanitized run) may take longer than the harness's short
        // timeout, which is there for tests of stalled sites, none of them here.
        downloads.setTransferTimeout(std::chrono::seconds(10));
        state.endpoints = readEndpoints(*settings);
        state.utcNow = [] { return kNow; };
        state.opener = &program;
        windowOpener = &program;
    }
};

} // namespace tavimo::test
