#pragma once

#include "Platform/Processes/IProcessTable.h"

#include <QHash>
#include <QList>
#include <QMutex>

// Canned lsof answers; records the working-directory lookups and the signals asked for.
class FakeProcessTable final : public IProcessTable {
public:
    std::optional<QByteArray> listeningSockets() const override { return sockets; }
    std::optional<QByteArray> workingDirectory(qint32 pid) const override {
        QMutexLocker lock(&mutex);
        lookups.append(pid);
        return directories.contains(pid) ? std::optional<QByteArray>("p1\nfcwd\nn" + directories.value(pid))
                                         : std::nullopt;
    }
    bool terminate(qint32 pid, const QString& name) const override {
        QMutexLocker lock(&mutex);
        signalled.append({pid, name});
        return true;
    }

    std::optional<QByteArray> sockets;
    QHash<qint32, QByteArray> directories;
    mutable QMutex mutex;
    mutable QList<qint32> lookups;
    mutable QList<std::pair<qint32, QString>> signalled;
};
