#pragma once

// Pictures that arrive cut.
//
// Sites rewrite their current picture in place. A download that comes while
// the file is being written is a complete answer of the first part of the
// picture: it decodes to its top over a grey block. No count of such answers
// tells a file still being written from one that is complete but unusual (a
// JPEG without its end marker, an upload that died): two answers do. A file
// being written changes between two requests a few seconds apart; a file cut
// for good gives the same bytes again. So a cut answer is shown as it is only
// when the site gives the same bytes a second time; until then the slot keeps
// what it shows and asks again. An answer too short to hold a picture's
// signature is one more cut answer, every such answer the same: given twice,
// the slot shows the "not found" placeholder. A slot whose last answer was cut
// or empty, shown or not, is asked again at every pass whatever its check
// picture says, until its site gives a whole picture: a write that stood still
// past a pass and then ended is fetched whole at the next pass.
//
//     const SplitPicture split = splitPictureTrailer(download);
//     const CutAnswer cut = cuts.take(slot, split.picture);
//     if (isShown(cut.verdict)) ... // show it (an empty one as the placeholder)
//     else ...                      // keep what the slot shows, put back cut.look,
//                                   // and cuts.askSoon() when the verdict says so
//
// The soon asks wait here, where a language change reaches the captions they
// put back, and end with the pass, the slot or the page they were made for.

#include "core/thumbs/DownloadKeys.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace tavimo {

// Whether a picture's bytes (its trailer cut off) run to the picture's end:
// a JPEG reaches its end marker after its scans, a PNG its IEND chunk, a GIF
// its trailer. Bytes after the end are allowed. Formats this cannot judge
// (BMP, anything unknown) count as whole; their decoder has the last word.
// Reads the bytes' structure once, without decoding them.
bool isPictureWhole(const QByteArray &picture);

// An answer this short holds no picture's signature: an empty answer, or a
// trailer alone. Every such answer counts as the same bytes.
inline constexpr qsizetype kPictureSignatureBytes = 8;

inline bool isPictureEmpty(const QByteArray &picture) {
    return picture.size() < kPictureSignatureBytes;
}

// How long a slot whose answer was cut waits before it asks again: long
// enough for a file being written to grow, short enough that a picture cut for
// good is shown within seconds.
inline constexpr std::chrono::milliseconds kCutRetryDelay{5000};

// What a window does with an answer.
enum class CutVerdict {
    Show,        // a whole picture; a cut or empty one shown once more since the last
                 // whole one; the gallery's last answer when its asks ran out
    ShowCut,     // cut or empty and shown as it is, the first since a whole picture
                 // (worth a log line)
    AskSoon,     // keep what the slot shows; ask again after the retry delay
    AskNextPass, // keep what the slot shows (the very bytes it shows came again, say);
                 // ask again at the next pass
};

inline bool isShown(CutVerdict verdict) {
    return verdict == CutVerdict::Show || verdict == CutVerdict::ShowCut;
}

// How often a slot asks again soon before it leaves the rest to the next pass
// (the page's slots), or shows the last answer as it is (the gallery's cells,
// looked at once and not watched pass after pass).
struct CutRule {
    int soonAsks = 1;
    bool showWhenAsksRunOut = false;
};
inline constexpr CutRule kPageCutRule{1, false};
inline constexpr CutRule kGalleryCutRule{3, true};

// The caption and frame a slot showed before its check picture announced a
// new picture: what an answer that is kept leaves in place ("new" would
// announce a picture that is not there).
struct SlotLook {
    QString caption;
    QColor frame;
};

struct CutAnswer {
    CutVerdict verdict = CutVerdict::Show;
    std::optional<SlotLook> look; // to put back when the answer is kept
};

// The cut answers of one slot.
class SlotCuts {
public:
    // An answer of the slot, its trailer cut off.
    CutVerdict take(const QByteArray &picture, const CutRule &rule);
    // The last answer was cut or empty: ask whatever the check picture says.
    bool askAtNextPass() const { return askAtNextPass_; }
    // A new pass: the slot may ask soon again.
    void passStarted() { soonAsked_ = 0; }
    // Something else took the place of the cut answer shown: those bytes,
    // given again, are shown again, at once (they came twice already).
    void shownAnswerGone();

private:
    CutVerdict cutShown();

    QByteArray held_;  // digest of the cut answer kept back last
    QByteArray shown_; // digest of the cut answer shown
    int soonAsked_ = 0;
    bool askAtNextPass_ = false;
    bool cutShown_ = false; // since the last whole picture
};

// The cut answers of every slot of a grid, the look each keeps, and the
// slots that ask again soon.
class CutPictures : public QObject {
    Q_OBJECT

public:
    explicit CutPictures(CutRule rule = kPageCutRule, QObject *parent = nullptr);

    // How long a slot whose answer was kept waits before it asks again.
    void setRetryDelay(std::chrono::milliseconds delay) { retryDelay_ = delay; }

    // A fetch of `slot` begins; `look` is what a kept answer leaves. The
    // second form keeps a look already set for the fetch running.
    void setLook(int slot, const SlotLook &look);
    void setLookUnlessSet(int slot, const SlotLook &look);
    // The fetch ended without an answer to judge (failed, dropped, nothing new).
    void endFetch(int slot);

    // An answer of `slot`, its trailer cut off. The fetch ends: the look goes
    // with the answer, and a soon ask still waiting is not needed any more.
    CutAnswer take(int slot, const QByteArray &picture);
    bool askAtNextPass(int slot) const;
    // The slot's failure placeholder, or another that is not its answer's,
    // replaced the cut answer it showed.
    void shownAnswerGone(int slot);

    // After AskSoon: askAgain(target, announced) comes once the retry delay
    // has passed, unless a pass starts, the slot is forgotten, or another
    // answer of it comes first. `announced` is the look the slot shows while
    // it asks (what its check picture said); `kept` is the look its fetch
    // leaves again if the answer is kept once more.
    void askSoon(const SlotTarget &target, const std::optional<SlotLook> &announced,
                 const std::optional<SlotLook> &kept);

    // A new pass: it asks for itself.
    void startPass();
    // The language changed: the kept and announced captions say the same in
    // the new one.
    void recaptionLooks(const std::function<QString(const QString &)> &recaption);
    // The slot shows another site, or another page is shown.
    void forget(int slot);
    void clear();

signals:
    // The retry delay of a soon ask has passed: the window shows `announced`
    // (when there is one) and asks for the slot's picture again.
    void askAgain(const tavimo::SlotTarget &target,
                  const std::optional<tavimo::SlotLook> &announced);

private:
    struct SoonAsk {
        quint64 ticket = 0;
        SlotTarget target;
        std::optional<SlotLook> announced;
        std::optional<SlotLook> kept;
    };
    void soonAskDue(int slot, quint64 ticket);

    CutRule rule_;
    std::chrono::milliseconds retryDelay_ = kCutRetryDelay;
    QHash<int, SlotCuts> slots_;
    QHash<int, SlotLook> looks_;
    QHash<int, SoonAsk> soonAsks_;
    quint64 lastTicket_ = 0;
};

} // namespace tavimo
