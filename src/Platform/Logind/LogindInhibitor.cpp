#include "Platform/Logind/LogindInhibitor.h"

#include "Platform/DBus/DBusReply.h"
#include "Platform/X11/X11Connection.h"

#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>

#include <xcb/screensaver.h>

namespace {

constexpr int callTimeoutMs = 25000;
const QString screenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");

// The descriptor logind returned. QDBusUnixFileDescriptor keeps its own close-on-exec duplicate.
class LogindLock final : public HeldInhibitor {
public:
    explicit LogindLock(QDBusUnixFileDescriptor fd)
        : m_fd(std::move(fd)) {}

private:
    QDBusUnixFileDescriptor m_fd;
};

// The desktop's inhibit cookie; given back when dropped.
class ScreenSaverLock final : public HeldInhibitor {
public:
    ScreenSaverLock(QDBusConnection bus, uint cookie)
        : m_bus(std::move(bus))
        , m_cookie(cookie) {}
    ~ScreenSaverLock() override {
        QDBusMessage call = QDBusMessage::createMethodCall(screenSaver, screenSaverPath, screenSaver,
                                                           QStringLiteral("UnInhibit"));
        call << m_cookie;
        m_bus.asyncCall(call);
    }

private:
    QDBusConnection m_bus;
    uint m_cookie;
};

bool suspendX11ScreenSaver(xcb_connection_t* connection, bool suspend) {
    const xcb_void_cookie_t cookie = xcb_screensaver_suspend_checked(connection, suspend ? 1 : 0);
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    const bool ok = error == nullptr;
    free(error);
    return ok;
}

// The X server's screen saver, suspended for as long as this is held.
class X11ScreenSaverLock final : public HeldInhibitor {
public:
    explicit X11ScreenSaverLock(xcb_connection_t* connection)
        : m_connection(connection) {}
    ~X11ScreenSaverLock() override {
        if (X11::connection() == m_connection)
            suspendX11ScreenSaver(m_connection, false);
    }

private:
    xcb_connection_t* m_connection;
};

InhibitorLock suspendX11() {
    xcb_connection_t* connection = X11::connection();
    if (!connection || !suspendX11ScreenSaver(connection, true))
        return nullptr;
    return std::make_unique<X11ScreenSaverLock>(connection);
}

} // namespace

LogindInhibitor::LogindInhibitor(QDBusConnection systemBus, QString what, QString why)
    : m_bus(std::move(systemBus))
    , m_what(std::move(what))
    , m_why(std::move(why)) {}

void LogindInhibitor::acquire(QObject* context, Done done) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << m_what << QStringLiteral("Tavimor") << m_why << QStringLiteral("block");
    callAsync(m_bus, call, callTimeoutMs, context, [done = std::move(done)](const QDBusMessage& reply) {
        const QVariant first = reply.arguments().value(0);
        const auto fd = first.value<QDBusUnixFileDescriptor>();
        if (reply.type() != QDBusMessage::ReplyMessage || !fd.isValid())
            return done(nullptr);
        done(std::make_unique<LogindLock>(fd));
    });
}

DisplayIdleInhibitor::DisplayIdleInhibitor(QDBusConnection sessionBus, QString why)
    : m_bus(std::move(sessionBus))
    , m_why(std::move(why)) {}

void DisplayIdleInhibitor::acquire(QObject* context, Done done) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(screenSaver, screenSaverPath, screenSaver, QStringLiteral("Inhibit"));
    call << QStringLiteral("Tavimor") << m_why;
    callAsync(m_bus, call, callTimeoutMs, context,
              [bus = m_bus, done = std::move(done)](const QDBusMessage& reply) {
                  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                      return done(
                          std::make_unique<ScreenSaverLock>(bus, reply.arguments().constFirst().toUInt()));
                  done(suspendX11());
              });
}
