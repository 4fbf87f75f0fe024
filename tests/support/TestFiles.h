#pragma once

#include "core/sites/SiteRecord.h"

#include <QByteArray>
#include <QString>

namespace tavimo::test {

// The file's bytes, or "<unreadable>" so that a comparison with real content fails.
QByteArray readBytes(const QString &path);

// Writes the bytes, making the folder first; false when that fails.
bool writeBytes(const QString &path, const QByteArray &bytes);

// An SSTV site on no page, at the given position (0: none known).
SiteRecord makeSite(const QString &callsign, const QString &url, double latitude = 0,
                    double longitude = 0);

} // namespace tavimo::test
