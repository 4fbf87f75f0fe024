#pragma once

// A main window in a folder of its own: temporary data, program and bundled
// folders, a settings file, fake prompts, a fake connection check and
// single-instance lock, and an opener that records what it was asked.

#include "core/AppPaths.h"
#include "core/AppState.h"
#include "core/DownloadControl.h"
#include "core/SettingsStore.h"
#include "core/TextFile.h"
#include "core/WindowOpener.h"
#include "mainwindow/MainWindow.h"
#include "platform/ConnectionChecker.h"
#include "support/FakePrompts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace tavimo::test {

class RecordingOpener final : public WindowOpener {
public:
    QStringList calls;
    std::function<void()> onCloseAll;

    void openGallery(int r) override { calls << QStringLiteral("openGallery %1").arg(r); }
    void closeGallery() override { calls << QStringLiteral("closeGallery"); }
    void openPictureViewer(const QString &, int, QPoint) override { calls << "openPictureViewer"; }
    void openCaptionZoom(int) override { calls << "openCaptionZoom"; }
    void closeCaptionZoom() override { calls << "closeCaptionZoom"; }
    void openStation(const QString &, bool) override { calls << "openStation"; }
    void openSiteMap(int, double, double) override { calls << "openSiteMap"; }
    void openWebMap(const QString &, const QString &) override { calls << "openWebMap"; }
    void openSiteSelection(bool, int, bool) override { calls << "openSiteSelection"; }
    void rebuildSiteSelection() override { calls << QStringLiteral("rebuildSiteSelection"); }
    void openSiteNews(const QStringList &, bool) override { calls << "openSiteNews"; }
    void openAbout() override { calls << "openAbout"; }
    void openAddSite() override { calls << "openAddSite"; }
    void openEditSite() override { calls << "openEditSite"; }
    void openRemoveSite() override { calls << "openRemoveSite"; }
    void openOwnPosition() override { calls << "openOwnPosition"; }
    void openPageNames() override { calls << "openPageNames"; }
    void openHelp() override { calls << "openHelp"; }
    void openTextMessages(int, const QString &) override { calls << "openTextMessages"; }
    void openLastHeard(int) override { calls << "openLastHeard"; }
    void closeLastHeard() override { calls << "closeLastHeard"; }
    void openPageMap() override { calls << "openPageMap"; }
    void closeAll() override {
        calls << QStringLiteral("closeAll");
        if (onCloseAll)
            onCloseAll();
    }
};

// Two SSTV sites and one WX site, current format.
inline QStringList sampleSiteListLines() {
    return {QStringLiteral("AB1CD*1000000000*1000000000*1000000000*1000000000*51.5*-0.12**"),
            QStringLiteral("http://127.0.0.1:1/ab1cd/image1.jpg"),
            QStringLiteral("EF2GH*2000000000*2000000000*2000000000*2000000000*40*-74**"),
            QStringLiteral("http://127.0.0.1:1/ef2gh/image1.jpg")};
}

inline QStringList sampleWxListLines() {
    return {QStringLiteral("NOAA*1*1*1*1"), QStringLiteral("http://127.0.0.1:1/wx/latest.jpg")};
}

// The fifteen configuration lines with the first six given.
inline QStringList configFileLines(int guiSize, int thumbSetting, int autoRefresh, int seconds,
                                   int startPage, int language = 0) {
    return {QString::number(guiSize), QString::number(thumbSetting), QString::number(autoRefresh),
            QString::number(seconds), QString::number(startPage),    QString::number(language),
            QStringLiteral("52.1"),   QStringLiteral("5.1"),         QStringLiteral("0"),
            QStringLiteral("0"),      QStringLiteral("0"),           QStringLiteral("SIM0OP"),
            QStringLiteral("0"),      QStringLiteral("0"),           QStringLiteral("0")};
}

class Harness {
public:
    // bundledLists: whether the bundled folder holds the default lists (a
    // missing tavimo.lst cannot be tested when provisioning brings it back).
    explicit Harness(bool bundledLists = true) {
        root = dir.path();
        state.paths.dataFolder = root + QStringLiteral("/data/tavimo");
        state.paths.programFolder = root + QStringLiteral("/program");
        state.paths.bundledDataFolder = root + QStringLiteral("/bundled");
        QDir().mkpath(state.paths.programFolder);
        QDir().mkpath(state.paths.bundledDataFolder + QStringLiteral("/Languages"));
        QDir().mkpath(state.paths.dataFolder);
        const QDir source(QStringLiteral(TAVIMO_SOURCE_DATA_DIR));
        const QStringList languages =
            QDir(source.filePath(QStringLiteral("Languages"))).entryList(QDir::Files);
        for (const QString &name : languages)
            QFile::copy(source.filePath(QStringLiteral("Languages/") + name),
                        state.paths.bundledDataFolder + QStringLiteral("/Languages/") + name);
        QStringList files{QStringLiteral("tavimo.cfg")};
        if (bundledLists)
            files << QStringLiteral("tavimo.lst") << QStringLiteral("WXsites.lst");
        for (const QString &name : files)
            QFile::copy(source.filePath(name), state.paths.bundledDataFolder + u'/' + name);

        iniPath = root + QStringLiteral("/config/Tavimo.ini");
        QDir().mkpath(root + QStringLiteral("/config"));
        settings = std::make_unique<SettingsStore>(iniPath);
        downloads.setTransferTimeout(std::chrono::milliseconds(500));

        state.settings = settings.get();
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.opener = &opener;
        state.endpoints = Endpoints::defaults();
        // Nothing leaves the machine: the probe is asked of the fake checker,
        // the time page is off.
        state.endpoints.ConnectionProbe = QStringLiteral("http://127.0.0.1:1/");
        state.endpoints.TimePage.clear();
        state.utcNow = [] { return QDateTime(QDate(2024, 5, 1), QTime(13, 5, 9), Qt::UTC); };
    }

    QString data(const QString &relative) const { return state.paths.data(relative); }

    void writeData(const QString &relative, const QStringList &lines) {
        QDir().mkpath(QFileInfo(data(relative)).absolutePath());
        writeTextLines(data(relative), lines);
    }

    MainWindow &window() {
        if (!window_) {
            MainWindowDeps deps;
            deps.opener = &opener;
            deps.connectionChecker = &checker;
            deps.acquireSingleInstance = [this] { return !otherInstance; };
            deps.folderWritable = [this](const QString &folder) {
                return programFolderWritable && QFileInfo(folder).isDir();
            };
            deps.quit = [this] { ++quits; };
            window_ = std::make_unique<MainWindow>(state, deps);
        }
        return *window_;
    }

    bool startUp() { return window().startUp(); }

    // Closes and destroys the window, as the program does when it ends.
    void closeWindow() {
        if (window_)
            window_->close();
        window_.reset();
        settings->sync();
    }

    static QByteArray fileHash(const QString &path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArrayLiteral("<missing>");
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }

    QTemporaryDir dir;
    QString root;
    QString iniPath;
    std::unique_ptr<SettingsStore> settings;
    FakePrompts prompts;
    DownloadContext downloads;
    FakeConnectionChecker checker{{}, true};
    RecordingOpener opener;
    bool otherInstance = false;
    bool programFolderWritable = true;
    int quits = 0;
    AppState state;

private:
    std::unique_ptr<MainWindow> window_;
};

} // namespace tavimo::test
