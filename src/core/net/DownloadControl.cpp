#include "core/net/DownloadControl.h"

#include "Version.h"

#include "core/base/Logging.h"

#include <QBasicTimer>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QNetworkReply>
#include <QPointer>
#include <QTimerEvent>

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

} // namespace

DownloadContext::DownloadContext() : userAgent_(QByteArrayLiteral("Tavimo/" TAVIMO_VERSION)) {
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

// One running read. Its watchdog fires at most once per timeout period and
// checks the time of the last activity, so arriving data costs no timer work.
struct DownloadControl::Read {
    quint64 serial = 0;
    QPointer<QNetworkReply> reply;
    QBasicTimer watchdog;
    QElapsedTimer sinceActivity;
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

bool DownloadControl::isPending(const QString &key) const {
    return reads_.find(key) != reads_.end();
}

void DownloadControl::cancelAll() {
    for (auto &entry : reads_)
        drop(*entry.second);
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
    if (!isWebAddress(url)) {
        // Reported like any other failure: later, from the event loop, so the
        // caller's loop over its requests is never re-entered.
        QMetaObject::invokeMethod(
            this, [this, key, serial] { fail(key, serial, QStringLiteral("not a web address")); },
            Qt::QueuedConnection);
        return;
    }

    QNetworkReply *reply = context_.network().get(context_.request(url));
    read.reply = reply;
    replyKeys_.insert(reply, key);
    connect(
        reply, &QNetworkReply::downloadProgress, this,
        [this, key, serial](qint64 done, qint64 total) { onProgress(key, serial, done, total); });

    const auto timeout = context_.transferTimeout();
    if (timeout.count() > 0) {
        read.sinceActivity.start();
        read.watchdog.start(int(timeout.count()), this);
    }
}

void DownloadControl::timerEvent(QTimerEvent *event) {
    const auto timeout = context_.transferTimeout();
    for (auto &[key, read] : reads_) {
        if (read->watchdog.timerId() != event->timerId())
            continue;
        const auto idle = std::chrono::milliseconds(read->sinceActivity.elapsed());
        if (idle < timeout) {
            read->watchdog.start(int((timeout - idle).count()), this);
            return;
        }
        fail(key, read->serial, QStringLiteral("no data for %1 ms").arg(timeout.count()));
        return;
    }
    QObject::timerEvent(event);
}

void DownloadControl::onProgress(QString key, quint64 serial, qint64 done, qint64 total) {
    Read *read = current(key, serial);
    if (!read)
        return;
    read->sinceActivity.restart();
    // `total` is the announced length once the headers are in.
    if (done > context_.bodyCap() || total > context_.bodyCap()) {
        fail(key, serial, QStringLiteral("body larger than %1 bytes").arg(context_.bodyCap()));
        return;
    }
    if (flavour_ == Flavour::Bytes)
        emit progress(key, qMax<qint64>(total, 0), done);
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

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QString why;
    QByteArray body;
    if (reply->error() != QNetworkReply::NoError)
        why = reply->errorString();
    else if (status < 200 || status > 299)
        why = QStringLiteral("HTTP status %1").arg(status);
    else if (body = reply->readAll(); body.size() > context_.bodyCap())
        why = QStringLiteral("body larger than %1 bytes").arg(context_.bodyCap());

    QImage image;
    QSize size;
    if (why.isEmpty() && flavour_ == Flavour::Picture) {
        image = decodePicture(body, pictureSizeOnly_, size);
        if (!size.isValid() || size.isEmpty())
            why = QStringLiteral("not a picture");
    }
    read.reset();

    if (!why.isEmpty()) {
        qCDebug(lcCore) << "download" << key << "failed:" << why;
        emit failed(key);
        return;
    }
    if (flavour_ == Flavour::Picture) {
        picture_ = std::move(image);
        pictureSize_ = size;
    } else
        context_.DownloadBuffer = body;
    emit ready(key, body);
}

void DownloadControl::fail(QString key, quint64 serial, const QString &why) {
    if (!current(key, serial))
        return;
    std::unique_ptr<Read> read = take(key);
    drop(*read);
    read.reset();
    qCDebug(lcCore) << "download" << key << "failed:" << why;
    emit failed(key);
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
