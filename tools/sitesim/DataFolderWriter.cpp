#include "sitesim/DataFolderWriter.h"

#include "core/base/Numbers.h"
#include "core/files/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tavimo::sitesim {

namespace {

constexpr int kSstvPages = 10;

} // namespace

QString dataFolderOf(const QString &home) {
    return home + QStringLiteral("/data/tavimo");
}

QString settingsFileOf(const QString &home) {
    return home + QStringLiteral("/config/Tavimo/Tavimo.ini");
}

QChar slotCharacter(int slot) {
    const int value = slot + 1;
    return value < 10 ? QChar(u'0' + value) : QChar(char16_t(value + 55));
}

int slotsPerPage(int thumbSetting) {
    switch (thumbSetting) {
    case 1:
        return 5;
    case 2:
        return 10;
    case 3:
        return 15;
    default:
        return 24;
    }
}

QString siteHost(bool wx, int number) {
    // 127.0.0.2 to 127.0.0.254, then 127.0.1.1 on: never a network or
    // broadcast address, never 127.0.0.1.
    const int n = (wx ? kMaxSstvSites : 0) + number;
    return QStringLiteral("127.0.%1.%2").arg(n / 254).arg(n % 254 + 1);
}

QString siteBase(const QString &base, bool wx, int number) {
    QUrl url(base);
    url.setHost(siteHost(wx, number));
    return url.toString();
}

QStringList sstvListLines(const QList<SstvSiteInfo> &sites, const QString &base, SiteHosts hosts) {
    QStringList lines;
    for (qsizetype i = 0; i < sites.size(); ++i) {
        const SstvSiteInfo &site = sites[i];
        QStringList fields{site.callsign};
        for (int setting = 1; setting <= 4; ++setting) {
            QString map(kSstvPages, u'0');
            const int perPage = slotsPerPage(setting);
            const qsizetype page = i / perPage;
            if (page < kSstvPages)
                map[page] = slotCharacter(int(i % perPage));
            fields << map;
        }
        fields << numberText(site.latitude) << numberText(site.longitude) << QString() << QString();
        const QString at = hosts == SiteHosts::OwnHost ? siteBase(base, false, site.number) : base;
        lines << fields.join(u'*') << at + sstvPicturePath(site.number);
    }
    return lines;
}

QStringList wxListLines(const QList<WxSiteInfo> &sites, const QString &base, SiteHosts hosts) {
    QStringList lines;
    for (qsizetype i = 0; i < sites.size(); ++i) {
        QStringList fields{sites[i].name};
        for (int setting = 1; setting <= 4; ++setting)
            fields << (i < slotsPerPage(setting) ? QString::number(i + 1) : QStringLiteral("0"));
        const QString at =
            hosts == SiteHosts::OwnHost ? siteBase(base, true, sites[i].number) : base;
        lines << fields.join(u'*') << at + wxPicturePath(sites[i].number);
    }
    return lines;
}

QStringList configLines() {
    return {QStringLiteral("1"),    QStringLiteral("4"),   QStringLiteral("1"),
            QStringLiteral("60"),   QStringLiteral("0"),   QStringLiteral("0"),
            QStringLiteral("52.1"), QStringLiteral("5.1"), QStringLiteral("0"),
            QStringLiteral("0"),    QStringLiteral("0"),   QStringLiteral("SIM0OP"),
            QStringLiteral("0"),    QStringLiteral("0"),   QStringLiteral("0")};
}

QList<QPair<QString, QString>> endpointSettings(const QString &base) {
    return {
        {QStringLiteral("ConnectionProbe"), base + QStringLiteral("/")},
        {QStringLiteral("TimePage"), base + QStringLiteral("/time")},
        {QStringLiteral("HomePage"), base + QStringLiteral("/home/")},
        {QStringLiteral("UpdatesList"), base + QStringLiteral("/updates/sstvupdates.txt")},
        {QStringLiteral("UpdatesMirror"), base + QStringLiteral("/mirror/")},
        {QStringLiteral("CallbookEham"), base + QStringLiteral("/callbook/eham/")},
        {QStringLiteral("CallbookQrz"), base + QStringLiteral("/callbook/qrz/")},
        {QStringLiteral("CallbookHamdata"), base + QStringLiteral("/callbook/hamdata/")},
        {QStringLiteral("QrzPictures"), base + QStringLiteral("/qrzpics/")},
        {QStringLiteral("WebMap"), base + QStringLiteral("/map/")},
    };
}

WriteResult writeDataFolder(const QString &home, const QList<SstvSiteInfo> &sstv,
                            const QList<WxSiteInfo> &wx, const QString &base, SiteHosts hosts) {
    const QString data = dataFolderOf(home);
    const QString ini = settingsFileOf(home);
    for (const QString &folder : {data, QFileInfo(ini).absolutePath()}) {
        if (!QDir().mkpath(folder))
            return {false, QStringLiteral("Could not create the folder %1.").arg(folder)};
    }
    if (WriteResult r =
            writeTextLines(data + QStringLiteral("/tavimo.lst"), sstvListLines(sstv, base, hosts));
        !r)
        return r;
    if (WriteResult r =
            writeTextLines(data + QStringLiteral("/WXsites.lst"), wxListLines(wx, base, hosts));
        !r)
        return r;
    if (WriteResult r = writeTextLines(data + QStringLiteral("/tavimo.cfg"), configLines()); !r)
        return r;
    SettingsStore settings(ini);
    // Its saves would leave such a file alone and call that done.
    if (!settings.readError().isEmpty())
        return {false, settings.readError()};
    for (const auto &[key, value] : endpointSettings(base))
        settings.setValue(QStringLiteral("Endpoints"), key, value);
    QString error;
    if (!settings.sync(&error))
        return {false, error};
    return {};
}

} // namespace tavimo::sitesim
