#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace tavimo {

// A file without a name that holds the answer of one running download while
// memory is spoken for. Nothing on disk names it, so it goes when it is
// closed, and a crash or a kill leaves nothing behind.
class SpillFile {
public:
    // Opened in `folder` (made when missing), else in the system's temporary
    // folder. Nothing when neither takes a file; `error` then says why.
    static std::unique_ptr<SpillFile> open(const QString &folder, QString &error);
    ~SpillFile();
    SpillFile(const SpillFile &) = delete;
    SpillFile &operator=(const SpillFile &) = delete;

    // Adds the bytes at the end. False when not all of them were written (a
    // full disk); error() says why, and the file is of no further use.
    bool append(const char *data, qint64 size);
    bool append(const QByteArray &bytes) { return append(bytes.constData(), bytes.size()); }
    qint64 size() const { return size_; }
    // Everything written, or nothing when it cannot be read back.
    std::optional<QByteArray> readAll();
    const QString &error() const { return error_; }

private:
    explicit SpillFile(int fd) : fd_(fd) {}

    int fd_;
    qint64 size_ = 0;
    QString error_;
};

} // namespace tavimo
