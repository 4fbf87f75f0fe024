#pragma once

// A stand-in for the main window: a plain widget that notes what the site
// windows ask of it, with thirty slot captions that a test can set.

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/SlotCaptionWriter.h"
#include "core/files/SettingsStore.h"
#include "support/FakePrompts.h"

#include <QDir>
#include <QFont>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace tavimo::test {

using namespace Qt::StringLiterals;

class FakeMainWindow final : public MainWindowAccess, public SlotCaptionWriter {
public:
    FakeMainWindow() : captions(30), fromCaptions(30) {
        widget.resize(900, 700);
        widget.move(100, 80);
        widget.winId(); // a native window, to be blocked by modal dialogs
    }

    QWidget widget;
    int stopped = 0;
    int resumed = 0;
    int reloads = 0;
    int activated = 0;
    QList<int> handedOver;
    QList<int> cleared;
    QStringList captions;
    QStringList fromCaptions;

    QWidget *window() override { return &widget; }
    void setMainEnabled(bool enabled) override { widget.setEnabled(enabled); }
    void activateMain() override { ++activated; }
    void StopRefreshTimers() override { ++stopped; }
    void StartRefreshTimers() override { ++resumed; }
    void resumeRefreshTimers() override { ++resumed; }
    void armSitesChanged() override { ++reloads; }
    void handOverPickedSite(int siteIndex) override { handedOver << siteIndex; }
    QString pageCaption(int page) const override { return u"Page %1"_s.arg(page); }
    void setPageCaption(int, const QString &) override {}
    void repaintPageItem() override {}
    QString slotCallCaption(int slot) const override { return captions.value(slot); }
    QString slotFromCaption(int slot) const override { return fromCaptions.value(slot); }
    void clearSlot(int slot) override {
        cleared << slot;
        if (slot >= 0 && slot < captions.size())
            captions[slot].clear();
    }
    QRect slotFrameOnScreen(int) const override { return {}; }
    QFont labelFont() const override { return widget.font(); }
    AnimatedPicture *slotPicture(int) override { return nullptr; }
    void setSlotCallCaption(int slot, const QString &caption) override {
        if (slot >= 0 && slot < captions.size())
            captions[slot] = caption;
    }
};

// Shared data in a temporary data folder, with the fake main window, fake
// prompts and a settings file of its own.
struct SiteWindowsHarness {
    QTemporaryDir dir;
    FakePrompts prompts;
    FakeMainWindow main;
    std::unique_ptr<SettingsStore> settings;
    AppState state;

    SiteWindowsHarness() {
        state.paths.dataFolder = dir.path() + u"/tavimo"_s;
        state.paths.programFolder = dir.path() + u"/program"_s;
        QDir().mkpath(state.paths.dataFolder);
        settings = std::make_unique<SettingsStore>(dir.path() + u"/Tavimo.ini"_s);
        state.settings = settings.get();
        state.prompts = &prompts;
        state.mainWindow = &main;
        state.sitesLoaded = true;
        state.wxSitesLoaded = true;
        state.config.ThumbSetting = 2;
        state.config.AutoRefreshMode = 1;
        state.texts.LngCall = u"Callsign:"_s;
        state.texts.LngLat = u"Latitude:"_s;
        state.texts.LngLon = u"Longitude:"_s;
        state.texts.LngAddButton = u"Add"_s;
        state.texts.LngSaveChange = u"Save changes"_s;
        state.texts.LngRemoveButton = u"Remove"_s;
        state.texts.LngGetLatLon = u"Look up"_s;
    }
};

} // namespace tavimo::test
