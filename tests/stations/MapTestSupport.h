#pragma once

// A data folder with some of the bundled map pictures, shared data pointing
// at it, and a main window that records what is asked of it: what the map
// window tests stand on.

#include "core/app/AppState.h"
#include "core/app/StartupFiles.h"
#include "support/FakeMainWindow.h"
#include "support/FakePrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace tavimo::test {

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
    FakeMainWindow main;
};

} // namespace tavimo::test
