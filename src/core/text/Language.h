#pragma once

#include <QMap>
#include <QString>

#include <algorithm>
#include <array>

namespace tavimo {

class Prompts;

// The shared texts of the current language. Every text that a language file
// fills is empty until the first successful load; the texts held in the program
// are set by that load too, so one language never mixes with another.
struct LanguageTexts {
    // Filled from the language file (entries 32 to 96).
    QString LngBarCaption;
    QString LngWxPage;
    QString LngManual;
    QString LngRefresh;
    QString LngLast30Tpl; // "**" a number, "??" a callsign
    QString LngSstvList;
    QString LngWxList;
    QString LngAddToSstv;
    QString LngAddToWx;
    QString LngCall;
    QString LngUrlRules; // two entries joined by CR LF
    QString LngAddButton;
    QString LngEditHint;
    QString LngSaveChange;
    QString LngRemoveHint;
    QString LngRemoveButton;
    QString LngNewPicPrefix; // starts with a blank
    QString LngCallSep;      // starts with a blank
    QString LngFailed;
    QString LngOffline;
    QString LngNoConnection;
    QString LngCannotShow;
    QString LngAlreadyRunning;
    QString LngLoading;
    QString LngSetup;
    QString LngRefreshSite;
    QString LngPage; // ends with a blank
    QString LngSelectSite;
    QString LngSave;
    QString LngPaste;
    QString LngLeave;
    QString LngInstructions; // two entries joined by CR LF
    QString LngGrid;
    QString LngLat;
    QString LngLon;
    QString LngDx;
    QString LngMiles;
    QString LngKm;
    QString LngGetLatLon;
    QString LngMe;
    QString LngDay;
    QString LngDays;
    QString LngMapLocTpl; // "??" a callsign
    QString LngNoPosTpl;  // "??" a callsign
    QString LngLookupTpl; // "??" a callsign
    QString LngNoHome;
    QString LngUpdate;
    QString LngNewVersion;
    QString LngFromPrefix;
    QString LngLastHeard;
    QString LngNotFound1;
    QString LngNotFound2;
    QString LngNotFound3;
    QString LngReloadPage;
    // Entries that are read but that no window shows, by entry number; the file
    // format keeps their positions.
    QMap<int, QString> unusedEntries;

    // Held in the program, one set per language (core/text/ProgramTexts.h).
    QString LngPasteTooBig; // "???" the file size
    QString LngTextTitle;   // "??" a callsign
    QString LngReloadMessages;
    QString LngSaveMessage;
    QString LngPasteMessage;
    QString LngTextReadFailed;
    QString LngSeconds;            // after a number of seconds: "sec"
    QString LngNotStored;          // placeholder line C: the picture came but was not kept
    QString LngDataFolderReadOnly; // "??" the folder that cannot be written
    QString LngTextCut;            // beside a text of which only the head was kept
};

// A shared text and the entry (or two joined entries) of the language file that
// fills it, with the blanks the loader adds around the value.
struct LanguageTextSlot {
    int entry;
    int lastEntry; // entry + 1 when two entries are joined by CR LF
    QString LanguageTexts::*text;
    const char *name;
    const char *prefix;
    const char *suffix;
};

inline constexpr std::array<LanguageTextSlot, 54> kLanguageTextSlots{{
    {32, 32, &LanguageTexts::LngBarCaption, "LngBarCaption", "", ""},
    {33, 33, &LanguageTexts::LngWxPage, "LngWxPage", "", ""},
    {34, 34, &LanguageTexts::LngManual, "LngManual", "", ""},
    {35, 35, &LanguageTexts::LngRefresh, "LngRefresh", "", ""},
    {36, 36, &LanguageTexts::LngLast30Tpl, "LngLast30Tpl", "", ""},
    {37, 37, &LanguageTexts::LngSstvList, "LngSstvList", "", ""},
    {38, 38, &LanguageTexts::LngWxList, "LngWxList", "", ""},
    {39, 39, &LanguageTexts::LngAddToSstv, "LngAddToSstv", "", ""},
    {40, 40, &LanguageTexts::LngAddToWx, "LngAddToWx", "", ""},
    {41, 41, &LanguageTexts::LngCall, "LngCall", "", ""},
    {42, 43, &LanguageTexts::LngUrlRules, "LngUrlRules", "", ""},
    {44, 44, &LanguageTexts::LngAddButton, "LngAddButton", "", ""},
    {45, 45, &LanguageTexts::LngEditHint, "LngEditHint", "", ""},
    {46, 46, &LanguageTexts::LngSaveChange, "LngSaveChange", "", ""},
    {47, 47, &LanguageTexts::LngRemoveHint, "LngRemoveHint", "", ""},
    {48, 48, &LanguageTexts::LngRemoveButton, "LngRemoveButton", "", ""},
    {50, 50, &LanguageTexts::LngNewPicPrefix, "LngNewPicPrefix", " ", ""},
    {51, 51, &LanguageTexts::LngCallSep, "LngCallSep", " ", ""},
    {53, 53, &LanguageTexts::LngFailed, "LngFailed", "", ""},
    {54, 54, &LanguageTexts::LngOffline, "LngOffline", "", ""},
    {55, 55, &LanguageTexts::LngNoConnection, "LngNoConnection", "", ""},
    {56, 56, &LanguageTexts::LngCannotShow, "LngCannotShow", "", ""},
    {57, 57, &LanguageTexts::LngAlreadyRunning, "LngAlreadyRunning", "", ""},
    {58, 58, &LanguageTexts::LngLoading, "LngLoading", "", ""},
    {59, 59, &LanguageTexts::LngSetup, "LngSetup", "", ""},
    {60, 60, &LanguageTexts::LngRefreshSite, "LngRefreshSite", "", ""},
    {61, 61, &LanguageTexts::LngPage, "LngPage", "", " "},
    {62, 62, &LanguageTexts::LngSelectSite, "LngSelectSite", "", ""},
    {63, 63, &LanguageTexts::LngSave, "LngSave", "", ""},
    {64, 64, &LanguageTexts::LngPaste, "LngPaste", "", ""},
    {65, 65, &LanguageTexts::LngLeave, "LngLeave", "", ""},
    {66, 67, &LanguageTexts::LngInstructions, "LngInstructions", "", ""},
    {68, 68, &LanguageTexts::LngGrid, "LngGrid", "", ""},
    {69, 69, &LanguageTexts::LngLat, "LngLat", "", ""},
    {70, 70, &LanguageTexts::LngLon, "LngLon", "", ""},
    {71, 71, &LanguageTexts::LngDx, "LngDx", "", ""},
    {72, 72, &LanguageTexts::LngMiles, "LngMiles", "", ""},
    {73, 73, &LanguageTexts::LngKm, "LngKm", "", ""},
    {74, 74, &LanguageTexts::LngGetLatLon, "LngGetLatLon", "", ""},
    {75, 75, &LanguageTexts::LngMe, "LngMe", "", ""},
    {77, 77, &LanguageTexts::LngDay, "LngDay", "", ""},
    {78, 78, &LanguageTexts::LngDays, "LngDays", "", ""},
    {80, 80, &LanguageTexts::LngMapLocTpl, "LngMapLocTpl", "", ""},
    {81, 81, &LanguageTexts::LngNoPosTpl, "LngNoPosTpl", "", ""},
    {82, 82, &LanguageTexts::LngLookupTpl, "LngLookupTpl", "", ""},
    {83, 83, &LanguageTexts::LngNoHome, "LngNoHome", "", ""},
    {84, 84, &LanguageTexts::LngUpdate, "LngUpdate", "", ""},
    {85, 85, &LanguageTexts::LngNewVersion, "LngNewVersion", "", ""},
    {86, 86, &LanguageTexts::LngFromPrefix, "LngFromPrefix", "", ""},
    {89, 89, &LanguageTexts::LngLastHeard, "LngLastHeard", "", ""},
    {90, 90, &LanguageTexts::LngNotFound1, "LngNotFound1", "", ""},
    {91, 91, &LanguageTexts::LngNotFound2, "LngNotFound2", "", ""},
    {92, 92, &LanguageTexts::LngNotFound3, "LngNotFound3", "", ""},
    {93, 93, &LanguageTexts::LngReloadPage, "LngReloadPage", "", ""},
}};

// Entries that no window uses; they are kept in LanguageTexts::unusedEntries.
inline constexpr std::array<int, 9> kUnusedLanguageEntries{49, 52, 76, 79, 87, 88, 94, 95, 96};

// Entries 1 to 31 are captions of main-window menu items. index is the element of a
// menu array, or -1 for a single item.
struct MenuCaptionSlot {
    int entry;
    const char *menu;
    int index;
};

inline constexpr std::array<MenuCaptionSlot, 31> kMenuCaptionSlots{{
    {1, "mnuLang", 0},      {2, "mnuLang", 1},        {3, "mnuLang", 2},
    {4, "mnuLang", 3},      {5, "mnuLang", 4},        {6, "mnuLanguage", -1},
    {7, "mnuAdd", -1},      {8, "mnuEdit", -1},       {9, "mnuRemove", -1},
    {10, "mnuRefRate", -1}, {11, "mnuGUI", -1},       {12, "mnuGUIsizes", 0},
    {13, "mnuGUIsizes", 1}, {14, "mnuGUIsizes", 2},   {15, "mnuGUIsizes", 3},
    {16, "mnuThumbs", -1},  {17, "mnustartup", -1},   {18, "mnustartDSSTV", -1},
    {19, "mnustartWX", -1}, {20, "mnuHelp", -1},      {21, "mnuAbout", -1},
    {22, "mnuRate", 4},     {23, "mnuFind", -1},      {24, "mnuThisPage", -1},
    {25, "mnuAll", -1},     {26, "mnupgSel", -1},     {27, "mnuLatLon", -1},
    {28, "mnuCall", -1},    {29, "mnuEarthView", -1}, {30, "mnuStView", 0},
    {31, "mnuStView", 1},
}};

// A main-window menu item: its name and, for a menu array, the element.
struct MenuItemKey {
    QString menu;
    int index = -1;

    friend bool operator==(const MenuItemKey &a, const MenuItemKey &b) {
        return a.index == b.index && a.menu == b.menu;
    }
    friend bool operator<(const MenuItemKey &a, const MenuItemKey &b) {
        return a.menu != b.menu ? a.menu < b.menu : a.index < b.index;
    }
};

// Captions read for the main window's menu items, to be applied by the window.
using MenuCaptions = QMap<MenuItemKey, QString>;

inline constexpr int kLanguageCount = 5;       // English, Spanish, German, French, Dutch
inline constexpr int kLanguageEntryCount = 96; // lines 2 to 97 of a language file

// A language index brought into 0..4, as LanguageIndex is when the configuration
// file is read: below 0 is English, above 4 Dutch.
constexpr int clampLanguageIndex(int languageIndex) {
    return std::clamp(languageIndex, 0, kLanguageCount - 1);
}

// "tavimo_English.Language" and so on for 0 to 4; empty for any other index.
QString languageFileName(int languageIndex);

// The loader's own messages: they cannot come from the file they report on.
struct LanguageLoaderMessages {
    QString wrongVersion;
    QString notFound;
};
// Empty messages for an index outside 0..4.
LanguageLoaderMessages languageLoaderMessages(int languageIndex);

// Sets the texts that no language file fills to those of the given language.
// Returns false, changing nothing, for an index outside 0..4.
bool applyProgramTexts(int languageIndex, LanguageTexts &texts);

// True when the version line's tail from its last "Tavimo" equals versionTitle
// exactly. A line without "Tavimo" never matches.
bool CheckLanguageVersion(const QString &versionLine, const QString &versionTitle);

// The value of an entry line: the text after its last "=" (the whole line when
// there is none), without leading or trailing blanks.
QString ReadLanguageLine(const QString &line);

enum class LanguageLoadOutcome {
    Loaded,       // all 96 entries applied: the main window now refreshes its captions
    WrongVersion, // message shown, nothing changed
    NotFound,     // message shown; entries read before the failure were applied
};

struct LanguageLoadResult {
    LanguageLoadOutcome outcome = LanguageLoadOutcome::NotFound;
    int languageIndex = 0;
    // Entry lines read: entries 1 to entriesRead were applied, except a joined
    // pair whose second line is missing.
    int entriesRead = 0;
    bool succeeded() const { return outcome == LanguageLoadOutcome::Loaded; }
};

// Reads the language file of languageIndex from languagesFolder and applies its
// entries to texts and captions as it goes. On success the texts held in the
// program are set too, and the caller updates what depends on them (slot labels,
// the update notice, the WX page item, the language check mark, the Refresh and
// clock captions). Failures are shown through prompts as an OK box titled
// "tavimo" with the exclamation icon.
LanguageLoadResult LoadLanguage(const QString &languagesFolder, int languageIndex,
                                const QString &versionTitle, Prompts &prompts, LanguageTexts &texts,
                                MenuCaptions &captions);

// Caption of the Refresh item of the menu bar, with its trailing blank.
QString refreshMenuCaption(const LanguageTexts &texts, int autoRefreshMode, int refreshSeconds);

} // namespace tavimo
