#include "Platform/Mpris/NetworkArtworkFetcher.h"

#include "Foundation/BackgroundWork.h"
#include "Foundation/WhileAlive.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QPointer>
#include <QtConcurrent>

namespace {

QImage decode(const QByteArray& data) {
    QImage image = QImage::fromData(data);
    if (image.width() > NetworkArtworkFetcher::maxSide || image.height() > NetworkArtworkFetcher::maxSide)
        image = image.scaled(NetworkArtworkFetcher::maxSide, NetworkArtworkFetcher::maxSide,
                             Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// Only a regular file (never a FIFO or device, which could block the reader), and only up to the cap.
QByteArray readCapped(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > NetworkArtworkFetcher::maxBytes)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray data = file.read(NetworkArtworkFetcher::maxBytes + 1);
    return data.size() > NetworkArtworkFetcher::maxBytes ? QByteArray() : data;
}

// The image, made off the main thread, reaches `done` on it while `context` lives.
void answerWith(QFuture<QImage> image, QObject* context, std::function<void(const QImage&)> done) {
    image.then(answerContext(),
               [answer = whileAlive(context, std::move(done))](const QImage& made) { answer(made); });
}

} // namespace

void NetworkArtworkFetcher::fetch(const QUrl& address, QObject* context,
                                  std::function<void(const QImage&)> done) {
    const QString scheme = address.scheme().toLower();
    if (scheme == QLatin1String("file") && address.isLocalFile())
        fetchFile(address.toLocalFile(), context, std::move(done));
    else if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
             !address.host().isEmpty())
        fetchWeb(address, context, std::move(done));
    else
        QMetaObject::invokeMethod(
            context, [done] { done({}); }, Qt::QueuedConnection);
}

void NetworkArtworkFetcher::fetchFile(const QString& path, QObject* context,
                                      std::function<void(const QImage&)> done) {
    answerWith(QtConcurrent::run(&backgroundWork(), [path] { return decode(readCapped(path)); }), context,
               std::move(done));
}

void NetworkArtworkFetcher::fetchWeb(const QUrl& address, QObject* context,
                                     std::function<void(const QImage&)> done) {
    QNetworkRequest request(address);
    request.setTransferTimeout(transferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = m_network.get(request);
    const auto abortWhenTooLarge = [reply](qint64 received, qint64 total) {
        if (received > maxBytes || total > maxBytes)
            reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, abortWhenTooLarge);
    QPointer<QObject> guard(context);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, guard, done] {
        reply->deleteLater();
        if (!guard)
            return;
        // A body that arrived whole before the abort could act is refused here.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QByteArray body = reply->read(maxBytes + 1);
        if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299 ||
            body.size() > maxBytes) {
            done({});
            return;
        }
        answerWith(QtConcurrent::run(&backgroundWork(), [body = std::move(body)] { return decode(body); }),
                   guard, done);
    });
}
