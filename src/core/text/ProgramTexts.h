#pragma once

#include <QString>

namespace tavimo {

// Texts that no language file carries, held in the program in each language:
// a language file has a fixed number of entries, and a few texts came after it.
// The first group is copied into LanguageTexts by each successful load, so that
// it changes language together with the texts of the file; the windows read the
// others by LanguageIndex, and have them even when no language file loads.
enum class ProgramText {
    // Copied into LanguageTexts.
    PasteTooBig, // "???" the file size
    TextTitle,   // "??" a callsign
    ReloadMessages,
    SaveMessage,
    PasteMessage,
    TextReadFailed,
    Seconds,            // after a number of seconds
    NotStored,          // the picture came but was not kept
    DataFolderReadOnly, // "??" the folder
    TextCut,            // beside a text of which only the head was kept

    // Read by LanguageIndex.
    EmptyListsNote,      // "%1" the Setup menu, "%2" its item that adds a site
    UnlistableCharacter, // "%1" the character, "%2" the field
    CoordinateNoNumber,
    LatitudeOutOfRange,
    LongitudeOutOfRange,
    KeptWhileRefused,     // "%1" the value the window opened with
    StreetViewCaption,    // "xxx" the callsign
    SatelliteViewCaption, // "xxx" the callsign
    MapCaptureFailed,
    MapInBrowserOnly, // why the view cannot be saved or copied
    EmbeddedMapFailed,
    MapCannotOpen,   // "xxx" the job
    NoWebBrowser,    // "xxx" the address
    StationNotFound, // after a callsign no callbook holds
    CloseButton,
    PageNamesHeading,
    NewSitesHeading,
    DiscontinuedSitesHeading,
    RenamedSitesHeading,
    MovedSitesHeading,
    CheckingForNewSites,
    NewSitesChecked, // "%1" the new sites, "%2" the discontinued ones
    MoveNotMade,     // after a move to an address another site holds already
    AboutThanks,     // heads the translators' lines
    AboutSlide1,     // the captions of the About box's ten pictures, in their order
    AboutSlide2,
    AboutSlide3,
    AboutSlide4,
    AboutSlide5,
    AboutSlide6,
    AboutSlide7,
    AboutSlide8,
    AboutSlide9,
    AboutSlide10,

    Count
};

inline constexpr int kProgramTextCount = int(ProgramText::Count);

// The text in a language (0 English, 1 Spanish, 2 German, 3 French, 4 Dutch);
// another index is clamped as LanguageIndex is (clampLanguageIndex).
QString programText(ProgramText text, int languageIndex);

} // namespace tavimo
