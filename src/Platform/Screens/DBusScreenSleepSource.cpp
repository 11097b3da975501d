#include "Platform/Screens/DBusScreenSleepSource.h"

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
    unsubscribe();
}

bool DBusScreenSleepSource::subscribeSystemBus() {
    return m_systemBus.isConnected() &&
           m_systemBus.connect(logindService, logindPath, logindInterface, prepareForSleep, this,
                               SLOT(handleSleepSignal(bool)));
}

bool DBusScreenSleepSource::subscribeSessionBus() {
    if (!m_sessionBus.isConnected())
        return false;
    bool subscribed = false;
    for (const QString& interface : screenSaverInterfaces)
        subscribed |=
            m_sessionBus.connect({}, {}, interface, activeChanged, this, SLOT(handleSleepSignal(bool)));
    return subscribed;
}

void DBusScreenSleepSource::unsubscribe() {
    if (m_systemBus.isConnected())
        m_systemBus.disconnect(logindService, logindPath, logindInterface, prepareForSleep, this,
                               SLOT(handleSleepSignal(bool)));
    if (m_sessionBus.isConnected()) {
        for (const QString& interface : screenSaverInterfaces)
            m_sessionBus.disconnect({}, {}, interface, activeChanged, this, SLOT(handleSleepSignal(bool)));
    }
}

void DBusScreenSleepSource::handleSleepSignal(bool asleep) {
    if (asleep)
        Q_EMIT screensDidSleep();
    else
        Q_EMIT screensDidWake();
}
