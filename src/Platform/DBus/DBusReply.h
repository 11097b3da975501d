#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <functional>

// Sends a method call without blocking and hands the reply (or the error, a timeout included) to `done` on
// the main loop. Nothing is delivered once `context` is gone.
void callAsync(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs, QObject* context,
               std::function<void(const QDBusMessage& reply)> done);
