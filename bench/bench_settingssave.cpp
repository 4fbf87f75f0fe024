// Saving the settings file: how long one save holds up the window, with a file
// of the usual size (the window's place and the page names, about 200 bytes)
// and with one of 1 MB (a large value another program keeps there). Each save
// changes one key, as the close does.
//
// How it measures: the file lies in a scratch folder below the working folder
// (or the folder given as the first argument), so that the figures are those
// of the disk the settings live on, not of a memory-backed temp folder. Each
// row saves 30 times; the median is printed.

#include "core/files/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace tavimo;

namespace {

constexpr int kSaves = 30;

double medianSaveMs(const QString &path) {
    SettingsStore store(path);
    QList<qint64> times;
    for (int i = 0; i < kSaves; ++i) {
        store.setValue(QStringLiteral("Geometry"), QStringLiteral("Left"), QString::number(i));
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!store.sync(&error)) {
            std::fprintf(stderr, "bench_settingssave: %s\n", qPrintable(error));
            return -1;
        }
        times.append(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return double(times.at(times.size() / 2)) / 1e6;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QString parent = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir scratch(parent + QStringLiteral("/bench-settings-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "bench_settingssave: no scratch folder in %s\n", qPrintable(parent));
        return 1;
    }
    for (const bool large : {false, true}) {
        const QString path = scratch.filePath(large ? "large.ini" : "normal.ini");
        {
            QSettings settings(path, QSettings::IniFormat);
            for (int page = 1; page <= 10; ++page)
                settings.setValue(QStringLiteral("LABELS/%1").arg(page),
                                  QStringLiteral("Page %1").arg(page));
            for (const char *key :
                 {"flags", "showCmd", "MinX", "MinY", "Left", "Top", "Right", "Bottom"})
                settings.setValue(QStringLiteral("Geometry/") + QLatin1String(key), "100");
            if (large)
                settings.setValue(QStringLiteral("Other/blob"), QString(1 << 20, u'x'));
        }
        const double ms = medianSaveMs(path);
        if (ms < 0)
            return 1;
        std::printf("%-12s %8lld bytes  median save %7.2f ms\n",
                    large ? "1 MB file" : "normal file",
                    static_cast<long long>(QFileInfo(path).size()), ms);
    }
    return 0;
}
