#include "Platform/Logind/LogindSession.h"

#include "Foundation/WhileAlive.h"
#include "Platform/DBus/DBusReply.h"

#include <QDBusObjectPath>
#include <QTimer>

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");

} // namespace

LogindSession::LogindSession(QDBusConnection systemBus, QDBusConnection sessionBus, Warn warn,
                             QObject* parent)
    : ILogindSession(parent)
    , m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus))
    , m_warn(std::move(warn)) {}

void LogindSession::start() {
    if (!m_systemBus.isConnected())
        return;
    QStringList ids;
    const QString own = qEnvironmentVariable("XDG_SESSION_ID");
    if (!own.isEmpty())
        ids << own;
    findSession(ids << QStringLiteral("auto"));
}

void LogindSession::findSession(QStringList ids) {
    if (ids.isEmpty())
        return;
    auto message = QDBusMessage::createMethodCall(logindService, managerPath, managerInterface,
                                                  QStringLiteral("GetSession"));
    message << ids.takeFirst();
    callAsync(m_systemBus, message, callTimeoutMs, this, [this, ids](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            follow(reply.arguments().constFirst().value<QDBusObjectPath>().path());
        else
            findSession(ids);
    });
}

void LogindSession::follow(const QString& path) {
    m_watch = DBusSignalWatch::propertiesChanged(m_systemBus, logindService, path,
                                                 [this](const PropertiesChange& change) { handle(change); });
    readAllProperties(m_systemBus, {logindService, path, sessionInterface}, callTimeoutMs, this,
                      [this, path](const std::optional<QVariantMap>& properties) {
                          if (!properties)
                              return;
                          m_path = path;
                          apply(*properties);
                          Q_EMIT stateChanged();
                      });
}

void LogindSession::handle(const PropertiesChange& change) {
    if (change.interface != sessionInterface || m_path.isEmpty())
        return;
    const bool wasActive = m_active;
    const bool wasLocked = m_locked;
    apply(change.changed);
    if (wasActive != m_active || wasLocked != m_locked)
        Q_EMIT stateChanged();
}

void LogindSession::apply(const QVariantMap& properties) {
    if (properties.contains(QStringLiteral("Active")))
        m_active = properties.value(QStringLiteral("Active")).toBool();
    if (properties.contains(QStringLiteral("LockedHint")))
        m_locked = properties.value(QStringLiteral("LockedHint")).toBool();
}

void LogindSession::lock(QObject* context, LockDone done) {
    const LockDone finish = whileAlive(context, std::move(done));
    if (m_path.isEmpty()) {
        lockThroughScreenSaver(finish, QStringLiteral("sessão do logind desconhecida"));
        return;
    }
    const auto message =
        QDBusMessage::createMethodCall(logindService, m_path, sessionInterface, QStringLiteral("Lock"));
    callAsync(m_systemBus, message, callTimeoutMs, this, [this, finish](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ReplyMessage) {
            checkLockedLater();
            finish(true, {});
        } else {
            lockThroughScreenSaver(finish, reply.errorMessage());
        }
    });
}

void LogindSession::lockThroughScreenSaver(LockDone done, const QString& logindError) {
    if (!m_sessionBus.isConnected()) {
        done(false, logindError);
        return;
    }
    const auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Lock"));
    callAsync(m_sessionBus, message, callTimeoutMs, this,
              [this, done, logindError](const QDBusMessage& reply) {
                  if (reply.type() == QDBusMessage::ReplyMessage) {
                      checkLockedLater();
                      done(true, {});
                  } else {
                      done(false, logindError + QStringLiteral("; ") + reply.errorMessage());
                  }
              });
}

// Accepting the request does not mean that anything locks: with no locker listening the session stays
// open. The hint tells, if the session is known.
void LogindSession::checkLockedLater() {
    QTimer::singleShot(lockCheckDelayMs, this, [this] {
        if (!m_path.isEmpty() && !m_locked && m_warn)
            m_warn(QStringLiteral("pedido de bloqueio aceito, mas a sessão não bloqueou"),
                   QStringLiteral("LockedHint ainda falso após %1 s").arg(lockCheckDelayMs / 1000));
    });
}
