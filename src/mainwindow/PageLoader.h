#pragma once

// The road of one picture through the main window: a page load places the
// sites and asks each for its check picture; the check picture decides
// whether the picture itself is fetched; the picture is stored without its
// trailer and shown, with its age, or a placeholder takes its place; and once
// every slot of the page has finished, the pass ends.
//
// The decisions live in core (PagePlan, CheckPicture, SlotPictures,
// PictureAge, SlotAssignment), the requests and the pass in the SlotFetcher,
// the drawing in the ThumbGrid; this part applies the one to the others.

#include "core/thumbs/CutPictures.h"
#include "core/thumbs/NotFoundCanvas.h"
#include "core/thumbs/PageKeyOwner.h"
#include "core/thumbs/PagePlan.h"
#include "core/thumbs/SlotAssignment.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <memory>

namespace tavimo {

struct AppState;
struct LanguageTexts;
class SlotFetcher;
class ThumbGrid;
class WindowOpener;

class PageLoader : public QObject {
    Q_OBJECT

public:
    // `opener` may be null; without a download context in `state` nothing is
    // fetched.
    PageLoader(AppState &state, ThumbGrid &grid, WindowOpener *opener, QObject *parent = nullptr);
    ~PageLoader() override;

    // The page loaders: they place the sites of the page shown into their
    // slots and start their downloads, as one pass.
    void LoadSstvPage();
    void LoadWxPage();
    // Fetches the picture of slot `SelectedSlot` again (the slot menu's
    // refresh, a click on a "Not found" slot). It is not counted in the pass.
    void StartSlotFetch();

    // Puts the picked site into the slot the pick was made for and fetches
    // that slot alone, as a pass of its own. Nothing happens when the pick no
    // longer fits the page.
    void assignPickedSite(const SitePick &pick, int siteIndex);
    // No site of the page's list keeps `slot` on this page; the slot empties.
    void leaveSlotBlank(int slot);
    // Empties a slot whose site is gone, its site callsign in the slot table too.
    void clearSlot(int slot);

    // Waits until every slot picture is on disk; anything that reads slot
    // files (viewer, save, paste, clean-up) calls it first.
    void flushSlotPictures();
    // Drops every download, and every ask still to come, without a signal
    // (shutdown).
    void cancelAll();

    // The language changed from `before` to the texts now in force: every
    // caption and placeholder of the slots says the same in the new one.
    void languageChanged(const LanguageTexts &before);
    // The sites of the page shown as the alphabetical list gives them: the
    // name as stored, four blanks and the slot counted from 1 (List1 on an
    // SSTV page, the WX sites on the WX page).
    QStringList alphaListOfPage() const;
    // Null without a download context.
    SlotFetcher *fetcher() const { return fetcher_.get(); }
    // How long a slot whose picture arrived cut waits before it asks again.
    void setCutRetryDelay(std::chrono::milliseconds delay) { cuts_.setRetryDelay(delay); }

    // The sites placed on the SSTV page shown, one entry each: the callsign as
    // stored, four blanks and the slot counted from 1. F2 shows it as the
    // alphabetical list.
    QStringList List1;

signals:
    // Every slot of the pass has finished.
    void passEnded();
    // A page without sites was loaded: no pass end will come.
    void nothingToLoad();
    // A site was put into `slot`, whose pass of one slot has begun.
    void slotReassigned(int slot);

private:
    void startPagePass(const QList<int> &slotList);
    void requestCheckPicture(int slot, int site, const QString &url);
    void requestSlotPicture(int slot, int site);
    void requestWxPicture(int slot, const QString &url, const QString &name);

    // The fetcher's answers.
    void checkPictureReady(const SlotTarget &target, QSize size);
    void checkPictureMissing(const SlotTarget &target);
    void pictureReady(const SlotTarget &target, const QByteArray &bytes);
    void pictureFailed(const SlotTarget &target);
    // A picture arrived cut, or empty: the slot keeps what it shows, with the
    // caption and frame that went with it, and asks again soon or at the next
    // pass, as the verdict says.
    void keepAfterCutPicture(const SlotTarget &target, const CutAnswer &cut);
    // The retry delay after a kept answer has passed: asks for the slot's
    // picture again, with the look the check picture `announced` while it comes.
    void askAgain(const SlotTarget &target, const std::optional<SlotLook> &announced);
    void answerDropped(int slot);
    void pictureNotStored(const QString &file, quint64 write);
    // The slot shows nothing of what this part put there (emptied or given
    // another site).
    void forgetSlot(int slot);

    // Shows a slot picture, still or animated, fitted into the cell; the
    // placeholder when it cannot be shown. `site` is the SiteList index for
    // the age (SSTV pages only). False when the bytes hold no picture.
    bool ShowSlotPicture(const QString &file, int slot, int site, const QByteArray &picture);
    // The age caption and old-picture frame of an SSTV slot.
    void ShowPictureAge(int slot, int site);
    // The "not found" placeholder. pictureRead: the download worked but the
    // picture cannot be shown.
    void ShowNotFound(int slot, int site, bool pictureRead);
    // The placeholder of a picture that came but could not be kept on disk.
    void ShowNotStored(int slot);

    AppState &state_;
    ThumbGrid &grid_;
    WindowOpener *opener_;
    PageKeyOwner keys_;
    SstvPageIndex sstvPages_; // rebuilt when the lists change
    std::unique_ptr<SlotFetcher> fetcher_;
    bool strayImage1Checked_ = false;
    // Slots showing the placeholder, and why.
    QHash<int, MissingPicture> placeholders_;
    // The file write behind the picture each slot shows, so that a write
    // that fails takes the picture away rather than leave it unsaveable.
    struct ShownPicture {
        quint64 write = 0;
        int site = -1;
    };
    QHash<int, ShownPicture> shownPictures_;
    // Pictures that arrived cut, the look each slot keeps meanwhile, and the
    // slots that ask again soon.
    CutPictures cuts_;
    int loadedPage_ = 0;
};

} // namespace tavimo
