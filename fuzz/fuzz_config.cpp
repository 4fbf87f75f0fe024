// tavimo.cfg: every clamp and conversion; what is written reads back the same.
#include "FuzzSupport.h"

#include "core/base/TextFile.h"
#include "core/files/Config.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::optional<QString> text = decodeTextFile(input(data, size));
    if (!text)
        return 0;
    const Config config = parseConfig(splitTextLines(QStringView(*text)));
    must(config.GuiSize >= 0 && config.GuiSize <= 3, "GuiSize 0..3");
    must(config.ThumbSetting >= 1 && config.ThumbSetting <= 4, "ThumbSetting 1..4");
    must(config.RefreshSeconds >= 30 && config.RefreshSeconds <= 300, "RefreshSeconds 30..300");
    must(config.LanguageIndex >= 0 && config.LanguageIndex <= 4, "LanguageIndex 0..4");
    const QByteArray written = textFileBytes(configLines(config));
    const Config again = parseConfig(splitTextLines(written));
    must(textFileBytes(configLines(again)) == written, "write, read, write gives the same file");
    return 0;
}
