#pragma once

#include <QString>

namespace tavimo::test {

// Counts, while it lives, the log lines that contain `text`; they are still
// printed as before. One at a time.
class LogLineCounter {
public:
    explicit LogLineCounter(QString text);
    ~LogLineCounter();
    LogLineCounter(const LogLineCounter &) = delete;
    LogLineCounter &operator=(const LogLineCounter &) = delete;

    int count() const;
};

} // namespace tavimo::test
