#include "support/FakePrompts.h"

namespace tavimo::test {

Prompts::Answer FakePrompts::record(Kind kind, const QString &text, const QString &title, Icon icon,
                                    Answer fallback) {
    const Answer answer = answers.isEmpty() ? fallback : answers.takeFirst();
    calls.append({kind, text, title, icon, answer});
    if (onCall)
        onCall(calls.last());
    return answer;
}

void FakePrompts::message(const QString &text, const QString &title, Icon icon) {
    // A message asks nothing, so it takes no queued answer.
    calls.append({Kind::Message, text, title, icon, Answer::Ok});
    if (onCall)
        onCall(calls.last());
}

Prompts::Answer FakePrompts::retryCancel(const QString &text, const QString &title) {
    return record(Kind::RetryCancel, text, title, Icon::None, Answer::Cancel);
}

Prompts::Answer FakePrompts::yesNo(const QString &text, const QString &title) {
    return record(Kind::YesNo, text, title, Icon::Question, Answer::Yes);
}

int FakePrompts::count(Kind kind) const {
    int n = 0;
    for (const Call &call : calls)
        n += call.kind == kind ? 1 : 0;
    return n;
}

QStringList FakePrompts::texts() const {
    QStringList result;
    for (const Call &call : calls)
        result.append(call.text);
    return result;
}

} // namespace tavimo::test
