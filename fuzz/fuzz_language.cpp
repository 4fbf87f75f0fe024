// Language files: the version line, the entries and the loader.
#include "FuzzSupport.h"

#include "core/text/Language.h"

#include "Version.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    writeScratch(QStringLiteral("Languages/") + languageFileName(0), bytes);
    SilentPrompts prompts;
    LanguageTexts texts;
    MenuCaptions captions;
    const LanguageLoadResult result =
        LoadLanguage(scratch().filePath(QStringLiteral("Languages")), 0,
                     QStringLiteral("Tavimo  " TAVIMO_VERSION), prompts, texts, captions);
    must(result.entriesRead >= 0 && result.entriesRead <= 96, "at most 96 entries");
    for (const QString &line : QString::fromLatin1(bytes).split(u'\n'))
        ReadLanguageLine(line);
    return 0;
}
