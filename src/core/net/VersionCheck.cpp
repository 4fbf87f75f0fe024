#include "core/net/VersionCheck.h"

#include "core/base/Logging.h"
#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"

namespace tavimo {
namespace {

constexpr QStringView versionMarker = u"Tavimo ";
// Characters between the marker and the version text on the home page.
constexpr qsizetype versionOffset = 4;

} // namespace

std::optional<ProgramVersion> parseProgramVersion(QStringView text) {
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return std::nullopt;
    const std::optional<int> major = digitsValue(text.left(point));
    const std::optional<int> minor = digitsValue(text.mid(point + 1));
    if (!major || !minor)
        return std::nullopt;
    return ProgramVersion{*major, *minor};
}

std::optional<QString> homePageVersionText(const QByteArray &homePage) {
    const QString text = decodeCp1252(homePage);
    const qsizetype marker = text.indexOf(versionMarker);
    if (marker < 0)
        return std::nullopt;
    const qsizetype start = marker + versionMarker.size() + versionOffset;
    qsizetype end = start;
    while (end < text.size() && ((text[end] >= u'0' && text[end] <= u'9') || text[end] == u'.'))
        ++end;
    QString version = text.mid(start, end - start);
    if (!parseProgramVersion(version))
        return std::nullopt;
    return version;
}

std::optional<QString> newerVersionOnHomePage(const QByteArray &homePage, QStringView ownVersion) {
    const std::optional<ProgramVersion> own = parseProgramVersion(ownVersion);
    const std::optional<QString> pageText = homePageVersionText(homePage);
    if (!own || !pageText) {
        qCInfo(lcCore) << "No version to compare:"
                       << (own ? "the home page names none" : "the program's own is unreadable");
        return std::nullopt;
    }
    if (*parseProgramVersion(*pageText) <= *own)
        return std::nullopt;
    return pageText;
}

} // namespace tavimo
