#include "stations/WebMapTexts.h"

#include <array>

namespace tavimo {

namespace {

WebMapTexts texts(const char16_t *street, const char16_t *satellite, const char16_t *failed,
                  const char16_t *browserOnly, const char16_t *embeddedFailed,
                  const char16_t *cannotOpen, const char16_t *noBrowser) {
    return {QString::fromUtf16(street),         QString::fromUtf16(satellite),
            QString::fromUtf16(failed),         QString::fromUtf16(browserOnly),
            QString::fromUtf16(embeddedFailed), QString::fromUtf16(cannotOpen),
            QString::fromUtf16(noBrowser)};
}

const std::array<WebMapTexts, 5> &allTexts() {
    static const std::array<WebMapTexts, 5> all{
        texts(u"Street view of xxx", u"Satellite view of xxx",
              u"The map view could not be captured. Nothing was saved or copied.",
              u"The map opened in your web browser. Saving and copying the view work only when "
              u"Tavimo shows the map itself.",
              u"The map could not be shown in this window; it opens in your web browser instead.",
              u"This map view cannot be opened:\nxxx", u"No web browser could open xxx"),
        texts(u"Vista de calle de xxx", u"Vista de satélite de xxx",
              u"No se pudo capturar la vista del mapa. No se guardó ni se copió nada.",
              u"El mapa se abrió en su navegador web. Guardar y copiar la vista solo funcionan "
              u"cuando Tavimo muestra el mapa.",
              u"El mapa no se pudo mostrar en esta ventana; se abre en su navegador web.",
              u"Esta vista de mapa no se puede abrir:\nxxx",
              u"Ningún navegador web pudo abrir xxx"),
        texts(u"Straßenansicht von xxx", u"Satellitenansicht von xxx",
              u"Die Kartenansicht konnte nicht aufgenommen werden. Es wurde nichts gespeichert "
              u"oder kopiert.",
              u"Die Karte wurde im Webbrowser geöffnet. Speichern und Kopieren der Ansicht gehen "
              u"nur, wenn Tavimo die Karte selbst zeigt.",
              u"Die Karte konnte in diesem Fenster nicht gezeigt werden; sie öffnet sich "
              u"stattdessen im Webbrowser.",
              u"Diese Kartenansicht kann nicht geöffnet werden:\nxxx",
              u"Kein Webbrowser konnte xxx öffnen"),
        texts(u"Vue de rue de xxx", u"Vue satellite de xxx",
              u"La vue de la carte n'a pas pu être capturée. Rien n'a été enregistré ni copié.",
              u"La carte s'est ouverte dans votre navigateur web. Enregistrer et copier la vue ne "
              u"fonctionnent que lorsque Tavimo affiche la carte lui-même.",
              u"La carte n'a pas pu être affichée dans cette fenêtre ; elle s'ouvre dans votre "
              u"navigateur web.",
              u"Cette vue de carte ne peut pas être ouverte :\nxxx",
              u"Aucun navigateur web n'a pu ouvrir xxx"),
        texts(u"Straatbeeld van xxx", u"Satellietbeeld van xxx",
              u"Het kaartbeeld kon niet worden vastgelegd. Er is niets opgeslagen of gekopieerd.",
              u"De kaart is in uw webbrowser geopend. Opslaan en kopiëren van het beeld werken "
              u"alleen als Tavimo de kaart zelf toont.",
              u"De kaart kon niet in dit venster worden getoond; ze opent in uw webbrowser.",
              u"Deze kaartweergave kan niet worden geopend:\nxxx",
              u"Geen webbrowser kon xxx openen"),
    };
    return all;
}

} // namespace

const WebMapTexts &webMapTexts(int LanguageIndex) {
    const auto &all = allTexts();
    return all[LanguageIndex >= 0 && LanguageIndex < int(all.size()) ? LanguageIndex : 0];
}

} // namespace tavimo
