#include "Platform/Screens/DBusScreenSleepSource.h"

#include "Platform/DBus/DBusReply.h"

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString prepareForSleep = QStringLiteral("PrepareForSleep");
const QStringList screenSaverInterfaces{QStringLiteral("org.freedesktop.ScreenSaver"),
                                        QStringLiteral("org.gnome.ScreenSaver")};
const QString activeChanged = QStringLiteral("ActiveChanged");
const QString impactText = QStringLiteral("os widgets não param quando as telas dormem");

} // namespace

DBusScreenSleepSource::DBusScreenSleepSource(QDBusConnection systemBus, QDBusConnection sessionBus,
                                             DegradedReporter reportDegraded, QObject* parent)
    : IScreenSleepSource(parent)
    , m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus))
    , m_reportDegraded(std::move(reportDegraded)) {}

DBusScreenSleepSource::~DBusScreenSleepSource() {
    stop();
}

void DBusScreenSleepSource::start() {
    if (m_started)
        return;
    m_started = true;
    if (!subscribeSystemBus() && m_reportDegraded)
        m_reportDegraded(QStringLiteral("logind"), QStringLiteral("sem barramento do sistema D-Bus"),
                         QStringLiteral("a suspensão não é notada; ") + impactText);
    if (!subscribeSessionBus() && m_reportDegraded)
        m_reportDegraded(QStringLiteral("ScreenSaver"), QStringLiteral("sem barramento de sessão D-Bus"),
                         QStringLiteral("o apagar e o bloqueio da tela não são notados; ") + impactText);
}

void DBusScreenSleepSource::stop() {
    if (!m_started)
        return;
    m_started = false;
    m_watches.clear();
}

bool DBusScreenSleepSource::subscribe(const QDBusConnection& bus, const QString& service, const QString& path,
                                      const QString& interface, const QString& name) {
    auto watch = std::make_unique<DBusSignalWatch>(bus, service, path, interface, name,
                                                   [this](const QDBusMessage& message) { handle(message); });
    if (!watch->isSubscribed())
        return false;
    m_watches.push_back(std::move(watch));
    return true;
}

bool DBusScreenSleepSource::subscribeSystemBus() {
    return subscribe(m_systemBus, logindService, logindPath, logindInterface, prepareForSleep);
}

bool DBusScreenSleepSource::subscribeSessionBus() {
    bool subscribed = false;
    for (const QString& interface : screenSaverInterfaces)
        subscribed |= subscribe(m_sessionBus, {}, {}, interface, activeChanged);
    return subscribed;
}

// Both signals carry one boolean: asleep.
void DBusScreenSleepSource::handle(const QDBusMessage& message) {
    if (message.signature() != QLatin1String("b"))
        return;
    if (message.arguments().constFirst().toBool())
        Q_EMIT screensDidSleep();
    else
        Q_EMIT screensDidWake();
}
