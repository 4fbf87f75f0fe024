#pragma once

#include "core/base/TextFile.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace tavimo {

inline const QString kConfigFile = QStringLiteral("tavimo.cfg");

// The fifteen settings of tavimo.cfg, one per line in this order. Before the
// file is read every number is 0 and MyCall is empty.
struct Config {
    std::int16_t GuiSize = 0;         // window size 0..3
    std::int16_t ThumbSetting = 0;    // 1..4: 5, 10, 15 or 24 slots per page
    std::int16_t AutoRefreshMode = 0; // 1 = automatic refresh
    std::int16_t RefreshSeconds = 0;  // refresh period, 30 or more
    std::int16_t StartPage = 0;       // 1 = start on the WX page
    std::int16_t LanguageIndex = 0;   // 0 English, 1 Spanish, 2 German, 3 French, 4 Dutch
    double MyLat = 0;
    double MyLon = 0;
    std::int16_t Units = 0;      // 1 = miles, else kilometres
    std::int16_t CfgSpare10 = 0; // kept, unused
    std::int16_t CfgSpare11 = 0; // kept, unused (0 or 1)
    QString MyCall;
    std::int16_t MapIndex = 0; // index into the sorted map list
    std::int32_t ScrollX = 0;  // scroll position of the all-sites map
    std::int32_t ScrollY = 0;

    bool operator==(const Config &) const = default;
};

// Ten SSTV pages and the WX page, which is page PageCount.
constexpr int kPageCount = 11;

struct ConfigFile {
    Config config;
    int PageCount = kPageCount;
    int CurrentPage = 1; // the start page: 1, or PageCount when StartPage is 1
    bool read = false;   // false: the file was missing or unreadable (nothing is reported)
};

// Settings from the file's lines, every clamp applied. Line n sets setting n;
// missing lines keep the initial values, lines after the fifteenth are ignored.
// A number too large for its setting keeps the initial value.
Config parseConfig(const QStringList &lines);
ConfigFile readConfig(const QString &path);

// The fifteen lines: whole numbers in decimal, positions with "." and MyCall
// without line breaks.
QStringList configLines(const Config &config);
WriteResult writeConfig(const QString &path, const Config &config);

} // namespace tavimo
