#include "core/files/Config.h"

#include "core/base/Numbers.h"
#include "core/text/Language.h"

#include <algorithm>
#include <cmath>

namespace tavimo {
namespace {

// A line's value; the initial value 0 when the line holds no number or one
// too large for the setting.
std::int16_t whole16(const QString &line) {
    return toInt16(Val(line)).value_or(0);
}
std::int32_t whole32(const QString &line) {
    return toInt32(Val(line)).value_or(0);
}
double real(const QString &line) {
    const double value = Val(line);
    return std::isfinite(value) ? value : 0.0;
}

// Older versions stored the period in milliseconds: anything above 300 is
// taken as such. The line is read wider than the setting so that those
// values survive until they are divided; what the division leaves above 300
// becomes 300, or the value written back would read as milliseconds next time.
std::int16_t refreshPeriod(const QString &line) {
    std::int32_t seconds = toInt32(Val(line)).value_or(0);
    if (seconds > 300)
        seconds = std::min(static_cast<std::int32_t>(roundHalfEven(seconds / 1000.0)), 300);
    return static_cast<std::int16_t>(std::max(seconds, 30));
}

} // namespace

Config parseConfig(const QStringList &lines) {
    // A missing line reads as an empty one, which gives the initial value.
    const auto line = [&](int n) { return n <= lines.size() ? lines.at(n - 1) : QString(); };
    Config c;
    c.GuiSize = std::clamp<std::int16_t>(whole16(line(1)), 0, 3);
    c.ThumbSetting = whole16(line(2));
    if (c.ThumbSetting < 1 || c.ThumbSetting > 4)
        c.ThumbSetting = 2;
    c.AutoRefreshMode = whole16(line(3));
    c.RefreshSeconds = refreshPeriod(line(4));
    c.StartPage = whole16(line(5));
    c.LanguageIndex = std::int16_t(clampLanguageIndex(whole16(line(6))));
    c.MyLat = real(line(7));
    c.MyLon = real(line(8));
    c.Units = whole16(line(9));
    c.CfgSpare10 = whole16(line(10));
    c.CfgSpare11 = std::min<std::int16_t>(whole16(line(11)), 1);
    c.MyCall = line(12);
    c.MapIndex = whole16(line(13));
    c.ScrollX = whole32(line(14));
    c.ScrollY = whole32(line(15));
    return c;
}

ConfigFile readConfig(const QString &path) {
    ConfigFile file;
    const auto lines = readTextLines(path);
    file.read = lines.has_value();
    file.config = parseConfig(lines.value_or(QStringList()));
    if (file.config.StartPage == 1)
        file.CurrentPage = file.PageCount;
    return file;
}

QStringList configLines(const Config &c) {
    QString call = c.MyCall;
    call.remove(u'\r').remove(u'\n').remove(QChar(0));
    const auto n = [](qint64 value) { return QString::number(value); };
    return {n(c.GuiSize),   n(c.ThumbSetting),  n(c.AutoRefreshMode), n(c.RefreshSeconds),
            n(c.StartPage), n(c.LanguageIndex), numberText(c.MyLat),  numberText(c.MyLon),
            n(c.Units),     n(c.CfgSpare10),    n(c.CfgSpare11),      call,
            n(c.MapIndex),  n(c.ScrollX),       n(c.ScrollY)};
}

WriteResult writeConfig(const QString &path, const Config &config) {
    return writeTextLines(path, configLines(config));
}

} // namespace tavimo
