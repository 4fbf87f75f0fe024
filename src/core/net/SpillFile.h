#pragma once

#include "core/base/FileDescriptor.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tavimo {

// A file without a name that holds the answer of one running download while
// memory is spoken for. Nothing on disk names it, so it goes when it is
// closed, and a crash or a kill leaves nothing behind.
class SpillFile {
public:
    // Opened in `folder` (made when missing). When that folder takes no file,
    // or later no more bytes (a full disk), the file moves on to `fallback`
    // with what it holds. Nothing when neither takes it; `error` then names
    // each folder and why.
    static std::unique_ptr<SpillFile> open(const QString &folder, QString &error,
                                           const QString &fallback = QDir::tempPath());
    SpillFile(const SpillFile &) = delete;
    SpillFile &operator=(const SpillFile &) = delete;

    // Adds the bytes at the end. False when not all of them were written in
    // any folder; error() says why, and the file is of no further use.
    bool append(const char *data, qint64 size);
    bool append(const QByteArray &bytes) { return append(bytes.constData(), bytes.size()); }
    qint64 size() const { return size_; }
    // Everything written, or nothing when it cannot be read back.
    std::optional<QByteArray> readAll();
    const QString &error() const { return error_; }

private:
    explicit SpillFile(QStringList folders) : left_(std::move(folders)) {}
    // The file in the next folder that takes it and what it holds; false,
    // with error() set, when no folder is left.
    bool moveOn();
    void giveUp(const QString &folder, int error);

    UniqueFd fd_;
    qint64 size_ = 0;
    QString folder_;       // where it is
    QStringList left_;     // where it may go next
    QStringList failures_; // each folder given up, and why
    QString error_;
};

} // namespace tavimo
