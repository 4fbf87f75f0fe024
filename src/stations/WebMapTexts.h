#pragma once

#include <QString>

namespace tavimo {

// The street and satellite view's own texts, which no language file entry
// fills: one set per language, picked by LanguageIndex.
struct WebMapTexts {
    QString streetCaption;    // "xxx" the callsign
    QString satelliteCaption; // "xxx" the callsign
    QString captureFailed;
    QString browserOnly; // why the view cannot be saved or copied
    QString embeddedFailed;
    QString cannotOpen; // "xxx" the job
    QString noBrowser;  // "xxx" the address
};

// The set of LanguageIndex (0 English, 1 Spanish, 2 German, 3 French,
// 4 Dutch); English for any other index.
const WebMapTexts &webMapTexts(int LanguageIndex);

} // namespace tavimo
