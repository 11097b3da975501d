#pragma once

#include <QImage>
#include <QObject>
#include <QUrl>

#include <functional>

// Loads a cover image from a file or web address. A failed, refused, oversized or undecodable load gives a
// null image; done runs on the main thread and is dropped once context is gone.
class IArtworkFetcher {
public:
    virtual ~IArtworkFetcher() = default;
    virtual void fetch(const QUrl& address, QObject* context, std::function<void(const QImage&)> done) = 0;
};
