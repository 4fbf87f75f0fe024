#pragma once

#include <QString>

namespace tavimo {

// Every message box of the program goes through this interface, so that tests
// can answer them without blocking.
class Prompts {
public:
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    virtual ~Prompts();

    // An OK box.
    virtual void message(const QString &text, const QString &title = QStringLiteral("Tavimo"),
                         Icon icon = Icon::None) = 0;
    // Retry and Cancel buttons; answers Retry or Cancel.
    virtual Answer retryCancel(const QString &text,
                               const QString &title = QStringLiteral("Tavimo")) = 0;
    // Yes and No buttons; answers Yes or No.
    virtual Answer yesNo(const QString &text, const QString &title = QStringLiteral("Tavimo")) = 0;
};

} // namespace tavimo
