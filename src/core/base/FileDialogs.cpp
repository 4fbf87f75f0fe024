#include "core/base/FileDialogs.h"

#include <QDir>

#include <algorithm>

namespace tavimo {

namespace {

const QChar kNul(u'\0');

} // namespace

QString MakeFilter(const QString &Filter, const QString &Description, const QString &Pattern) {
    return Filter + Description + kNul + Pattern + kNul;
}

QString CutAtNull(const QString &text) {
    const qsizetype nul = text.indexOf(kNul);
    return nul < 0 ? text : text.left(nul);
}

QStringList qtNameFilters(const QString &filter) {
    QStringList parts = filter.split(kNul);
    // The text ends in NUL, so the last part is empty.
    if (!parts.isEmpty() && parts.constLast().isEmpty())
        parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString patterns =
            parts.at(i + 1).split(u';', Qt::SkipEmptyParts).join(u' ').trimmed();
        const QString bracketed = QStringLiteral("(") + patterns + QStringLiteral(")");
        if (description.endsWith(bracketed))
            filters.append(description);
        else if (description.isEmpty())
            filters.append(bracketed);
        else
            filters.append(description + u' ' + bracketed);
    }
    return filters;
}

} // namespace tavimo
