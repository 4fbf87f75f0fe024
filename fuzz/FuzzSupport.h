#pragma once

// Shared by the libFuzzer targets: each reads outside input through one parser
// family, never writes outside its own temporary folder and stops when
// libFuzzer's time is up.

#include "core/base/Prompts.h"
#include "core/base/TextCodec.h"
#include "core/sites/SiteLists.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tavimo::fuzz {

inline QByteArray input(const std::uint8_t *data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// An invariant that must hold for every input: a crash, so that libFuzzer
// keeps the input.
inline void must(bool holds, const char *what) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// One temporary folder for the whole run, removed when the run ends.
inline QDir scratch() {
    static QTemporaryDir dir;
    must(dir.isValid(), "a temporary folder");
    return QDir(dir.path());
}

inline QString writeScratch(const QString &name, const QByteArray &bytes) {
    const QString path = scratch().filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    must(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
         "writing the input");
    return path;
}

// The bytes writeTextLines puts in a file, without its atomic save (which
// syncs to disk and would slow the run down).
inline QByteArray textFileBytes(const QStringList &lines) {
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return encodeCp1252(text);
}

inline QByteArray readBytes(const QString &path) {
    QFile file(path);
    must(file.open(QIODevice::ReadOnly), "reading a scratch file");
    return file.readAll();
}

// A list file as the program treats it: read it, drop duplicates, write it;
// then what is written must read back to the same lines.
template <typename Read, typename Lines>
void checkListRoundTrip(const QString &name, const QByteArray &bytes, Read read, Lines lines) {
    const QString path = writeScratch(name, bytes);
    SiteListFile first = read(path);
    if (first.status != ListStatus::Read)
        return;
    removeDuplicateAddresses(first.sites);
    const QStringList written = lines(first.sites);
    writeScratch(name, textFileBytes(written));
    SiteListFile second = read(path);
    must(second.status == ListStatus::Read, "a written list reads");
    must(removeDuplicateAddresses(second.sites).isEmpty(), "no duplicates after a save");
    must(lines(second.sites) == written, "write, read, write gives the same lines");
}

// Message boxes that nobody answers.
class SilentPrompts : public Prompts {
public:
    void message(const QString &, const QString &, Icon) override {}
    Answer retryCancel(const QString &, const QString &) override { return Answer::Cancel; }
    Answer yesNo(const QString &, const QString &) override { return Answer::No; }
};

} // namespace tavimo::fuzz
