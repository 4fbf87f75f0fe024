#pragma once

#include <QString>

class QLineEdit;

namespace tavimo {

// A text box whose text is refused shows it: a light red background and the
// reason as its tip. An empty `why` shows the box as usual again.
void showRefusal(QLineEdit &box, const QString &why);
bool showsRefusal(const QLineEdit &box);

} // namespace tavimo
