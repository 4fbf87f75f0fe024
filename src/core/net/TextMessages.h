#pragma once

#include "core/base/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo {

// A site may publish up to eight short text messages beside its picture. Each is fetched,
// kept as a file in the data folder's TextFiles, and listed as one item.
inline constexpr int kTextMessageCount = 8;
// A message is a few lines; of a longer answer only this much is kept.
inline constexpr qsizetype kTextMessageCapBytes = 64 * 1024;

// The address of message k (1 to 8): the picture address without its "NoDelete" marks, every
// "image1" replaced by "text<k>.txt" (so ".../image1.jpg" asks for ".../text1.txt.jpg"). An
// address without "image1" is asked for unchanged.
QString TextMessageUrl(const QString &pictureUrl, int k);

// Request keys: "0" to "7" for messages 1 to 8; 0 for a key that is no message.
QString textMessageKey(int k);
int textMessageNumber(const QString &key);

// The file name of message k of a site: "<callsign>-<k>.txt". ASCII letters, digits, "-", "_"
// and "." of the callsign stay as they are; anything else, and a leading ".", is written as
// "%" and two hex digits per UTF-8 byte, so no callsign can name a folder or another site's
// file. A name that would grow too long for the file system keeps its start and ends in "~"
// and a digest of the whole callsign ("~" is always encoded otherwise, so it cannot collide).
QString textMessageFileName(const QString &messageCall, int k);

// The message file inside `textFilesFolder`, or "" when the name would not lie inside it.
QString textMessageFilePath(const QString &textFilesFolder, const QString &messageCall, int k);

// The lines of a message (Windows-1252): a line ends at CR or CR LF; a lone LF stays part of
// the text. A line end at the very end starts no further line, so "a\r" is one line and
// "a\r\r" two, the second empty.
QStringList textMessageLines(const QByteArray &bytes);

// How one message is listed.
enum class TextMessageState {
    Read,       // the file was written and holds two lines
    ReadFailed, // the file was written but holds fewer than two lines
    NotStored,  // the file could not be written
    Failed,     // the request failed
};

struct TextMessageItem {
    int k = 0;
    TextMessageState state = TextMessageState::Failed;
    QString text;
    QString firstLine; // Read only

    // A message the user can open, save and paste: read, and its first line not beginning
    // with "Error" (the way sites answer a message they cannot serve).
    bool canShow() const {
        return state == TextMessageState::Read && !firstLine.startsWith(QStringLiteral("Error"));
    }
};

// The item of message k from the message's bytes, or of its failed request:
//   "<k>  <line 1> - <line 2>", "<k><readFailedText>", "<k>", "txt<k><failedText>".
TextMessageItem textMessageItem(int k, const std::optional<QByteArray> &storedBytes,
                                const QString &readFailedText);
TextMessageItem failedTextMessageItem(int k, const QString &failedText);

// Where `item` goes in a list kept sorted by text without regard to case (so messages stand
// in order of k, failed requests after them), after items of equal text.
qsizetype textMessageInsertPosition(const QList<TextMessageItem> &items,
                                    const TextMessageItem &item);

// The text shown for a message: every line followed by a line break.
QString textMessageShownText(const QByteArray &bytes);

// The name offered when a message is saved: its first two comma-separated fields (leading
// blanks skipped, double quotes around a field removed, line feeds dropped) joined by " - ",
// without any ":". Characters that cannot stand in a file name here ("/" and NUL) become "_".
QString textMessageSaveName(const QByteArray &bytes);

} // namespace tavimo
