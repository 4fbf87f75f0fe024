#include "ui/FixedColours.h"

namespace tavimo {

namespace {

const QColor kDisabledTextOnFixedBackground(120, 120, 120);

QPalette::ColorRole textOn(QPalette::ColorRole background) {
    switch (background) {
    case QPalette::Button:
        return QPalette::ButtonText;
    case QPalette::Base:
        return QPalette::Text;
    default:
        return QPalette::WindowText;
    }
}

} // namespace

void setFixedBackground(QPalette &palette, QPalette::ColorRole background, const QColor &colour) {
    const QPalette::ColorRole text = textOn(background);
    palette.setColor(background, colour);
    palette.setColor(QPalette::Active, text, QColor::fromRgb(kTextOnFixedBackground));
    palette.setColor(QPalette::Inactive, text, QColor::fromRgb(kTextOnFixedBackground));
    palette.setColor(QPalette::Disabled, text, kDisabledTextOnFixedBackground);
}

QString fixedButtonTextStyle() {
    return QStringLiteral(" QPushButton { color: %1; } QPushButton:disabled { color: %2; }")
        .arg(QColor::fromRgb(kTextOnFixedBackground).name(), kDisabledTextOnFixedBackground.name());
}

void setToolTipColours(QPalette &palette) {
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, palette.color(group, QPalette::ToolTipBase));
        palette.setColor(group, QPalette::WindowText, palette.color(group, QPalette::ToolTipText));
    }
}

} // namespace tavimo
