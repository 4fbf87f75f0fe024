#pragma once

// The one stand-in for the main window as the other windows reach it. It notes
// every call that changes something as a word in `calls` and answers with what
// the test set: page captions, slot captions, slot frames, the label font and
// the widget that stands for the window (its placement is the test's to set).

#include "core/app/MainWindowAccess.h"

#include <QFont>
#include <QList>
#include <QMap>
#include <QRect>
#include <QStringList>
#include <QWidget>

namespace tavimo::test {

class FakeMainWindow final : public MainWindowAccess {
public:
    static constexpr int kPages = 11; // ten SSTV pages and the WX page
    static constexpr int kSlots = 30;

    FakeMainWindow() : callCaptions(kSlots), fromCaptions(kSlots) {
        for (int page = 1; page <= kPages; ++page)
            pageCaptions << QStringLiteral("Page %1").arg(page);
    }

    // The calls in order: "disable", "enable", "activate", "stop", "start",
    // "resume", "loading" and "plain" (the gallery's pass on the Refresh item),
    // "reload" (the site lists changed), "pick <site index>",
    // "clear <slot>", "repaint <caption of the page shown>".
    QStringList calls;
    // How many calls were `word`, with or without something after it.
    qsizetype count(const QString &word) const {
        qsizetype n = 0;
        for (const QString &call : calls)
            n += call == word || call.startsWith(word + u' ');
        return n;
    }
    // The numbers of the calls "<word> <number>", in order.
    QList<int> numbers(const QString &word) const {
        QList<int> found;
        for (const QString &call : calls) {
            if (call.startsWith(word + u' '))
                found << call.mid(word.size() + 1).toInt();
        }
        return found;
    }

    // The window itself; setMainEnabled enables and disables it. window()
    // answers `asWindow`, which a test may set null.
    QWidget widget;
    QWidget *asWindow = &widget;
    QStringList pageCaptions; // pages 1 to 11 at 0 to 10, "Page 1" and so on
    int shownPage = 1;
    QStringList callCaptions; // per slot
    QStringList fromCaptions; // per slot
    QMap<int, QRect> frames;  // per slot; empty for a slot not set
    QFont font;

    QWidget *window() override { return asWindow; }
    void setMainEnabled(bool enabled) override {
        widget.setEnabled(enabled);
        note(enabled ? "enable" : "disable");
    }
    void activateMain() override { note("activate"); }
    void StopRefreshTimers() override { note("stop"); }
    void StartRefreshTimers() override { note("start"); }
    void resumeRefreshTimers() override { note("resume"); }
    void setGalleryLoading(bool running) override { note(running ? "loading" : "plain"); }
    void armSitesChanged() override { note("reload"); }
    void handOverPickedSite(int siteIndex) override {
        calls << QStringLiteral("pick %1").arg(siteIndex);
    }
    QString pageCaption(int page) const override { return pageCaptions.value(page - 1); }
    void setPageCaption(int page, const QString &caption) override {
        if (page >= 1 && page <= pageCaptions.size())
            pageCaptions[page - 1] = caption;
    }
    void repaintPageItem() override {
        calls << QStringLiteral("repaint ") + pageCaptions.value(shownPage - 1);
    }
    QString slotCallCaption(int slot) const override { return callCaptions.value(slot); }
    QString slotFromCaption(int slot) const override { return fromCaptions.value(slot); }
    void setSlotCallCaption(int slot, const QString &caption) override {
        if (slot >= 0 && slot < callCaptions.size())
            callCaptions[slot] = caption;
    }
    void clearSlot(int slot) override { calls << QStringLiteral("clear %1").arg(slot); }
    QRect slotFrameOnScreen(int slot) const override { return frames.value(slot); }
    QFont labelFont() const override { return font; }
    AnimatedPicture *slotPicture(int) override { return nullptr; }

private:
    void note(const char *word) { calls << QString::fromLatin1(word); }
};

} // namespace tavimo::test
