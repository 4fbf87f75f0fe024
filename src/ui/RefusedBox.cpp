#include "ui/RefusedBox.h"

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
        QPalette palette = box.palette();
        if (refused) {
            // The colour the box had is kept to be given back.
            box.setProperty(kRefusedProperty, palette.color(QPalette::Base));
            palette.setColor(QPalette::Base, kRefusedColour);
        } else {
            palette.setColor(QPalette::Base, box.property(kRefusedProperty).value<QColor>());
            box.setProperty(kRefusedProperty, QVariant());
        }
        box.setPalette(palette);
    }
    box.setToolTip(why);
}

bool showsRefusal(const QLineEdit &box) {
    return box.property(kRefusedProperty).isValid();
}

} // namespace tavimo
