#pragma once

#include "core/app/MainWindowAccess.h"

#include <QFont>
#include <QMap>
#include <QRect>
#include <QStringList>
#include <QWidget>

namespace tavimo::test {

// Stands in for the main window: records what the station windows do to it
// and answers with the slot frames and font a test sets.
class RecordingMainWindow final : public MainWindowAccess {
public:
    QWidget *window() override { return &widget; }
    void setMainEnabled(bool enabled) override {
        widget.setEnabled(enabled);
        log.append(enabled ? QStringLiteral("enable") : QStringLiteral("disable"));
    }
    void activateMain() override { log.append(QStringLiteral("activate")); }
    void StopRefreshTimers() override { log.append(QStringLiteral("stop")); }
    void StartRefreshTimers() override { log.append(QStringLiteral("start")); }
    void resumeRefreshTimers() override { log.append(QStringLiteral("resume")); }
    void armSitesChanged() override { log.append(QStringLiteral("sitesChanged")); }
    void handOverPickedSite(int) override {}
    QString pageCaption(int) const override { return {}; }
    void setPageCaption(int, const QString &) override {}
    void repaintPageItem() override {}
    QString slotCallCaption(int) const override { return {}; }
    QString slotFromCaption(int) const override { return {}; }
    void setSlotCallCaption(int, const QString &) override {}
    void clearSlot(int) override {}
    QRect slotFrameOnScreen(int slot) const override { return frames.value(slot); }
    QFont labelFont() const override { return font; }
    AnimatedPicture *slotPicture(int) override { return nullptr; }

    QWidget widget;
    QStringList log;
    QMap<int, QRect> frames;
    QFont font;
};

} // namespace tavimo::test
