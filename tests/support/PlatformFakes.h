#pragma once

#include "platform/ClockSetter.h"
#include "platform/ConnectionChecker.h"
#include "platform/DesktopBridge.h"

#include <QList>
#include <QStringList>

#include <chrono>
#include <utility>

// Stand-ins for the platform layer: the clock, the connection check and the desktop of other
// programs, so that tests never move the machine's clock, reach the internet or type into a
// real window.
namespace tavimo::test {

// Records every correction asked for and answers `result()`.
class FakeClockSetter final : public ClockSetter {
public:
    Result adjustBy(std::chrono::milliseconds correction) override {
        adjustments_.append(correction);
        return result_;
    }
    const QList<std::chrono::milliseconds> &adjustments() const { return adjustments_; }
    Result result() const { return result_; }
    void setResult(Result result) { result_ = result; }

private:
    QList<std::chrono::milliseconds> adjustments_;
    Result result_ = Result::Adjusted;
};

// Answers from a queue (then `fallback`), and counts the checks.
class FakeConnectionChecker final : public ConnectionChecker {
public:
    explicit FakeConnectionChecker(QList<bool> answers = {}, bool fallback = true)
        : answers_(std::move(answers)), fallback_(fallback) {}

    void queueAnswer(bool online) { answers_.append(online); }
    int checkCount() const { return checks_; }

    bool check() override {
        ++checks_;
        return answers_.isEmpty() ? fallback_ : answers_.takeFirst();
    }

private:
    QList<bool> answers_;
    bool fallback_;
    int checks_ = 0;
};

// A desktop of made-up windows. Records every step in `log()`:
// "find T", "front T", "restore T", "wait N", "keys K" (one entry each, in order); waits
// do not sleep. sendKeys answers whether the notation is valid, so a typo in a caller fails.
class FakeDesktopBridge final : public DesktopBridge {
public:
    FakeDesktopBridge();

    void addWindow(const QString &title);
    void removeWindow(const QString &title);

    const QStringList &log() const { return log_; }
    // Only the keystroke texts, in order.
    QStringList sentKeys() const;
    void clearLog() { log_.clear(); }

    bool sendKeys(const QString &keys) override;

protected:
    WindowId findTopLevelWindow(const QString &title) override;
    void bringToFront(WindowId window) override;
    void restoreWindow(WindowId window) override;

private:
    QStringList windows_;
    QStringList log_;
};

} // namespace tavimo::test
