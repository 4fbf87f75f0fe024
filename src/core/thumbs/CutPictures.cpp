#include "core/thumbs/CutPictures.h"

#include <QCryptographicHash>
#include <QTimer>

#include <cstring>
#include <utility>

namespace tavimo {

namespace {

using Bytes = const unsigned char *;

int be16(Bytes p) {
    return (p[0] << 8) | p[1];
}

quint32 be32(Bytes p) {
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

// Markers, segments and the entropy-coded data after each scan. Inside a
// scan a 0xFF byte is followed by 0x00 (a stuffed byte) or a restart marker,
// so the first other marker ends the scan; the end marker can appear nowhere
// but at the end (an embedded thumbnail's lies inside its segment).
bool jpegWhole(Bytes p, qsizetype n) {
    qsizetype pos = 2;
    while (pos < n) {
        if (p[pos] != 0xFF) {
            // Stray bytes between segments: decoders skip them, so do we.
            const void *next = std::memchr(p + pos, 0xFF, size_t(n - pos));
            if (!next)
                return false;
            pos = static_cast<Bytes>(next) - p;
        }
        while (pos < n && p[pos] == 0xFF)
            ++pos;
        if (pos >= n)
            return false;
        const int marker = p[pos++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (pos + 2 > n)
            return false;
        const int length = be16(p + pos);
        if (length < 2 || pos + length > n)
            return false;
        pos += length;
        if (marker != 0xDA)
            continue;
        for (;;) {
            const void *next = std::memchr(p + pos, 0xFF, size_t(n - pos));
            if (!next)
                return false;
            pos = static_cast<Bytes>(next) - p;
            if (pos + 1 >= n)
                return false;
            const int following = p[pos + 1];
            if (following == 0x00 || (following >= 0xD0 && following <= 0xD7) ||
                following == 0xFF) {
                ++pos;
                continue;
            }
            break;
        }
    }
    return false;
}

bool pngWhole(Bytes p, qsizetype n) {
    qsizetype pos = 8;
    while (pos + 8 <= n) {
        const quint32 length = be32(p + pos);
        if (std::memcmp(p + pos + 4, "IEND", 4) == 0)
            return true;
        if (length > 0x7FFFFFFFu)
            return false;
        pos += 12 + qsizetype(length);
    }
    return false;
}

// Skips data sub-blocks; false when the bytes end first.
bool skipSubBlocks(Bytes p, qsizetype n, qsizetype &pos) {
    for (;;) {
        if (pos >= n)
            return false;
        const int size = p[pos++];
        if (size == 0)
            return true;
        pos += size;
    }
}

bool gifWhole(Bytes p, qsizetype n) {
    if (n < 13)
        return false;
    qsizetype pos = 13;
    if (p[10] & 0x80)
        pos += 3 * (qsizetype(1) << ((p[10] & 7) + 1));
    while (pos < n) {
        const int block = p[pos++];
        if (block == 0x3B)
            return true;
        if (block == 0x21) {
            ++pos; // the extension's label
        } else if (block == 0x2C) {
            if (pos + 9 > n)
                return false;
            const int flags = p[pos + 8];
            pos += 9;
            if (flags & 0x80)
                pos += 3 * (qsizetype(1) << ((flags & 7) + 1));
            ++pos; // the LZW code size
        } else {
            return false;
        }
        if (!skipSubBlocks(p, n, pos))
            return false;
    }
    return false;
}

} // namespace

bool isPictureWhole(const QByteArray &picture) {
    const auto *p = reinterpret_cast<Bytes>(picture.constData());
    const qsizetype n = picture.size();
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8)
        return jpegWhole(p, n);
    if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1A\n", 8) == 0)
        return pngWhole(p, n);
    if (n >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0))
        return gifWhole(p, n);
    return true;
}

CutVerdict SlotCuts::take(const QByteArray &picture, const CutRule &rule) {
    const bool empty = isPictureEmpty(picture);
    if (!empty && isPictureWhole(picture)) {
        *this = SlotCuts();
        return CutVerdict::Show;
    }
    askAtNextPass_ = true;
    // The same bytes twice, never a count: a file still being written may
    // look alike in length from one request to the next. No digest is this
    // short, so every empty answer is the same and none is a picture's.
    const QByteArray digest = empty ? QByteArrayLiteral("empty")
                                    : QCryptographicHash::hash(picture, QCryptographicHash::Sha256);
    if (digest == shown_) {
        // What the slot shows came again: it stays, and the next pass asks
        // again, for the site may finish its write at any time.
        held_.clear();
        return CutVerdict::AskNextPass;
    }
    if (digest == held_) {
        shown_ = digest;
        held_.clear();
        return cutShown();
    }
    held_ = digest;
    if (soonAsked_ < rule.soonAsks) {
        ++soonAsked_;
        return CutVerdict::AskSoon;
    }
    if (!rule.showWhenAsksRunOut)
        return CutVerdict::AskNextPass;
    // The site never stopped changing: its last answer, as it is.
    shown_ = held_;
    held_.clear();
    return cutShown();
}

CutVerdict SlotCuts::cutShown() {
    return std::exchange(cutShown_, true) ? CutVerdict::Show : CutVerdict::ShowCut;
}

void SlotCuts::shownAnswerGone() {
    if (!shown_.isEmpty())
        held_ = std::exchange(shown_, QByteArray());
}

CutPictures::CutPictures(CutRule rule, QObject *parent) : QObject(parent), rule_(rule) {}

void CutPictures::setLook(int slot, const SlotLook &look) {
    looks_.insert(slot, look);
}

void CutPictures::setLookUnlessSet(int slot, const SlotLook &look) {
    if (!looks_.contains(slot))
        looks_.insert(slot, look);
}

void CutPictures::endFetch(int slot) {
    looks_.remove(slot);
}

CutAnswer CutPictures::take(int slot, const QByteArray &picture) {
    soonAsks_.remove(slot);
    CutAnswer answer;
    answer.verdict = slots_[slot].take(picture, rule_);
    if (const auto look = looks_.constFind(slot); look != looks_.cend()) {
        if (!isShown(answer.verdict))
            answer.look = *look;
        looks_.erase(look);
    }
    return answer;
}

bool CutPictures::askAtNextPass(int slot) const {
    const auto it = slots_.constFind(slot);
    return it != slots_.cend() && it->askAtNextPass();
}

void CutPictures::shownAnswerGone(int slot) {
    if (const auto it = slots_.find(slot); it != slots_.end())
        it->shownAnswerGone();
}

void CutPictures::askSoon(const SlotTarget &target, const std::optional<SlotLook> &announced,
                          const std::optional<SlotLook> &kept) {
    const quint64 ticket = ++lastTicket_;
    soonAsks_.insert(target.slot, SoonAsk{ticket, target, announced, kept});
    QTimer::singleShot(retryDelay_, this,
                       [this, slot = target.slot, ticket] { soonAskDue(slot, ticket); });
}

void CutPictures::soonAskDue(int slot, quint64 ticket) {
    const auto it = soonAsks_.constFind(slot);
    if (it == soonAsks_.cend() || it->ticket != ticket)
        return; // given up, or made again since
    const SoonAsk ask = *it;
    soonAsks_.erase(it);
    // The same fetch once more: if it comes cut again, the slot keeps the
    // look it had before it.
    if (ask.kept)
        looks_.insert(slot, *ask.kept);
    emit askAgain(ask.target, ask.announced);
}

void CutPictures::startPass() {
    soonAsks_.clear();
    for (SlotCuts &cuts : slots_)
        cuts.passStarted();
}

void CutPictures::recaptionLooks(const std::function<QString(const QString &)> &recaption) {
    for (SlotLook &look : looks_)
        look.caption = recaption(look.caption);
    for (SoonAsk &ask : soonAsks_) {
        for (std::optional<SlotLook> *look : {&ask.announced, &ask.kept}) {
            if (*look)
                (*look)->caption = recaption((*look)->caption);
        }
    }
}

void CutPictures::forget(int slot) {
    slots_.remove(slot);
    looks_.remove(slot);
    soonAsks_.remove(slot);
}

void CutPictures::clear() {
    slots_.clear();
    looks_.clear();
    soonAsks_.clear();
}

} // namespace tavimo
