#include "ui/MessageBoxPrompts.h"

#include <QMessageBox>

namespace tavimo {

namespace {

QMessageBox::Icon toBoxIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void MessageBoxPrompts::message(const QString &text, const QString &title, Icon icon) {
    QMessageBox box(toBoxIcon(icon), title, text, QMessageBox::Ok, parent_);
    box.exec();
}

Prompts::Answer MessageBoxPrompts::retryCancel(const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Retry | QMessageBox::Cancel,
                    parent_);
    return box.exec() == QMessageBox::Retry ? Answer::Retry : Answer::Cancel;
}

Prompts::Answer MessageBoxPrompts::yesNo(const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    parent_);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

} // namespace tavimo
