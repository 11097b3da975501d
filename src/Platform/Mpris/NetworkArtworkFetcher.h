#pragma once

#include "Platform/Mpris/IArtworkFetcher.h"

#include <QNetworkAccessManager>

// Cover images from file, http and https addresses only, at most maxBytes each; anything else, a larger
// body, a failed load or data that is no image gives a null image. Reading and decoding run off the main
// thread; the image is scaled down to at most maxSide pixels on its longer side.
class NetworkArtworkFetcher final : public IArtworkFetcher {
public:
    static constexpr qint64 maxBytes = 8 * 1024 * 1024;
    static constexpr int maxSide = 256;
    static constexpr int transferTimeoutMs = 10000;

    void fetch(const QUrl& address, QObject* context, std::function<void(const QImage&)> done) override;

private:
    void fetchFile(const QString& path, QObject* context, std::function<void(const QImage&)> done);
    void fetchWeb(const QUrl& address, QObject* context, std::function<void(const QImage&)> done);

    QNetworkAccessManager m_network;
};
