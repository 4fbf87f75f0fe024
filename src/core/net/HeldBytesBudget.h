#pragma once

#include <QtGlobal>

namespace tavimo {

// What the running downloads of the program hold of their answers in memory,
// against one limit. A read takes room before it keeps bytes and gives it back
// when they leave memory. Room that is not there is refused, never waited for:
// the read keeps its answer elsewhere, so a slow server never holds back the
// memory a fast one needs.
class HeldBytesBudget {
public:
    explicit HeldBytesBudget(qint64 limit) : limit_(limit) {}

    // 0 or less: no limit.
    qint64 limit() const { return limit_; }
    void setLimit(qint64 bytes) { limit_ = bytes; }
    qint64 held() const { return held_; }

    // Takes room for `bytes` when they fit within the limit; false takes nothing.
    [[nodiscard]] bool hold(qint64 bytes) {
        if (bytes < 0 || (limit_ > 0 && bytes > limit_ - held_))
            return false;
        held_ += bytes;
        return true;
    }
    // Gives back room taken before; never more than is held.
    void release(qint64 bytes) {
        Q_ASSERT(bytes >= 0 && bytes <= held_);
        held_ -= qBound<qint64>(0, bytes, held_);
    }

private:
    qint64 limit_;
    qint64 held_ = 0;
};

} // namespace tavimo
