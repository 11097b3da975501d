#pragma once

#include "Platform/DBus/DBusReply.h"
#include "Platform/Logind/ILogindSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

// The caller's logind session over the system bus. start() finds the session (GetSession with
// $XDG_SESSION_ID, else "auto"), reads its properties once and then follows PropertiesChanged; nothing is
// asked per read. Locking calls Session.Lock() and waits for the session's LockedHint; when the hint stays
// false (nothing listens to logind's request) or logind refuses, it asks the desktop's screen saver (Lock on
// org.freedesktop.ScreenSaver, session bus), whose answer comes once the screen is locked. Every call is
// asynchronous with a timeout.
class LogindSession final : public ILogindSession {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 5000;
    static constexpr int lockConfirmMs = 3000;

    LogindSession(QDBusConnection systemBus, QDBusConnection sessionBus, QObject* parent = nullptr);

    void start();

    bool isKnown() const override { return !m_path.isEmpty(); }
    bool isActive() const override { return m_active; }
    bool isLocked() const override { return m_locked; }
    void lock(QObject* context, LockDone done) override;
    QString path() const { return m_path; }

private:
    void findSession(QStringList ids);
    void follow(const QString& path);
    void apply(const QVariantMap& properties);
    void handle(const PropertiesChange& change);
    void lockThroughScreenSaver(LockDone done, const QString& logindError);
    void awaitLocked(LockDone done);
    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    QString m_path;
    bool m_active = true;
    bool m_locked = false;
    std::unique_ptr<DBusSignalWatch> m_watch;
};
