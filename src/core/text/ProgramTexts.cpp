#include "core/text/ProgramTexts.h"

#include "core/text/Language.h"

#include <array>

namespace tavimo {

namespace {

// One text in English, Spanish, German, French and Dutch.
struct HeldText {
    ProgramText text;
    std::array<const char16_t *, kLanguageCount> languages;
};

constexpr std::array<HeldText, kProgramTextCount> kHeldTexts{{
    {ProgramText::PasteTooBig,
     {u"This animated picture is ??? bytes large. Pasting so large a picture may take a "
      u"while. Paste it anyway?",
      u"Esta imagen animada ocupa ??? bytes. Pegar una imagen tan grande puede tardar. "
      u"\u00BFPegarla de todos modos?",
      u"Dieses animierte Bild ist ??? Bytes gro\u00DF. Das Einf\u00FCgen eines so gro\u00DFen "
      u"Bildes kann dauern. Trotzdem einf\u00FCgen?",
      u"Cette image anim\u00E9e fait ??? octets. Coller une image aussi grande peut prendre "
      u"du temps. La coller quand m\u00EAme ?",
      u"Dit geanimeerde beeld is ??? bytes groot. Het plakken van zo'n groot beeld kan even "
      u"duren. Toch plakken?"}},
    {ProgramText::TextTitle,
     {u"Text messages on ?\?'s site", u"Mensajes de texto en el sitio de ??",
      u"Text-Nachrichten auf der Seite von ??", u"Les messages texte sur le site ??",
      u"Tekst berichten op ?\?'s site"}},
    {ProgramText::ReloadMessages,
     {u"Reload messages", u"Recargar mensajes", u"Nachrichten wieder laden",
      u"Recharger les messages", u"Herlaad berichten"}},
    {ProgramText::SaveMessage,
     {u"Save message", u"Guardar mensaje", u"Nachricht sichern", u"Sauver le message",
      u"Bewaar berichten"}},
    // The paste button hands the message to MMSSTV, so every language names MMSSTV.
    {ProgramText::PasteMessage,
     {u"Paste message into MMSSTV", u"Pegar el mensaje en MMSSTV",
      u"Sende Nachricht zum MMSSTV-TX-Fenster", u"D\u00E9poser le message dans MMSSTV",
      u"Plak het bericht in MMSSTV TX"}},
    // Two leading blanks, so that the message list reads "3  Error ..." and the English
    // and Spanish ones are recognised as failures when clicked.
    {ProgramText::TextReadFailed,
     {u"  Error reading the text file.", u"  Error al leer el archivo de texto.",
      u"  Fehler beim laden der Textdatei.", u"  Erreur de transfert du fichier texte.",
      u"  Tekst downloading mislukt."}},
    {ProgramText::Seconds, {u"sec", u"seg", u"Sek.", u"s", u"sec"}},
    {ProgramText::NotStored,
     {u"not stored", u"no guardada", u"nicht gespeichert", u"non enregistr\u00E9e",
      u"niet opgeslagen"}},
    {ProgramText::DataFolderReadOnly,
     {u"Tavimo cannot write into its data folder ??. Pictures cannot be kept there, and "
      u"changes to the site lists will not be saved.",
      u"Tavimo no puede escribir en su carpeta de datos ??. Las im\u00E1genes no se pueden "
      u"guardar all\u00ED y los cambios en las listas de sitios no se guardar\u00E1n.",
      u"Tavimo kann nicht in seinen Datenordner ?? schreiben. Bilder k\u00F6nnen dort nicht "
      u"abgelegt werden, und \u00C4nderungen an den Stationslisten werden nicht gespeichert.",
      u"Tavimo ne peut pas \u00E9crire dans son dossier de donn\u00E9es ??. Les images ne "
      u"peuvent pas y \u00EAtre conserv\u00E9es et les modifications des listes de sites ne "
      u"seront pas enregistr\u00E9es.",
      u"Tavimo kan niet schrijven in zijn gegevensmap ??. Beelden kunnen daar niet bewaard "
      u"worden en wijzigingen in de sitelijsten worden niet opgeslagen."}},
    {ProgramText::TextCut,
     {u"(cut short: the text is too long)", u"(cortado: el texto es demasiado largo)",
      u"(gek\u00FCrzt: der Text ist zu lang)", u"(coup\u00E9 : le texte est trop long)",
      u"(ingekort: de tekst is te lang)"}},

    {ProgramText::EmptyListsNote,
     {u"No sites are listed yet. Add one with %1 \u2192 %2.",
      u"Todav\u00EDa no hay sitios en la lista. A\u00F1ada uno con %1 \u2192 %2.",
      u"Noch sind keine Websites eingetragen. F\u00FCgen Sie eine mit %1 \u2192 %2 hinzu.",
      u"Aucun site n'est encore list\u00E9. Ajoutez-en un avec %1 \u2192 %2.",
      u"Er staan nog geen sites in de lijst. Voeg er een toe met %1 \u2192 %2."}},
    {ProgramText::UnlistableCharacter,
     {u"The site lists cannot keep the character %1 in %2. Please remove or replace it.",
      u"Las listas de sitios no pueden guardar el car\u00E1cter %1 en %2. Qu\u00EDtelo o "
      u"sustit\u00FAyalo.",
      u"Die Stationslisten k\u00F6nnen das Zeichen %1 in %2 nicht speichern. Bitte entfernen "
      u"oder ersetzen Sie es.",
      u"Les listes de sites ne peuvent pas conserver le caract\u00E8re %1 dans %2. Veuillez le "
      u"retirer ou le remplacer.",
      u"De sitelijsten kunnen het teken %1 in %2 niet bewaren. Verwijder of vervang het."}},
    {ProgramText::CoordinateNoNumber,
     {u"Type a number of degrees, such as 52.5 (south and west negative).",
      u"Escriba un n\u00FAmero de grados, como 52.5 (sur y oeste negativos).",
      u"Bitte eine Gradzahl eingeben, etwa 52,5 (S\u00FCd und West negativ).",
      u"Saisissez un nombre de degr\u00E9s, par exemple 52,5 (sud et ouest n\u00E9gatifs).",
      u"Typ een aantal graden, bijvoorbeeld 52,5 (zuid en west negatief)."}},
    {ProgramText::LatitudeOutOfRange,
     {u"A latitude lies between -90 and 90 degrees.",
      u"Una latitud est\u00E1 entre -90 y 90 grados.",
      u"Eine Breite liegt zwischen -90 und 90 Grad.",
      u"Une latitude est comprise entre -90 et 90 degr\u00E9s.",
      u"Een breedtegraad ligt tussen -90 en 90 graden."}},
    {ProgramText::LongitudeOutOfRange,
     {u"A longitude lies between -180 and 180 degrees.",
      u"Una longitud est\u00E1 entre -180 y 180 grados.",
      u"Eine L\u00E4nge liegt zwischen -180 und 180 Grad.",
      u"Une longitude est comprise entre -180 et 180 degr\u00E9s.",
      u"Een lengtegraad ligt tussen -180 en 180 graden."}},
    {ProgramText::KeptWhileRefused,
     {u"Until this box is corrected, the window keeps %1, the value it opened with.",
      u"Hasta que se corrija esta casilla, se mantiene %1, el valor con que se abri\u00F3 "
      u"esta ventana.",
      u"Bis das Feld berichtigt ist, gilt %1, der Wert beim \u00D6ffnen dieses Fensters.",
      u"Tant que cette case n'est pas corrig\u00E9e, %1, la valeur \u00E0 l'ouverture de cette "
      u"fen\u00EAtre, est conserv\u00E9e.",
      u"Tot dit vak verbeterd is, blijft %1 bewaard, de waarde waarmee dit venster openging."}},
    {ProgramText::StreetViewCaption,
     {u"Street view of xxx", u"Vista de calle de xxx", u"Stra\u00DFenansicht von xxx",
      u"Vue de rue de xxx", u"Straatbeeld van xxx"}},
    {ProgramText::SatelliteViewCaption,
     {u"Satellite view of xxx", u"Vista de sat\u00E9lite de xxx", u"Satellitenansicht von xxx",
      u"Vue satellite de xxx", u"Satellietbeeld van xxx"}},
    {ProgramText::MapCaptureFailed,
     {u"The map view could not be captured. Nothing was saved or copied.",
      u"No se pudo capturar la vista del mapa. No se guard\u00F3 ni se copi\u00F3 nada.",
      u"Die Kartenansicht konnte nicht aufgenommen werden. Es wurde nichts gespeichert "
      u"oder kopiert.",
      u"La vue de la carte n'a pas pu \u00EAtre captur\u00E9e. Rien n'a \u00E9t\u00E9 "
      u"enregistr\u00E9 ni copi\u00E9.",
      u"Het kaartbeeld kon niet worden vastgelegd. Er is niets opgeslagen of gekopieerd."}},
    {ProgramText::MapInBrowserOnly,
     {u"The map opened in your web browser. Saving and copying the view work only when "
      u"Tavimo shows the map itself.",
      u"El mapa se abri\u00F3 en su navegador web. Guardar y copiar la vista solo funcionan "
      u"cuando Tavimo muestra el mapa.",
      u"Die Karte wurde im Webbrowser ge\u00F6ffnet. Speichern und Kopieren der Ansicht gehen "
      u"nur, wenn Tavimo die Karte selbst zeigt.",
      u"La carte s'est ouverte dans votre navigateur web. Enregistrer et copier la vue ne "
      u"fonctionnent que lorsque Tavimo affiche la carte lui-m\u00EAme.",
      u"De kaart is in uw webbrowser geopend. Opslaan en kopi\u00EBren van het beeld werken "
      u"alleen als Tavimo de kaart zelf toont."}},
    {ProgramText::EmbeddedMapFailed,
     {u"The map could not be shown in this window; it opens in your web browser instead.",
      u"El mapa no se pudo mostrar en esta ventana; se abre en su navegador web.",
      u"Die Karte konnte in diesem Fenster nicht gezeigt werden; sie \u00F6ffnet sich "
      u"stattdessen im Webbrowser.",
      u"La carte n'a pas pu \u00EAtre affich\u00E9e dans cette fen\u00EAtre ; elle s'ouvre "
      u"dans votre navigateur web.",
      u"De kaart kon niet in dit venster worden getoond; ze opent in uw webbrowser."}},
    {ProgramText::MapCannotOpen,
     {u"This map view cannot be opened:\nxxx", u"Esta vista de mapa no se puede abrir:\nxxx",
      u"Diese Kartenansicht kann nicht ge\u00F6ffnet werden:\nxxx",
      u"Cette vue de carte ne peut pas \u00EAtre ouverte :\nxxx",
      u"Deze kaartweergave kan niet worden geopend:\nxxx"}},
    {ProgramText::NoWebBrowser,
     {u"No web browser could open xxx", u"Ning\u00FAn navegador web pudo abrir xxx",
      u"Kein Webbrowser konnte xxx \u00F6ffnen", u"Aucun navigateur web n'a pu ouvrir xxx",
      u"Geen webbrowser kon xxx openen"}},
    // Two leading blanks part it from the callsign it follows; Dutch has always read English.
    {ProgramText::StationNotFound,
     {u"  not found", u"  no encontrado", u"  nicht gefunden", u"  ne trouve pas", u"  not found"}},
    {ProgramText::CloseButton, {u"Close", u"Cerrar", u"Schlie\u00DFen", u"Fermer", u"Sluiten"}},
    {ProgramText::PageNamesHeading,
     {u"Change page names", u"Cambiar nombres de la p\u00E1gina", u"Wechsle Seitenname",
      u"Changer le nom des pages", u"Wijzig pagina namen"}},
    // The site news headings as the window has always shown them, English where no
    // translation was ever given.
    {ProgramText::NewSitesHeading,
     {u"New site(s) that will be added.", u"New sites that will be added.",
      u"New sites that will be added.", u"Nouveaux sites qui seront ajout\u00E9s.",
      u"Nieuwe sites die toegevoegd worden."}},
    {ProgramText::DiscontinuedSitesHeading,
     {u"Discontinued site(s) that will be removed unless unchecked.",
      u"Discontinued sites that will be removed unless unchecked.",
      u"Discontinued sites that will be removed unless unchecked.",
      u"Retrait des sites arr\u00EAt\u00E9s ou non v\u00E9rifi\u00E9s.",
      u"Be\u00EBindigde sites die verwijderd worden, tenzij niet aangevinkt."}},
    {ProgramText::RenamedSitesHeading,
     {u"Site(s) that have changed callsign.", u"Site(s) that have changed callsign.",
      u"Site(s) that have changed callsign.", u"Site(s) qui ont chang\u00E9 d'indicatif.",
      u"Site(s) that have changed callsign."}},
    {ProgramText::MovedSitesHeading,
     {u"Site(s) that have changed url", u"Site(s) that have changed url",
      u"Site(s) that have changed url", u"Site(s) that have changed url",
      u"Site(s) that have changed url"}},
    {ProgramText::CheckingForNewSites,
     {u"Checking for new sites\nPlease wait . . .", u"Buscando nuevos sitios. . .",
      u"Kontrolle auf neue Seiten. . .", u"Recherche de nouveau sites. . .",
      u"Controleren op nieuwe sites. . ."}},
    {ProgramText::NewSitesChecked,
     {u"Check done: %1 new and %2 discontinued site(s) found.",
      u"Comprobaci\u00F3n terminada: %1 sitio(s) nuevo(s) y %2 dado(s) de baja.",
      u"Pr\u00FCfung beendet: %1 neue und %2 eingestellte Website(s) gefunden.",
      u"V\u00E9rification termin\u00E9e : %1 nouveau(x) site(s) et %2 site(s) "
      u"arr\u00EAt\u00E9(s).",
      u"Controle klaar: %1 nieuwe en %2 be\u00EBindigde site(s) gevonden."}},
    {ProgramText::MoveNotMade,
     {u"not changed: the new address is listed already",
      u"sin cambio: la nueva direcci\u00F3n ya est\u00E1 en la lista",
      u"nicht ge\u00E4ndert: die neue Adresse ist schon in der Liste",
      u"non modifi\u00E9 : la nouvelle adresse est d\u00E9j\u00E0 dans la liste",
      u"niet gewijzigd: het nieuwe adres staat al in de lijst"}},
    // The trailing blank of the French heading is its own.
    {ProgramText::AboutThanks,
     {u"Thanks to", u"Gracias a", u"Danke an", u"Remerciements \u00E0 ", u"Met dank aan"}},
    {ProgramText::AboutSlide1,
     {u"Our test card, as a station sends it before a contact",
      u"Nuestra carta de ajuste, como la env\u00EDa una estaci\u00F3n antes de un contacto",
      u"Unser Testbild, wie eine Station es vor einer Verbindung sendet",
      u"Notre mire, telle qu'une station l'envoie avant un contact",
      u"Ons testbeeld, zoals een station het voor een verbinding uitzendt"}},
    {ProgramText::AboutSlide2,
     {u"A picture as a reception site decodes it, noise and all",
      u"Una imagen tal como la decodifica un sitio receptor, con su ruido",
      u"Ein Bild, wie eine Empfangsstation es dekodiert, samt Rauschen",
      u"Une image telle qu'un site de r\u00E9ception la d\u00E9code, bruit compris",
      u"Een beeld zoals een ontvangstsite het decodeert, met ruis en al"}},
    {ProgramText::AboutSlide3,
     {u"Tavimo showing a page of simulated reception sites",
      u"Tavimo mostrando una p\u00E1gina de sitios receptores simulados",
      u"Tavimo zeigt eine Seite simulierter Empfangsstationen",
      u"Tavimo affichant une page de sites de r\u00E9ception simul\u00E9s",
      u"Tavimo toont een pagina met gesimuleerde ontvangstsites"}},
    {ProgramText::AboutSlide4,
     {u"The gallery: a site's latest pictures side by side",
      u"La galer\u00EDa: las \u00FAltimas im\u00E1genes de un sitio, una junto a otra",
      u"Die Galerie: die letzten Bilder einer Station nebeneinander",
      u"La galerie : les derni\u00E8res images d'un site c\u00F4te \u00E0 c\u00F4te",
      u"De galerij: de laatste beelden van een site naast elkaar"}},
    {ProgramText::AboutSlide5,
     {u"Grid locators: fields, squares and subsquares",
      u"Localizadores: campos, cuadrados y subcuadrados",
      u"Locator: Felder, Quadrate und Kleinfelder",
      u"Locators : champs, carr\u00E9s et sous-carr\u00E9s",
      u"Locators: velden, vierkanten en subvierkanten"}},
    {ProgramText::AboutSlide6,
     {u"Azimuth and distance from your own station",
      u"Azimut y distancia desde su propia estaci\u00F3n",
      u"Richtung und Entfernung von der eigenen Station",
      u"Azimut et distance depuis votre station", u"Richting en afstand vanaf uw eigen station"}},
    {ProgramText::AboutSlide7,
     {u"A weather-satellite pass as a WX site shows it",
      u"Un paso de sat\u00E9lite meteorol\u00F3gico tal como lo muestra un sitio WX",
      u"Ein Wettersatelliten-\u00DCberflug, wie eine WX-Station ihn zeigt",
      u"Un passage de satellite m\u00E9t\u00E9o tel qu'un site WX le montre",
      u"Een overkomst van een weersatelliet zoals een WX-site hem toont"}},
    {ProgramText::AboutSlide8,
     {u"An SSTV signal: sync at 1200 Hz, picture from 1500 to 2300 Hz",
      u"Una se\u00F1al SSTV: sincron\u00EDa a 1200 Hz, imagen de 1500 a 2300 Hz",
      u"Ein SSTV-Signal: Synchronisation bei 1200 Hz, Bild von 1500 bis 2300 Hz",
      u"Un signal SSTV : synchro \u00E0 1200 Hz, image de 1500 \u00E0 2300 Hz",
      u"Een SSTV-signaal: synchronisatie op 1200 Hz, beeld van 1500 tot 2300 Hz"}},
    {ProgramText::AboutSlide9,
     {u"Reception sites around the world, reached by great circles",
      u"Sitios receptores en todo el mundo, unidos por c\u00EDrculos m\u00E1ximos",
      u"Empfangsstationen rund um die Welt, auf Gro\u00DFkreisen erreicht",
      u"Des sites de r\u00E9ception autour du monde, reli\u00E9s par de grands cercles",
      u"Ontvangstsites over de hele wereld, bereikt via grootcirkels"}},
    {ProgramText::AboutSlide10,
     {u"73 from the Tavimo team", u"73 del equipo de Tavimo", u"73 vom Tavimo-Team",
      u"73 de l'\u00E9quipe Tavimo", u"73 van het Tavimo-team"}},
}};

// A row left out or put in the wrong place would hand one text's words to another, or
// none at all; the build stops on either.
constexpr bool heldTextsComplete() {
    for (std::size_t row = 0; row < kHeldTexts.size(); ++row) {
        if (kHeldTexts[row].text != ProgramText(row))
            return false;
        for (const char16_t *text : kHeldTexts[row].languages) {
            if (text == nullptr || *text == u'\0')
                return false;
        }
    }
    return true;
}
static_assert(heldTextsComplete(), "every program text has its row, in order, in all languages");

} // namespace

QString programText(ProgramText text, int languageIndex) {
    const auto row = static_cast<std::size_t>(text);
    if (row >= kHeldTexts.size())
        return {};
    return QString::fromUtf16(
        kHeldTexts[row].languages[static_cast<std::size_t>(clampLanguageIndex(languageIndex))]);
}

} // namespace tavimo
