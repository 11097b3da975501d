#pragma once

#include "Platform/Processes/IProcessTable.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSemaphore>

// A canned socket list and working folders; counts the folder lookups, records the signals asked for. A
// listing reads the sockets and counts itself when asked; while `gate` is set, it then waits for the gate to
// answer.
class FakeProcessTable final : public IProcessTable {
public:
    std::optional<QByteArray> listeningSockets() const override {
        const auto answer = sockets;
        listings.fetchAndAddOrdered(1);
        if (gate)
            gate->acquire();
        return answer;
    }
    std::optional<QString> workingDirectory(qint32 pid) const override {
        QMutexLocker lock(&mutex);
        ++folderLookups;
        return folders.contains(pid) ? std::optional<QString>(folders.value(pid)) : std::nullopt;
    }
    bool terminate(qint32 pid, const QString& name) const override {
        QMutexLocker lock(&mutex);
        signalled.append({pid, name});
        return true;
    }

    std::optional<QByteArray> sockets;
    QHash<qint32, QString> folders;
    QSemaphore* gate = nullptr;
    mutable QAtomicInt listings;
    mutable int folderLookups = 0;
    mutable QMutex mutex;
    mutable QList<std::pair<qint32, QString>> signalled;
};
