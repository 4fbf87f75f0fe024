#include "core/net/CallsignLookup.h"

#include "core/base/Logging.h"
#include "core/geo/GridLocator.h"
#include "core/net/CallbookPage.h"

#include <QTimer>

namespace tavimo {

CallsignLookup::CallsignLookup(DownloadContext &context, const Endpoints &endpoints,
                               QObject *parent)
    : QObject(parent), context_(context), endpoints_(endpoints),
      pages_(context, DownloadControl::Flavour::Bytes, this),
      pictures_(context, DownloadControl::Flavour::Picture, this) {
    connect(&pages_, &DownloadControl::ready, this, &CallsignLookup::pageReady);
    connect(&pages_, &DownloadControl::failed, this, &CallsignLookup::pageFailed);
    connect(&pages_, &DownloadControl::progress, this, &CallsignLookup::pageProgress);
    connect(&pictures_, &DownloadControl::ready, this, &CallsignLookup::PictureReady);
    connect(&pictures_, &DownloadControl::failed, this, &CallsignLookup::NoPic);
}

CallsignLookup::~CallsignLookup() {
    cancel();
}

void CallsignLookup::GetSite() {
    RequestMode_ = 1;
    requestPage(callbookHomeAddress(endpoints_, DatabaseIndex_), callbookLabel(DatabaseIndex_));
}

void CallsignLookup::GetPage(const QString &Callsign) {
    PageCallsign_ = Callsign.toUpper();
    RequestMode_ = 2;
    requestPage(callbookRecordAddress(endpoints_, DatabaseIndex_, PageCallsign_), PageCallsign_);
}

void CallsignLookup::GetPicture(const QString &picture_url, const QString &Key) {
    pictures_.DownloadPicture(picture_url, Key);
}

void CallsignLookup::cancel() {
    ++pageRequest_;
    pages_.cancelAll();
    pictures_.cancelAll();
}

bool CallsignLookup::isPending(const QString &name) const {
    return pages_.isPending(name) || pictures_.isPending(name);
}

void CallsignLookup::requestPage(const QString &address, const QString &failureId) {
    // The control keeps one page, read with the rules of the database selected
    // now: an answer to an earlier request, perhaps of another database, would
    // be misread, so it is dropped.
    pages_.cancelAll();
    const quint64 request = ++pageRequest_;
    CurrentUrl_ = address;
    const QString label = callbookLabel(DatabaseIndex_);
    if (address.isEmpty() || label.isEmpty()) {
        qCDebug(lcCore) << "callbook" << DatabaseIndex_ << "cannot be asked for" << failureId;
        QTimer::singleShot(0, this, [this, request, failureId] {
            if (request == pageRequest_)
                pageNotFound(failureId);
        });
        return;
    }
    pages_.DownloadFile(address, label);
}

void CallsignLookup::pageProgress(const QString &key, qint64 bytesMax, qint64 bytesDone) {
    if (bytesMax <= kPageCap && bytesDone <= kPageCap)
        return;
    qCDebug(lcCore) << "callbook page" << key << "is larger than" << kPageCap << "bytes";
    pages_.cancelAll();
    pageNotFound(key);
}

void CallsignLookup::pageReady(const QString &key, const QByteArray &page) {
    if (page.size() > kPageCap) {
        pageNotFound(key);
        return;
    }
    PageText_ = callbookPageText(page);
    const bool labelled = pageHasLabel(PageText_, key);
    if (RequestMode_ == 1) {
        if (labelled)
            emit GotSite(key);
        else
            emit SiteNotFound(key);
    } else if (labelled) {
        emit GotPage(key);
    } else {
        emit PageNotFound(key);
    }
}

void CallsignLookup::pageFailed(const QString &key) {
    pageNotFound(key);
}

void CallsignLookup::pageNotFound(const QString &id) {
    if (RequestMode_ == 1)
        emit SiteNotFound(id);
    else
        emit PageNotFound(id);
}

QString CallsignLookup::cName() {
    bool recordFound = true;
    const QString name = callbook::cName(PageText_, DatabaseIndex_, &recordFound);
    if (!recordFound)
        emit CallNotFound(PageCallsign_);
    return name;
}

QString CallsignLookup::Add1() const {
    return callbook::Add1(PageText_, DatabaseIndex_);
}

QString CallsignLookup::Add2() const {
    return callbook::Add2(PageText_, DatabaseIndex_);
}

QString CallsignLookup::Ctry() const {
    return callbook::Ctry(PageText_, DatabaseIndex_);
}

double CallsignLookup::Latitude() const {
    return callbook::Latitude(PageText_, DatabaseIndex_);
}

double CallsignLookup::Longitude() const {
    return callbook::Longitude(PageText_, DatabaseIndex_);
}

SitePosition CallsignLookup::Position() const {
    SitePosition at{Latitude(), Longitude()};
    if (!at.isSet()) {
        if (const std::optional<SitePosition> centre = GridToLatLon(Grid()))
            at = *centre;
    }
    // A station on the equator or the zero meridian is taken to give no position.
    if (at.SiteLat == 0 || at.SiteLon == 0)
        return {};
    return at;
}

QString CallsignLookup::Class() const {
    return callbook::Class(PageText_, DatabaseIndex_);
}

QString CallsignLookup::PrevCall() const {
    return callbook::PrevCall(PageText_, DatabaseIndex_);
}

QString CallsignLookup::DateOfBirth() const {
    return callbook::DateOfBirth(PageText_, DatabaseIndex_);
}

QString CallsignLookup::Grid() const {
    return callbook::Grid(PageText_, DatabaseIndex_);
}

QString CallsignLookup::WebAddress() const {
    return callbook::WebAddress(PageText_, DatabaseIndex_);
}

} // namespace tavimo
