#include "core/base/FileDialogs.h"

namespace tavimo {

QString nameFilter(const QString &description, const QString &pattern) {
    return description + QStringLiteral(" (") + pattern + u')';
}

} // namespace tavimo
