#pragma once

#include "Platform/DBus/DBusReply.h"
#include "Platform/Logind/ILogindSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

// The caller's logind session over the system bus. start() finds the session (GetSession with
// $XDG_SESSION_ID, else "auto"), reads its properties once and then follows PropertiesChanged; nothing is
// asked per read. Locking calls Session.Lock() and falls back to the desktop's screen saver (Lock on
// org.freedesktop.ScreenSaver, session bus). Every call is asynchronous with a timeout.
class LogindSession final : public ILogindSession {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 5000;
    static constexpr int lockCheckDelayMs = 2000;
    using Warn = std::function<void(const QString& message, const QString& detail)>;

    LogindSession(QDBusConnection systemBus, QDBusConnection sessionBus, Warn warn,
                  QObject* parent = nullptr);

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
    void checkLockedLater();
    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    Warn m_warn;
    QString m_path;
    bool m_active = true;
    bool m_locked = false;
    std::unique_ptr<DBusSignalWatch> m_watch;
};
