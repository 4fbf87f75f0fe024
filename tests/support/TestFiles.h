#pragma once

#include "core/sites/SiteRecord.h"

#include <QByteArray>
#include <QString>

class QProcess;

namespace tavimo::test {

// The file's bytes, or "<unreadable>" so that a comparison with real content fails.
QByteArray readBytes(const QString &path);

// Writes the bytes, making the folder first; false when that fails.
bool writeBytes(const QString &path, const QByteArray &bytes);

// A named pipe at `path`; false when none can be made.
bool makeFifo(const QString &path);

// Lets a child process take at most 1 GiB of memory, so that a read without
// end (of /dev/zero, say) ends it rather than the machine's memory. Not under
// AddressSanitizer, which reserves far more address space for itself.
void limitChildMemory(QProcess &process);

// An SSTV site on no page, at the given position (0: none known).
SiteRecord makeSite(const QString &callsign, const QString &url, double latitude = 0,
                    double longitude = 0);

} // namespace tavimo::test
