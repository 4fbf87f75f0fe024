#include "core/files/StoreSettings.h"

#include "core/base/Numbers.h"
#include "core/files/SettingsStore.h"

#include <QRegularExpression>

namespace tavimo {
namespace {

const QString kGeometry = QStringLiteral("Geometry");
const QString kLabels = QStringLiteral("LABELS");
const QString kSaveDir = QStringLiteral("SAVEDIR");
const QString kMonitor = QStringLiteral("Monitor");
const QString kBlock = QStringLiteral("Block");
constexpr int kStoredPages = 10;
constexpr int kBlockKeys = 10;

// The whole text must be a number; anything else leaves the field at 0.
std::int32_t storedWhole(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!number.match(text).hasMatch())
        return 0;
    return toInt32(Val(text)).value_or(0);
}

} // namespace

WindowPlacement readWindowPlacement(const SettingsStore &store) {
    const WindowPlacement defaults;
    const auto read = [&](const char *key, std::int32_t fallback) {
        return storedWhole(store.value(kGeometry, QLatin1String(key), QString::number(fallback)));
    };
    WindowPlacement p;
    p.flags = read("flags", defaults.flags);
    p.showCmd = storedWhole(store.value(kGeometry, QStringLiteral("showCmd")));
    p.MinX = read("MinX", defaults.MinX);
    p.MinY = read("MinY", defaults.MinY);
    p.Left = read("Left", defaults.Left);
    p.Top = read("Top", defaults.Top);
    p.Right = read("Right", defaults.Right);
    p.Bottom = read("Bottom", defaults.Bottom);
    return p;
}

void writeWindowPlacement(SettingsStore &store, const WindowPlacement &p) {
    const bool minimized =
        p.showCmd == WindowPlacement::Minimized || p.showCmd == WindowPlacement::Minimize;
    const auto write = [&](const char *key, std::int32_t value) {
        store.setValue(kGeometry, QLatin1String(key), QString::number(value));
    };
    write("flags", p.flags);
    write("showCmd", minimized ? WindowPlacement::Normal : p.showCmd);
    write("MinX", p.MinX);
    write("MinY", p.MinY);
    write("Left", p.Left);
    write("Top", p.Top);
    write("Right", p.Right);
    write("Bottom", p.Bottom);
}

QStringList readPageNames(const SettingsStore &store, const QString &lngPage) {
    QStringList names;
    for (int i = 1; i <= kStoredPages; ++i)
        names.append(store.value(kLabels, QString::number(i), lngPage + QString::number(i)));
    return names;
}

void writePageNames(SettingsStore &store, const QStringList &names) {
    for (int i = 1; i <= kStoredPages && i <= names.size(); ++i)
        store.setValue(kLabels, QString::number(i), names.at(i - 1));
}

QString readSaveFolder(const SettingsStore &store, const QString &programFolder) {
    return store.value(kSaveDir, QStringLiteral("1"), programFolder);
}

void writeSaveFolder(SettingsStore &store, const QString &folder) {
    store.setValue(kSaveDir, QStringLiteral("1"), folder);
}

void writeMonitorIndex(SettingsStore &store, int MonIdx) {
    store.setValue(kMonitor, QStringLiteral("Mon"), QString::number(MonIdx));
}

QStringList readBlockedCallsigns(const SettingsStore &store) {
    QStringList callsigns;
    for (int i = 0; i < kBlockKeys; ++i) {
        const QString callsign = store.value(kBlock, QString::number(i));
        if (!callsign.isEmpty())
            callsigns.append(callsign);
    }
    return callsigns;
}

void writeBlockedCallsigns(SettingsStore &store, const QStringList &callsigns) {
    for (int i = 0; i < kBlockKeys; ++i)
        store.setValue(kBlock, QString::number(i), callsigns.value(i));
}

} // namespace tavimo
