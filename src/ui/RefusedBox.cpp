#include "ui/RefusedBox.h"

#include <QColor>
#include <QLineEdit>
#include <QPalette>

#include <array>

namespace tavimo {

namespace {

constexpr char kRefusedProperty[] = "tavimoRefused";

const QColor kRefusedColour(255, 200, 200);

struct RefusalTexts {
    const char16_t *noNumber;
    const char16_t *latitude;
    const char16_t *longitude;
    const char16_t *kept; // %1: the value kept while a box is refused
};

constexpr std::array<RefusalTexts, 5> kRefusalTexts{{
    {u"Type a number of degrees, such as 52.5 (south and west negative).",
     u"A latitude lies between -90 and 90 degrees.",
     u"A longitude lies between -180 and 180 degrees.",
     u"Until this box is corrected, the window keeps %1, the value it opened with."},
    {u"Escriba un n\u00FAmero de grados, como 52.5 (sur y oeste negativos).",
     u"Una latitud est\u00E1 entre -90 y 90 grados.",
     u"Una longitud est\u00E1 entre -180 y 180 grados.",
     u"Hasta que se corrija esta casilla, se mantiene %1, el valor con que se abri\u00F3 "
     u"esta ventana."},
    {u"Bitte eine Gradzahl eingeben, etwa 52,5 (S\u00FCd und West negativ).",
     u"Eine Breite liegt zwischen -90 und 90 Grad.",
     u"Eine L\u00E4nge liegt zwischen -180 und 180 Grad.",
     u"Bis das Feld berichtigt ist, gilt %1, der Wert beim \u00D6ffnen dieses Fensters."},
    {u"Saisissez un nombre de degr\u00E9s, par exemple 52,5 (sud et ouest n\u00E9gatifs).",
     u"Une latitude est comprise entre -90 et 90 degr\u00E9s.",
     u"Une longitude est comprise entre -180 et 180 degr\u00E9s.",
     u"Tant que cette case n'est pas corrig\u00E9e, %1, la valeur \u00E0 l'ouverture de cette "
     u"fen\u00EAtre, est conserv\u00E9e."},
    {u"Typ een aantal graden, bijvoorbeeld 52,5 (zuid en west negatief).",
     u"Een breedtegraad ligt tussen -90 en 90 graden.",
     u"Een lengtegraad ligt tussen -180 en 180 graden.",
     u"Tot dit vak verbeterd is, blijft %1 bewaard, de waarde waarmee dit venster openging."},
}};

const RefusalTexts &refusalTexts(int languageIndex) {
    const std::size_t index =
        languageIndex >= 0 && languageIndex < int(kRefusalTexts.size()) ? languageIndex : 0;
    return kRefusalTexts[index];
}

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

QString coordinateRefusalText(CoordinateRefusal refusal, CoordinateAxis axis, int languageIndex) {
    const RefusalTexts &texts = refusalTexts(languageIndex);
    switch (refusal) {
    case CoordinateRefusal::None:
        return {};
    case CoordinateRefusal::NoNumber:
        return QString::fromUtf16(texts.noNumber);
    case CoordinateRefusal::OutOfRange:
        break;
    }
    return QString::fromUtf16(axis == CoordinateAxis::Latitude ? texts.latitude : texts.longitude);
}

QString keptWhileRefusedText(const QString &value, int languageIndex) {
    return QString::fromUtf16(refusalTexts(languageIndex).kept).arg(value);
}

CoordinateBox checkCoordinateBox(QLineEdit &box, CoordinateAxis axis, int languageIndex) {
    const CoordinateBox read = readCoordinateBox(box.text(), axis);
    showRefusal(box, coordinateRefusalText(read.refusal, axis, languageIndex));
    return read;
}

} // namespace tavimo
