#pragma once

// Judging a site's check picture.
//
// Beside its picture a site keeps a tiny picture, "checknew.jpg". A width of
// 1 pixel means the site has a picture newer than the last one it announced;
// the height changes with every new picture. Comparing the height with the one
// remembered in `stCheckHeight` decides whether the picture is fetched.
//
// In the main window's check-picture handler, once answerStillFits gave
// `target`:
//
//     const CheckJudgement j = judgeCheckPicture(slotTable.value(slot, stSiteCall),
//                                                picture.size(),
//                                                slotTable.value(slot, stCheckHeight), texts);
//     lblCall[slot] = j.caption;
//     Shape1[slot] colour = j.frameColour.value_or(windowBackground);
//     lblConnect[slot] hidden; lblFrom[slot] shown;
//     slotTable.setValue(slot, stCheckHeight, j.checkHeight);
//     if (j.decision == CheckDecision::NoNewPicture) {
//         ...ageDisplay() for the slot...
//         if (pass.finish(slot)) endOfPass();
//     } else {
//         removeStrayImage1Files(paths.data("images/sstv"));
//         picProg[slot] shown;
//         ucDnLoad.downloadFile(requestUrl(SiteList[target.site].PictureUrl),
//                               pictureKey(page.CurrentPage, slot, target.site));
//     }

#include "core/text/Language.h"

#include <QColor>
#include <QSize>
#include <QString>

#include <optional>

namespace tavimo {

enum class CheckDecision {
    Download,     // fetch the picture; the slot finishes with its answer
    NoNewPicture, // keep what is shown; the slot is finished now
};

// The decision table:
//   previous height 0 (none remembered)           -> download
//   height equal to the previous one               -> no new picture
//   height changed and width 1                     -> download
//   height changed and any other width             -> no new picture
CheckDecision decideCheckPicture(int previousHeight, int checkHeight, int checkWidth);

// The frame colour of a slot whose site announces a new picture.
QColor newPictureFrameColour();

struct CheckJudgement {
    CheckDecision decision = CheckDecision::Download;
    // lblCall: the slot's callsign & LngNewPicPrefix when the check picture is
    // 1 pixel wide, else the callsign & LngCallSep.
    QString caption;
    // The frame: the new-picture colour for a 1-pixel-wide check picture;
    // nothing means the main window's background colour.
    std::optional<QColor> frameColour;
    // What `stCheckHeight` holds from now on: the height as decimal text.
    QString checkHeight;
};

// The whole judgement of one check picture. `checkCall` is the slot's
// `stSiteCall`, `previousHeight` its `stCheckHeight` (read as a number; "" is
// 0, so the first check picture of a slot always leads to a download).
CheckJudgement judgeCheckPicture(const QString &checkCall, QSize checkPictureSize,
                                 const QString &previousHeight, const LanguageTexts &texts);

} // namespace tavimo
