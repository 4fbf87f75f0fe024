#include "core/thumbs/CheckPicture.h"

#include "core/base/Numbers.h"

namespace tavimo {

CheckDecision decideCheckPicture(int previousHeight, int checkHeight, int checkWidth) {
    if (previousHeight == 0)
        return CheckDecision::Download;
    if (checkHeight == previousHeight)
        return CheckDecision::NoNewPicture;
    return checkWidth == 1 ? CheckDecision::Download : CheckDecision::NoNewPicture;
}

QColor newPictureFrameColour() {
    return QColor(242, 242, 214);
}

CheckJudgement judgeCheckPicture(const QString &checkCall, QSize checkPictureSize,
                                 const QString &previousHeight, const LanguageTexts &texts) {
    const int width = checkPictureSize.width();
    const int height = checkPictureSize.height();
    CheckJudgement j;
    if (width == 1) {
        j.caption = checkCall + texts.LngNewPicPrefix;
        j.frameColour = newPictureFrameColour();
    } else {
        j.caption = checkCall + texts.LngCallSep;
    }
    const int previous = toInt32(Val(previousHeight)).value_or(0);
    j.decision = decideCheckPicture(previous, height, width);
    j.checkHeight = QString::number(height);
    return j;
}

} // namespace tavimo
