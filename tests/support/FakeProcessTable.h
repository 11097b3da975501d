#pragma once

#include "Platform/Processes/IProcessTable.h"

#include <QList>
#include <QMutex>

// A canned socket list, no working directories; records the signals asked for.
class FakeProcessTable final : public IProcessTable {
public:
    std::optional<QByteArray> listeningSockets() const override { return sockets; }
    std::optional<QByteArray> workingDirectory(qint32) const override { return std::nullopt; }
    bool terminate(qint32 pid, const QString& name) const override {
        QMutexLocker lock(&mutex);
        signalled.append({pid, name});
        return true;
    }

    std::optional<QByteArray> sockets;
    mutable QMutex mutex;
    mutable QList<std::pair<qint32, QString>> signalled;
};
