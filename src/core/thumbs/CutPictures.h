#pragma once

// Pictures that arrive cut.
//
// Sites rewrite their current picture in place. A download that comes while
// the file is being written is a complete answer of the first part of the
// picture: it decodes to its top over a grey block. Such an answer is not
// taken as the slot's picture; the slot keeps what it shows and asks again.
// Only when the same check picture leads to a cut answer twice in a row (a
// site that only ever serves it cut) is the picture shown as it is.
//
//     const SplitPicture split = splitPictureTrailer(download);
//     if (!cuts.takePicture(slot, isPictureWhole(split.picture))) {
//         ...keep what the slot shows; ask again...
//         return;
//     }

#include <QByteArray>
#include <QHash>
#include <QSize>

namespace tavimo {

// Whether a picture's bytes (its trailer cut off) run to the picture's end:
// a JPEG reaches its end marker after its scans, a PNG its IEND chunk, a GIF
// its trailer. Bytes after the end are allowed. Formats this cannot judge
// (BMP, anything unknown) count as whole; their decoder has the last word.
// Reads the bytes' structure once, without decoding them.
bool isPictureWhole(const QByteArray &picture);

// What each slot last received cut, to tell a cut in passing from a site that
// serves nothing else.
class CutPictures {
public:
    // The check picture that leads to the slot's next download (an empty size
    // when there is none).
    void checkAnswered(int slot, QSize checkSize);
    // A picture of `slot` arrived: true when it is to be shown (it is whole,
    // or it is the second cut answer in a row for the same check picture).
    bool takePicture(int slot, bool whole);
    // The slot shows another site, or another page is shown.
    void forget(int slot);
    void clear();

private:
    struct Slot {
        QSize check;    // the check picture of the download under way
        QSize cutCheck; // the check picture of the last cut answer
        int cutsInRow = 0;
    };
    QHash<int, Slot> slots_;
};

} // namespace tavimo
