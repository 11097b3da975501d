#pragma once

#include <QList>
#include <QString>

#include <optional>

// One listening TCP socket of one process.
struct LocalServer {
    qint32 pid = 0;
    int port = 0;
    QString processName;
    std::optional<QString> appName;

    QString id() const { return QString::number(pid) + QLatin1Char('-') + QString::number(port); }
    bool operator==(const LocalServer&) const = default;
};
