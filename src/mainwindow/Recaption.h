#pragma once

#include "core/text/Language.h"

#include <QString>

namespace tavimo {

// A slot caption written in the texts `before`, in the texts `now`: the
// callsign line ("XX9ABC - NEW", "XX9ABC -", "XX9ABC - 3 d") and the sender
// line ("From: XX9ABC", "Loading..."). The callsign and the number of days
// stay; a text that none of the language's patterns made stays as it is.
QString recaptionedCall(const QString &caption, const LanguageTexts &before,
                        const LanguageTexts &now);
QString recaptionedFrom(const QString &caption, const LanguageTexts &before,
                        const LanguageTexts &now);

} // namespace tavimo
