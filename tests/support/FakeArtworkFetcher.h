#pragma once

#include "Platform/Mpris/IArtworkFetcher.h"

#include <QHash>

// Holds each load until the test finishes it.
class FakeArtworkFetcher final : public IArtworkFetcher {
public:
    QList<QUrl> requested;

    void fetch(const QUrl& address, QObject*, std::function<void(const QImage&)> done) override {
        requested.append(address);
        pending.insert(address, std::move(done));
    }
    void finish(const QUrl& address, const QImage& image) { pending.take(address)(image); }

private:
    QHash<QUrl, std::function<void(const QImage&)>> pending;
};
