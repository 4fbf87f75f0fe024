#include "support/LogLines.h"

#include <QtGlobal>

namespace tavimo::test {

namespace {

// A message handler is a plain function: what it counts lives here.
struct Counting {
    QString text;
    int count = 0;
    QtMessageHandler previous = nullptr;
};

Counting &counting() {
    static Counting state;
    return state;
}

void countLine(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    Counting &c = counting();
    if (message.contains(c.text))
        ++c.count;
    c.previous(type, context, message);
}

} // namespace

LogLineCounter::LogLineCounter(QString text) {
    Counting &c = counting();
    c.text = std::move(text);
    c.count = 0;
    c.previous = qInstallMessageHandler(countLine);
}

LogLineCounter::~LogLineCounter() {
    qInstallMessageHandler(counting().previous);
}

int LogLineCounter::count() const {
    return counting().count;
}

} // namespace tavimo::test
