#include "core/net/DownloadControl.h"

#include "Version.h"

#include "core/base/Logging.h"
#include "core/net/SpillFile.h"

#include <QBasicTimer>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QNetworkReply>
#include <QPointer>
#include <QStandardPaths>
#include <QTimerEvent>

#include <algorithm>

#if QT_CONFIG(ssl)
#include <QSslError>
#endif

namespace tavimo {

namespace {

bool isWebAddress(const QUrl &url) {
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

// Only the formats a reception site publishes count as a picture; a server's
// error page must not pass for one through some lenient decoder. With
// `sizeOnly`, only the header is read: the image stays null, `size` is set.
QImage decodePicture(const QByteArray &bytes, bool sizeOnly, QSize &size) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    size = QSize();
    if (format != "bmp" && format != "gif" && format != "jpeg" && format != "png")
        return {};
    if (sizeOnly) {
        size = reader.size();
        return {};
    }
    QImage image = reader.read();
    size = image.size();
    return image;
}

// The site an address belongs to, for the failure log: its folder.
QString siteOf(const QUrl &address) {
    return address
        .adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment |
                  QUrl::RemoveUserInfo)
        .toString();
}

#if QT_CONFIG(ssl)
QString certificateReason(const QSslError &error) {
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return QStringLiteral("certificate self-signed");
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("certificate not trusted by this system");
    case QSslError::CertificateExpired:
        return QStringLiteral("certificate expired");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("certificate not yet valid");
    case QSslError::HostNameMismatch:
        return QStringLiteral("certificate made out to another host");
    case QSslError::CertificateRevoked:
        return QStringLiteral("certificate revoked");
    default:
        return QStringLiteral("certificate refused: ") + error.errorString();
    }
}
#endif

// Why a finished reply failed, in the words a user can act on; "" when it did not.
QString replyFailure(const QNetworkReply &reply, const QString &certificate) {
    switch (reply.error()) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("connection refused");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("host not found");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connection closed by the server");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("too many redirects");
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("redirected from https to http");
    case QNetworkReply::SslHandshakeFailedError:
        return certificate.isEmpty() ? QStringLiteral("secure connection failed") : certificate;
    default: {
        // Errors of the HTTP answer itself are told by their status below.
        const int code = int(reply.error());
        if (code < 200 || code >= 600)
            return reply.errorString();
        break;
    }
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        const QString phrase =
            reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
        return QStringLiteral("HTTP status %1").arg(status.toInt()) +
               (phrase.isEmpty() ? QString() : QStringLiteral(" ") + phrase);
    }
    return reply.error() == QNetworkReply::NoError ? QString() : reply.errorString();
}

// From this size on, a body is given the room for the whole cap at once.
constexpr qint64 kReserveWholeCapFrom = qint64(1) * 1024 * 1024;

QString secondsText(std::chrono::milliseconds time) {
    return QString::number(double(time.count()) / 1000.0, 'g', 6);
}

} // namespace

DownloadContext::DownloadContext() : userAgent_(QByteArrayLiteral("Tavimo/" TAVIMO_VERSION)) {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty())
        spillFolder_ = cache + QStringLiteral("/tavimo");
    network_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

DownloadContext::~DownloadContext() = default;

QNetworkRequest DownloadContext::request(const QUrl &url) const {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    return request;
}

void DownloadContext::logFailure(const QString &address, const QString &reason) {
    QStringList &logged = loggedFailures_[siteOf(QUrl(address, QUrl::TolerantMode))];
    if (logged.contains(reason))
        return;
    logged.append(reason);
    qCWarning(lcCore).noquote() << "download of" << address << "failed:" << reason;
}

void DownloadContext::forgetFailure(const QString &address) {
    if (!loggedFailures_.isEmpty())
        loggedFailures_.remove(siteOf(QUrl(address, QUrl::TolerantMode)));
}

// One running read. Its watchdog fires at most once per timeout period and
// checks the time of the last activity, so arriving data costs no timer work.
// The body is taken from the reply as it arrives, so the network thread never
// holds more than the reply's read buffer.
struct DownloadControl::Read {
    quint64 serial = 0;
    QString address; // as asked for
    QPointer<QNetworkReply> reply;
    QBasicTimer watchdog;
    QElapsedTimer sinceActivity;
    QElapsedTimer sinceStart;
    QByteArray body; // in memory: the allowance, and past it what the budget allows
    qint64 held = 0; // what it holds of the budget
    std::unique_ptr<SpillFile> spill; // the body, once the budget had no room for it
    QString certificate;              // what was wrong with the server's certificate

    qint64 received() const { return body.size() + (spill ? spill->size() : 0); }
};

DownloadControl::DownloadControl(DownloadContext &context, Flavour flavour, QObject *parent)
    : QObject(parent), context_(context), flavour_(flavour) {
    // One connection for every read of this control: a request then makes
    // only the one for its progress.
    connect(&context_.network(), &QNetworkAccessManager::finished, this,
            &DownloadControl::onReplyFinished);
}

DownloadControl::~DownloadControl() {
    cancelAll();
}

void DownloadControl::DownloadFile(const QString &url, const QString &key) {
    Q_ASSERT(flavour_ != Flavour::Picture);
    start(url, key);
}

void DownloadControl::DownloadPicture(const QString &url, const QString &key) {
    Q_ASSERT(flavour_ == Flavour::Picture);
    start(url, key);
}

void DownloadControl::setBodyCap(qint64 bytes, OverCap rule) {
    bodyCap_ = bytes;
    overCap_ = rule;
}

qint64 DownloadControl::bodyCap() const {
    return bodyCap_ > 0 ? bodyCap_ : context_.bodyCap();
}

std::chrono::milliseconds DownloadControl::readDeadline() const {
    return flavour_ == Flavour::Text ? context_.textReadDeadline() : context_.readDeadline();
}

bool DownloadControl::isPending(const QString &key) const {
    return reads_.find(key) != reads_.end();
}

void DownloadControl::cancelAll() {
    for (auto &entry : reads_) {
        release(*entry.second);
        drop(*entry.second);
    }
    reads_.clear();
    replyKeys_.clear();
}

void DownloadControl::start(const QString &text, const QString &key) {
    if (std::unique_ptr<Read> older = take(key)) {
        qCDebug(lcCore) << "download" << key << "replaces the running read";
        drop(*older);
    }

    auto owned = std::make_unique<Read>();
    Read &read = *owned;
    read.serial = nextSerial_++;
    const quint64 serial = read.serial;
    reads_.emplace(key, std::move(owned));

    const QUrl url(text.trimmed(), QUrl::TolerantMode);
    read.address = text.trimmed();
    if (!isWebAddress(url)) {
        // Reported like any other failure: later, from the event loop, so the
        // caller's loop over its requests is never re-entered.
        QMetaObject::invokeMethod(
            this, [this, key, serial] { fail(key, serial, QStringLiteral("not a web address")); },
            Qt::QueuedConnection);
        return;
    }

    QNetworkReply *reply = context_.network().get(context_.request(url));
    reply->setReadBufferSize(DownloadContext::ReadBufferSize);
    read.reply = reply;
    replyKeys_.insert(reply, key);
    connect(
        reply, &QNetworkReply::downloadProgress, this,
        [this, key, serial](qint64 done, qint64 total) { onProgress(key, serial, done, total); });
    connect(reply, &QIODevice::readyRead, this, [this, key, serial] { onReadyRead(key, serial); });
#if QT_CONFIG(ssl)
    connect(reply, &QNetworkReply::sslErrors, this,
            [this, key, serial](const QList<QSslError> &errors) {
                Read *running = current(key, serial);
                if (!running || errors.isEmpty())
                    return;
                QStringList reasons;
                for (const QSslError &error : errors) {
                    const QString reason = certificateReason(error);
                    if (!reasons.contains(reason))
                        reasons.append(reason);
                }
                running->certificate = reasons.join(QStringLiteral(", "));
            });
#endif

    read.sinceActivity.start();
    read.sinceStart.start();
    const auto timeout = context_.transferTimeout();
    const auto deadline = readDeadline();
    if (timeout.count() > 0 || deadline.count() > 0) {
        const auto first = timeout.count() <= 0    ? deadline
                           : deadline.count() <= 0 ? timeout
                                                   : std::min(timeout, deadline);
        read.watchdog.start(int(first.count()), this);
    }
}

void DownloadControl::timerEvent(QTimerEvent *event) {
    using std::chrono::milliseconds;
    const auto timeout = context_.transferTimeout();
    const auto deadline = readDeadline();
    for (auto &[key, read] : reads_) {
        if (read->watchdog.timerId() != event->timerId())
            continue;
        const milliseconds idle(read->sinceActivity.elapsed());
        const milliseconds running(read->sinceStart.elapsed());
        if (deadline.count() > 0 && running >= deadline) {
            // A server that trickles is no quicker for being waited on; the
            // next pass asks again.
            fail(key, read->serial,
                 QStringLiteral("not complete after %1 s").arg(secondsText(deadline)));
            return;
        }
        if (timeout.count() > 0 && idle >= timeout) {
            fail(key, read->serial, QStringLiteral("no data for %1 s").arg(secondsText(timeout)));
            return;
        }
        milliseconds next = milliseconds::max();
        if (timeout.count() > 0)
            next = timeout - idle;
        if (deadline.count() > 0)
            next = std::min(next, deadline - running);
        read->watchdog.start(int(next.count()), this);
        return;
    }
    QObject::timerEvent(event);
}

void DownloadControl::onProgress(QString key, quint64 serial, qint64 done, qint64 total) {
    Read *read = current(key, serial);
    if (!read)
        return;
    read->sinceActivity.restart();
    // `total` is the announced length once the headers are in; a text that
    // keeps its head reads on to the cap whatever is announced.
    if (overCap_ == OverCap::Fail && total > bodyCap()) {
        fail(key, serial, QStringLiteral("answer larger than %1 bytes").arg(bodyCap()));
        return;
    }
    if (flavour_ == Flavour::Bytes)
        emit progress(key, qMax<qint64>(total, 0), done);
}

void DownloadControl::onReadyRead(QString key, quint64 serial) {
    Read *read = current(key, serial);
    if (!read || !read->reply)
        return;
    read->sinceActivity.restart();
    QString why;
    if (!keep(*read, why)) {
        fail(key, serial, why);
        return;
    }
    const qint64 cap = bodyCap();
    if (read->received() <= cap)
        return;
    const int status = read->reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (overCap_ == OverCap::Fail || status < 200 || status > 299) {
        fail(key, serial,
             status >= 200 && status <= 299 ? QStringLiteral("answer larger than %1 bytes").arg(cap)
                                            : QStringLiteral("HTTP status %1").arg(status));
        return;
    }
    std::unique_ptr<Read> done = take(key);
    std::optional<QByteArray> body = wholeBody(*done, why);
    drop(*done);
    if (!body) {
        fail(std::move(done), key, why);
        return;
    }
    body->truncate(cap);
    complete(std::move(done), key, std::move(*body), true);
}

bool DownloadControl::keep(Read &read, QString &why) {
    // Never more than one byte past the cap is kept: enough to know it was passed.
    const qint64 cap = bodyCap();
    const qint64 wanted = qMin(cap + 1 - read.received(), read.reply->bytesAvailable());
    if (wanted <= 0)
        return true;
    if (!read.spill) {
        const qint64 beyond =
            qMax<qint64>(0, read.body.size() + wanted - DownloadContext::MemoryAllowancePerRead) -
            read.held;
        if (beyond <= 0 || context_.budget().hold(beyond))
            read.held += qMax<qint64>(beyond, 0);
        else if (!spill(read, why))
            return false;
    }
    if (read.spill) {
        if (!read.spill->append(read.reply->read(wanted))) {
            why = QStringLiteral("no room to hold the answer (%1)").arg(read.spill->error());
            return false;
        }
        return true;
    }
    // A large body gets room for all it may grow to at once: growing it step
    // by step would copy it and leave the freed steps behind, several times
    // its size. Room not written to takes no memory.
    QByteArray &body = read.body;
    if (body.size() + wanted > kReserveWholeCapFrom && body.capacity() < cap + 1)
        body.reserve(cap + 1);
    const qsizetype at = body.size();
    body.resize(at + wanted);
    const qint64 got = qMax<qint64>(read.reply->read(body.data() + at, wanted), 0);
    body.truncate(at + got);
    releaseUnused(read);
    return true;
}

bool DownloadControl::spill(Read &read, QString &why) {
    QString error;
    read.spill = SpillFile::open(context_.spillFolder(), error);
    if (!read.spill) {
        why = QStringLiteral("no room to hold the answer (%1)").arg(error);
        return false;
    }
    const bool moved = read.spill->append(read.body);
    release(read);
    read.body = QByteArray();
    if (!moved) {
        why = QStringLiteral("no room to hold the answer (%1)").arg(read.spill->error());
        return false;
    }
    return true;
}

std::optional<QByteArray> DownloadControl::wholeBody(Read &read, QString &why) {
    QNetworkReply *reply = read.reply;
    const qint64 rest = reply ? qMin(bodyCap() + 1 - read.received(), reply->bytesAvailable()) : 0;
    if (!read.spill) {
        QByteArray body = std::move(read.body);
        if (rest > 0)
            body.append(reply->read(rest));
        return body;
    }
    if (rest > 0 && !read.spill->append(reply->read(rest))) {
        why = QStringLiteral("no room to hold the answer (%1)").arg(read.spill->error());
        return std::nullopt;
    }
    std::optional<QByteArray> body = read.spill->readAll();
    if (!body)
        why = QStringLiteral("answer not read back (%1)").arg(read.spill->error());
    read.spill.reset();
    return body;
}

void DownloadControl::onReplyFinished(QNetworkReply *finished) {
    // Every read of the program ends here; this control's own are known.
    const auto it = replyKeys_.constFind(finished);
    if (it == replyKeys_.cend())
        return;
    const QString key = *it;
    const auto read = reads_.find(key);
    if (read != reads_.end() && read->second->reply == finished)
        onFinished(key, read->second->serial);
}

void DownloadControl::onFinished(QString key, quint64 serial) {
    if (!current(key, serial))
        return;
    std::unique_ptr<Read> read = take(key);
    QNetworkReply *reply = read->reply;
    reply->disconnect(this);
    reply->deleteLater();

    QString why = replyFailure(*reply, read->certificate);
    std::optional<QByteArray> body;
    if (why.isEmpty())
        body = wholeBody(*read, why);
    if (!body) {
        fail(std::move(read), key, why);
        return;
    }
    const qint64 cap = bodyCap();
    bool cut = false;
    if (body->size() > cap) {
        if (overCap_ == OverCap::Fail) {
            fail(std::move(read), key, QStringLiteral("answer larger than %1 bytes").arg(cap));
            return;
        }
        body->truncate(cap);
        cut = true;
    }
    complete(std::move(read), key, std::move(*body), cut);
}

void DownloadControl::complete(std::unique_ptr<Read> read, const QString &key, QByteArray body,
                               bool cut) {
    // The handlers keep what they are given; not the room the body never filled.
    if (body.capacity() - body.size() > kReserveWholeCapFrom)
        body.squeeze();
    QImage image;
    QSize size;
    if (flavour_ == Flavour::Picture) {
        image = decodePicture(body, pictureSizeOnly_, size);
        if (!size.isValid() || size.isEmpty()) {
            fail(std::move(read), key, QStringLiteral("not a picture"));
            return;
        }
    }
    const QString address = read->address;
    read.reset();
    if (flavour_ == Flavour::Picture) {
        picture_ = std::move(image);
        pictureSize_ = size;
    } else
        context_.DownloadBuffer = body;
    // Told only to the handler of this answer.
    answerCut_ = cut;
    rejection_.clear();
    // The handler may destroy this control with its window.
    DownloadContext &context = context_;
    const QPointer<DownloadControl> alive(this);
    emit ready(key, body);
    if (alive && !rejection_.isEmpty()) {
        qCDebug(lcCore) << "download" << key << "rejected:" << rejection_;
        context.logFailure(address, rejection_);
    } else
        context.forgetFailure(address);
    if (alive) {
        answerCut_ = false;
        rejection_.clear();
    }
}

void DownloadControl::fail(QString key, quint64 serial, const QString &why) {
    if (!current(key, serial))
        return;
    std::unique_ptr<Read> read = take(key);
    drop(*read);
    fail(std::move(read), key, why);
}

void DownloadControl::fail(std::unique_ptr<Read> read, const QString &key, const QString &why) {
    const QString address = read->address;
    read.reset();
    qCDebug(lcCore) << "download" << key << "failed:" << why;
    context_.logFailure(address, why);
    failureReason_ = why;
    emit failed(key);
}

void DownloadControl::release(Read &read) {
    context_.budget().release(read.held);
    read.held = 0;
}

void DownloadControl::releaseUnused(Read &read) {
    const qint64 needed =
        qMax<qint64>(0, read.body.size() - DownloadContext::MemoryAllowancePerRead);
    if (read.held > needed) {
        context_.budget().release(read.held - needed);
        read.held = needed;
    }
}

DownloadControl::Read *DownloadControl::current(const QString &key, quint64 serial) const {
    const auto it = reads_.find(key);
    return it != reads_.end() && it->second->serial == serial ? it->second.get() : nullptr;
}

std::unique_ptr<DownloadControl::Read> DownloadControl::take(const QString &key) {
    const auto it = reads_.find(key);
    if (it == reads_.end())
        return nullptr;
    std::unique_ptr<Read> read = std::move(it->second);
    reads_.erase(it);
    replyKeys_.remove(read->reply.data());
    release(*read);
    return read;
}

void DownloadControl::drop(Read &read) {
    read.watchdog.stop();
    if (QNetworkReply *reply = read.reply) {
        // Forgotten first, so the abort's own finished signal reaches nobody.
        replyKeys_.remove(reply);
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

} // namespace tavimo
