#pragma once

#include "core/files/Endpoints.h"
#include "core/geo/SitePosition.h"
#include "core/net/DownloadControl.h"

#include <QImage>
#include <QObject>
#include <QString>

namespace tavimo {

// Looks callsigns up in the web callbooks: fetches a station's record page
// from the selected database and station pictures from any address. The
// windows that host it (station record, own position, the site dialogs) pick
// a database, ask for a page, and read the fields from inside their GotPage
// handler; the control keeps the last page only and parses it on every
// getter call.
//
// Every request answers later, on the event loop, never inside the call:
//   page (GetPage, GetSite): exactly one of GotPage/PageNotFound (mode 2) or
//       GotSite/SiteNotFound (mode 1), unless a newer page request or cancel()
//       comes first, which drops it without an event. A page that fails to
//       arrive, is larger than kPageCap, or lacks the database's label in its
//       head counts as not found; so does a request that cannot be made (a
//       database outside 1..3, a callbook switched off, an empty callsign).
//   picture (GetPicture): PictureReady or NoPic. A second request under the
//       same key drops the first without an event.
// Destroying the control drops every read without an event.
class CallsignLookup : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kPageCap = qint64(2) * 1024 * 1024;

    CallsignLookup(DownloadContext &context, const Endpoints &endpoints, QObject *parent = nullptr);
    ~CallsignLookup() override;

    // The selected database's home page (RequestMode 1).
    void GetSite();
    // The record page of Callsign, upper-cased, in the selected database
    // (RequestMode 2).
    void GetPage(const QString &Callsign);
    // A picture, under a read name of the host's choosing.
    void GetPicture(const QString &picture_url, const QString &Key);
    // Selects the database: 1 eHam, 2 QRZ, 3 Hamdata; any value is kept, and
    // a request on another one reports not found.
    void Database(int data_base) { DatabaseIndex_ = data_base; }

    // The last picture read; null before the first.
    const QImage &Picture() const { return pictures_.Picture(); }

    // Fields of the last page, as callbook::cName and the rest read them.
    // cName raises CallNotFound (with PageCallsign) when the page holds no
    // record, before it returns the empty text.
    QString cName();
    QString Add1() const;
    QString Add2() const;
    QString Ctry() const;
    double Latitude() const;
    double Longitude() const;
    QString Class() const;
    QString PrevCall() const;
    QString DateOfBirth() const;
    QString Grid() const;
    QString WebAddress() const;
    // The record's position or, when it gives none, the centre of its grid
    // square. A record with either coordinate 0 counts as giving none (0, 0).
    SitePosition Position() const;

    // Drops every running read and every answer not yet given, silently.
    void cancel();
    // A read runs under this name (a database label or a picture key).
    bool isPending(const QString &name) const;

    const QString &PageText() const { return PageText_; }
    const QString &PageCallsign() const { return PageCallsign_; }
    int DatabaseIndex() const { return DatabaseIndex_; }
    int RequestMode() const { return RequestMode_; }
    // The address of the last page request; empty when none could be made.
    const QString &CurrentUrl() const { return CurrentUrl_; }

signals:
    void GotSite(const QString &id);
    void SiteNotFound(const QString &id);
    void GotPage(const QString &id);
    void PageNotFound(const QString &id);
    void CallNotFound(const QString &Cal);
    void PictureReady(const QString &Ky);
    void NoPic(const QString &id);

private:
    void requestPage(const QString &address, const QString &failureId);
    void pageReady(const QString &key, const QByteArray &page);
    void pageFailed(const QString &key);
    void pageProgress(const QString &key, qint64 bytesMax, qint64 bytesDone);
    void pageNotFound(const QString &id);

    DownloadContext &context_;
    Endpoints endpoints_;
    DownloadControl pages_;
    DownloadControl pictures_;
    QString PageText_;
    QString PageCallsign_;
    QString CurrentUrl_;
    int DatabaseIndex_ = 0;
    int RequestMode_ = 0;
    // Counts page requests, so that an answer queued for an older one is dropped.
    quint64 pageRequest_ = 0;
};

} // namespace tavimo
