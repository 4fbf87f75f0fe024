#pragma once

#include <QByteArray>
#include <QString>

namespace tavimo {

// Windows-1252, the code page of every text file the program reads or writes.
// The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// decode to the C1 control characters of the same value, so that every byte
// round-trips unchanged through decode and encode.
QString decodeCp1252(const QByteArray &bytes);

// Characters outside the code page become "?".
QByteArray encodeCp1252(QStringView text);

// The text as it reads back after a Windows-1252 write: characters outside the
// code page become "?".
QString cp1252Text(QStringView text);

} // namespace tavimo
