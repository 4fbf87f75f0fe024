#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <compare>
#include <optional>

namespace tavimo {

// A program version "major.minor", both parts whole numbers: 4.100 comes after 4.92, which
// comes after 4.91.
struct ProgramVersion {
    int major = 0;
    int minor = 0;

    auto operator<=>(const ProgramVersion &) const = default;
};

// "4.91": digits, one ".", digits, nothing else. Nothing for any other text.
std::optional<ProgramVersion> parseProgramVersion(QStringView text);

// The home page names the current version after "Tavimo " and four more characters
// ("Tavimo ver 4.92"). The version text is the run of digits and points that starts there,
// when it is a version; nothing when the page lacks the marker or holds no version there.
std::optional<QString> homePageVersionText(const QByteArray &homePage);

// The page's version text when it names a later version than `ownVersion` ("4.91"); nothing
// when it names the same or an earlier one, or when either text is no version.
std::optional<QString> newerVersionOnHomePage(const QByteArray &homePage, QStringView ownVersion);

} // namespace tavimo
