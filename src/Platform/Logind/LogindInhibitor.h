#pragma once

#include "Platform/Logind/IInhibitor.h"

#include <QDBusConnection>
#include <QString>

// A logind inhibitor lock of one kind ("sleep:idle", "handle-lid-switch") in block mode. The lock is the
// file descriptor logind hands back; it is held close-on-exec, so child processes never keep it alive.
class LogindInhibitor final : public IInhibitor {
public:
    LogindInhibitor(QDBusConnection systemBus, QString what, QString why);
    void acquire(QObject* context, Done done) override;

private:
    QDBusConnection m_bus;
    QString m_what;
    QString m_why;
};

// Keeps the display from blanking: the desktop's screen-saver inhibit on the session bus when the session has
// one, else the X server's own screen-saver suspension.
class DisplayIdleInhibitor final : public IInhibitor {
public:
    DisplayIdleInhibitor(QDBusConnection sessionBus, QString why);
    void acquire(QObject* context, Done done) override;

private:
    QDBusConnection m_bus;
    QString m_why;
};
