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

LogindSession::LogindSession(QDBusConnection systemBus, QDBusConnection sessionBus, QObject* parent)
    : ILogindSession(parent)
    , m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus)) {}

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
        if (reply.type() == QDBusMessage::ReplyMessage)
            awaitLocked(finish);
        else
            lockThroughScreenSaver(finish, reply.errorMessage());
    });
}

// logind passes the request on to whichever locker listens; with none, accepting it locks nothing. The
// session's hint tells when the screen is locked.
void LogindSession::awaitLocked(LockDone done) {
    if (m_locked) {
        done(true, {});
        return;
    }
    auto* deadline = new QTimer(this);
    deadline->setSingleShot(true);
    const auto settle = [this, deadline] {
        disconnect(this, nullptr, deadline, nullptr);
        deadline->disconnect();
        deadline->deleteLater();
    };
    connect(this, &ILogindSession::stateChanged, deadline, [this, settle, done] {
        if (!m_locked)
            return;
        settle();
        done(true, {});
    });
    connect(deadline, &QTimer::timeout, this, [this, settle, done] {
        settle();
        lockThroughScreenSaver(done, QStringLiteral("pedido de bloqueio aceito, mas a sessão não bloqueou "
                                                    "em %1 s")
                                         .arg(lockConfirmMs / 1000));
    });
    deadline->start(lockConfirmMs);
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
                  if (reply.type() == QDBusMessage::ReplyMessage)
                      done(true, {});
                  else
                      done(false, logindError + QStringLiteral("; ") + reply.errorMessage());
              });
}
