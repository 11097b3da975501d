#pragma once

#include "Foundation/DegradedReporter.h"
#include "Platform/Screens/IScreenSleepSource.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <memory>
#include <vector>

class DBusSignalWatch;

// The displays' sleep and wake on a Linux session, from two D-Bus signals, subscribed to (never polled):
// - logind's org.freedesktop.login1.Manager.PrepareForSleep(bool) on the system bus: true just before the
//   machine suspends, false after it resumes;
// - ActiveChanged(bool) of org.freedesktop.ScreenSaver (and of org.gnome.ScreenSaver, which GNOME Shell emits
//   instead) on the session bus: true when the screen saver blanks or locks the screen, false when it goes.
// Both may fire for one suspend, in either order. A bus that cannot be reached is recorded as a degraded
// feature; the other bus still works.
class DBusScreenSleepSource final : public IScreenSleepSource {
    Q_OBJECT
public:
    DBusScreenSleepSource(QDBusConnection systemBus, QDBusConnection sessionBus,
                          DegradedReporter reportDegraded, QObject* parent = nullptr);
    ~DBusScreenSleepSource() override;

    void start() override;
    void stop() override;

private:
    bool subscribeSystemBus();
    bool subscribeSessionBus();
    bool subscribe(const QDBusConnection& bus, const QString& service, const QString& path,
                   const QString& interface, const QString& name);
    void handle(const QDBusMessage& message);

    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    DegradedReporter m_reportDegraded;
    bool m_started = false;
    std::vector<std::unique_ptr<DBusSignalWatch>> m_watches;
};
