#pragma once

#include "core/base/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tavimo::test {

// Records every message box and answers questions from a queue, so that code
// under test never blocks. Without a queued answer a Retry/Cancel question is
// answered Cancel and a Yes/No question Yes.
class FakePrompts : public Prompts {
public:
    enum class Kind { Message, RetryCancel, YesNo };
    struct Call {
        Kind kind;
        QString text;
        QString title;
        Icon icon;
        Answer answer; // Ok for messages
    };

    void message(const QString &text, const QString &title, Icon icon) override;
    Answer retryCancel(const QString &text, const QString &title) override;
    Answer yesNo(const QString &text, const QString &title) override;

    // Answers handed out in order to the next questions of either kind.
    void queueAnswer(Answer answer) { answers.append(answer); }

    // Runs after a call is recorded, before it returns (to act "while the box is open").
    std::function<void(const Call &)> onCall;

    QList<Call> calls;
    QList<Answer> answers;

    int count(Kind kind) const;
    QStringList texts() const; // every call's text, in order
    void clear() { calls.clear(); }

private:
    Answer record(Kind kind, const QString &text, const QString &title, Icon icon, Answer fallback);
};

} // namespace tavimo::test
