#pragma once

#include "core/base/Prompts.h"

class QWidget;

namespace tavimo {

// The real boxes, modal, parented to the given window when there is one.
class MessageBoxPrompts final : public Prompts {
public:
    explicit MessageBoxPrompts(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    void message(const QString &text, const QString &title, Icon icon) override;
    Answer retryCancel(const QString &text, const QString &title) override;
    Answer yesNo(const QString &text, const QString &title) override;

private:
    QWidget *parent_;
};

} // namespace tavimo
