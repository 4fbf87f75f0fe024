#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace tavimo {

class SettingsStore;

// The main window's placement as the settings store keeps it (section
// "Geometry"): flags, show state, minimised position and the normal rectangle
// in pixels, right and bottom exclusive. The defaults are those of a first start.
struct WindowPlacement {
    enum ShowCmd : std::int32_t {
        Hidden = 0,
        Normal = 1,
        Minimized = 2,
        Maximized = 3,
        Minimize = 6,           // minimised, next window activated
        MinimizedNoActivate = 7 // minimised without activation
    };
    enum Flags : std::int32_t { RestoreToMaximized = 2 };

    std::int32_t flags = 0;
    std::int32_t showCmd = Hidden;
    std::int32_t MinX = 100;
    std::int32_t MinY = 100;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 100;
    std::int32_t Bottom = 100;

    bool operator==(const WindowPlacement &) const = default;
};

// An absent key gives its default ("showCmd" has none: 0); a stored text
// that is not a whole 32-bit number leaves its field at 0.
WindowPlacement readWindowPlacement(const SettingsStore &store);
// A minimised window is stored as shown normally, so that it comes back.
void writeWindowPlacement(SettingsStore &store, const WindowPlacement &placement);

// Names of SSTV pages 1 to 10 (section "LABELS", keys "1" to "10"); a page
// without one is called lngPage followed by its number.
QStringList readPageNames(const SettingsStore &store, const QString &lngPage);
void writePageNames(SettingsStore &store, const QStringList &names);

// The folder a picture was last saved to (section "SAVEDIR", key "1").
QString readSaveFolder(const SettingsStore &store, const QString &programFolder);
void writeSaveFolder(SettingsStore &store, const QString &folder);

// Monitor of the all-sites map (section "Monitor", key "Mon"); never read back.
void writeMonitorIndex(SettingsStore &store, int MonIdx);

// Up to ten blocked callsigns (section "Block", keys "0" to "9"); empty values
// are skipped when reading and fill the unused keys when writing.
QStringList readBlockedCallsigns(const SettingsStore &store);
void writeBlockedCallsigns(SettingsStore &store, const QStringList &callsigns);

} // namespace tavimo
