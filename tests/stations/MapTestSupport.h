#pragma once

// A data folder with some of the bundled map pictures, shared data pointing
// at it, and a main window that records what is asked of it: what the map
// window tests stand on.

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/StartupFiles.h"
#include "support/FakePrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace tavimo::test {

class MapTestMainWindow final : public MainWindowAccess {
public:
    QWidget *window() override { return nullptr; }
    void setMainEnabled(bool enabled) override { enabledCalls.append(enabled); }
    void activateMain() override { ++activations; }
    void StopRefreshTimers() override {}
    void StartRefreshTimers() override {}
    void resumeRefreshTimers() override {}
    void armSitesChanged() override {}
    void handOverPickedSite(int) override {}
    QString pageCaption(int) const override { return {}; }
    void setPageCaption(int, const QString &) override {}
    void repaintPageItem() override {}
    QString slotCallCaption(int) const override { return {}; }
    QString slotFromCaption(int slot) const override { return fromCaptions.value(slot); }
    void setSlotCallCaption(int, const QString &) override {}
    void clearSlot(int) override {}
    QRect slotFrameOnScreen(int) const override { return {}; }
    QFont labelFont() const override { return {}; }
    AnimatedPicture *slotPicture(int) override { return nullptr; }

    QList<bool> enabledCalls;
    int activations = 0;
    QStringList fromCaptions; // the sender label of each slot
};

struct MapFixture {
    // Copies the named bundled pictures ("Europe Map.png", ...) into Maps.
    explicit MapFixture(const QStringList &pictures) {
        state.paths.dataFolder = dir.path();
        QDir().mkpath(state.paths.data(QStringLiteral("Maps")));
        for (const QString &name : pictures) {
            QFile::copy(QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Maps/") + name,
                        state.paths.data(QStringLiteral("Maps/") + name));
        }
        state.lstMap = buildMapList(state.paths.data(QStringLiteral("Maps")));
        state.prompts = &prompts;
        state.mainWindow = &main;
        state.texts.LngMe = QStringLiteral("Me");
        state.texts.LngKm = QStringLiteral("km");
        state.texts.LngMiles = QStringLiteral("miles");
        state.texts.LngFromPrefix = QStringLiteral("From: ");
    }

    int mapIndex(const QString &picture) const { return int(state.lstMap.indexOf(picture)); }

    QTemporaryDir dir;
    AppState state;
    FakePrompts prompts;
    MapTestMainWindow main;
};

} // namespace tavimo::test
