#include "ui/RefusedBox.h"

#include "ui/FixedColours.h"

#include <QColor>
#include <QLineEdit>
#include <QPalette>

namespace tavimo {

namespace {

constexpr char kRefusedProperty[] = "tavimoRefused";

const QColor kRefusedColour(255, 200, 200);

} // namespace

void showRefusal(QLineEdit &box, const QString &why) {
    const bool refused = !why.isEmpty();
    if (refused != showsRefusal(box)) {
        if (refused) {
            // The colours the box had are kept to be given back.
            QPalette palette = box.palette();
            box.setProperty(kRefusedProperty, palette);
            setFixedBackground(palette, QPalette::Base, kRefusedColour);
            box.setPalette(palette);
        } else {
            box.setPalette(box.property(kRefusedProperty).value<QPalette>());
            box.setProperty(kRefusedProperty, QVariant());
        }
    }
    box.setToolTip(why);
}

bool showsRefusal(const QLineEdit &box) {
    return box.property(kRefusedProperty).isValid();
}

} // namespace tavimo
