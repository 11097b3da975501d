#include "Platform/DBus/DBusReply.h"

#include <QDBusPendingCallWatcher>
#include <QPointer>

void callAsync(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs, QObject* context,
               std::function<void(const QDBusMessage& reply)> done) {
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            context,
            [done = std::move(done)] { done(QDBusMessage::createError(QDBusError::Disconnected, {})); },
            Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}
