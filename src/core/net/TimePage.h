#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavimo {

// The time page gives the UTC time of day as "hh:mm:ss", twelve characters after the first
// "BR" (exact case) of the page: "BR", ten more characters, then the time. Returns that text
// when it is a valid time of day (00:00:00 to 23:59:59); nothing when the page lacks the
// marker, is too short, or holds no valid time there, so that the clock is left alone.
std::optional<QString> timePageUtcTime(const QByteArray &page);

} // namespace tavimo
