#pragma once

// Pictures that arrive cut.
//
// Sites rewrite their current picture in place. A download that comes while
// the file is being written is a complete answer of the first part of the
// picture: it decodes to its top over a grey block. Such an answer is not
// taken as the slot's picture; the slot keeps what it shows and asks again.
// A rewrite may take longer than a pass, so two cut answers in a row prove
// nothing; but some sites only ever serve pictures that end short (a JPEG
// without its end marker decodes whole all the same), each pass a new one.
// The cut answers of a slot are therefore counted whatever they hold, and
// from the third in a row on the answer is shown as it is.
//
//     const SplitPicture split = splitPictureTrailer(download);
//     const CutAnswer cut = cuts.takePicture(slot, isPictureWhole(split.picture));
//     if (!isShown(cut)) {
//         ...keep what the slot shows; ask again...
//         return;
//     }

#include <QByteArray>
#include <QHash>

namespace tavimo {

// Whether a picture's bytes (its trailer cut off) run to the picture's end:
// a JPEG reaches its end marker after its scans, a PNG its IEND chunk, a GIF
// its trailer. Bytes after the end are allowed. Formats this cannot judge
// (BMP, anything unknown) count as whole; their decoder has the last word.
// Reads the bytes' structure once, without decoding them.
bool isPictureWhole(const QByteArray &picture);

// The cut answers in a row after which the page's slots show one as it is.
inline constexpr int kCutAnswersShown = 3;

enum class CutAnswer {
    Whole,      // shown
    KeptBack,   // cut: the slot keeps what it shows
    ShownFirst, // cut, and shown as it is for the first time in this row
    ShownAgain, // cut, and shown as it is like the ones before it
};

inline bool isShown(CutAnswer answer) {
    return answer != CutAnswer::KeptBack;
}

// How many cut answers each slot has had in a row, to tell a cut in passing
// from a site that serves nothing else.
class CutPictures {
public:
    // From the `shownFrom`-th cut answer in a row on, the answer is shown.
    explicit CutPictures(int shownFrom = kCutAnswersShown) : shownFrom_(shownFrom) {}

    // A picture of `slot` arrived, whole or cut. A whole one ends the row.
    CutAnswer takePicture(int slot, bool whole);
    // The slot shows another site, or another page is shown.
    void forget(int slot);
    void clear();

private:
    int shownFrom_;
    QHash<int, int> cutsInRow_;
};

} // namespace tavimo
