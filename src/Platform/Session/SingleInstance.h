#pragma once

#include <QDBusConnection>
#include <QString>

// One copy of the application per user. The first start owns the session-bus name "com.dravo.tavimor";
// without a session bus it holds a lock on "tavimor.lock" in the runtime folder instead (only on a file of
// its own user's). Either is given up when the process ends, however it ends.
class SingleInstance {
public:
    static inline const QString busName = QStringLiteral("com.dravo.tavimor");

    explicit SingleInstance(const QDBusConnection& bus);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy already runs.
    bool isFirst() const { return m_first; }

private:
    bool ownBusName(const QDBusConnection& bus);
    bool lockRuntimeFile();

    int m_lockFile = -1;
    bool m_first = false;
};
