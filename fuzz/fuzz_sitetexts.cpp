// What a site publishes beside its pictures: the last-heard list and the text
// messages, with the file names built from a callsign.
#include "FuzzSupport.h"

#include "core/net/TextMessages.h"
#include "core/thumbs/LastHeard.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    lastHeardText(bytes, QStringLiteral("Click to close"));
    lastHeardAddress(QString::fromLatin1(bytes.left(200)));
    textMessageLines(bytes);
    textMessageShownText(bytes);
    textMessageSaveName(bytes);
    textMessageItem(1, bytes, QStringLiteral(" read failed"));
    // A file name made from any callsign stays inside its folder.
    const QString call = decodeCp1252(bytes.left(300));
    const QString folder = scratch().filePath(QStringLiteral("TextFiles"));
    const QString path = textMessageFilePath(folder, call, 3);
    must(path.isEmpty() || path.startsWith(folder + u'/'), "a message file inside TextFiles");
    return 0;
}
