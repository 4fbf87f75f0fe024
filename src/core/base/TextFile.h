#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo {

// Splits Windows-1252 text into lines at CR LF, LF or a lone CR. A terminator at
// the very end does not start another line, so "a\r\n" is one line and
// "a\r\n\r\n" two (the second empty).
QStringList splitTextLines(const QByteArray &bytes);
QStringList splitTextLines(QStringView text);

// The text of a file's bytes: Windows-1252, unless a byte-order mark says
// UTF-16 (what Windows editors save as "Unicode"). Nothing for bytes that are
// no text: a NUL byte outside UTF-16, or a NUL character within it.
std::optional<QString> decodeTextFile(const QByteArray &bytes);

struct TextFileLines {
    enum class Status {
        Read,
        Missing,    // there is no such file
        Unreadable, // it cannot be opened or read
        NotText     // it holds NUL: a binary file, or UTF-16 without its mark
    };
    Status status = Status::Missing;
    QStringList lines;
    QString error; // not Read: names the file and the reason, ready to show
};

// The lines of a text file with the reason when there are none.
TextFileLines readTextFile(const QString &path);

// The lines of a text file, or nothing when it is missing, cannot be read or
// is no text.
std::optional<QStringList> readTextLines(const QString &path);

// Result of a file write: on failure, a message naming the file and the reason,
// ready to show to the user.
struct WriteResult {
    bool ok = true;
    QString error;
    explicit operator bool() const { return ok; }
};

// Writes every line followed by CR LF, in Windows-1252, through a temporary file
// that replaces the old one only once it is complete: a failed write leaves the
// old file whole.
WriteResult writeTextLines(const QString &path, const QStringList &lines);

// Writes raw bytes atomically, as writeTextLines does.
WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace tavimo
