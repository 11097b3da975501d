#pragma once

#include "Platform/ISecretStore.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>

#include <optional>
#include <utility>

// An in-memory secret store that records every call. A status set in forcedStatus for an operation
// ("lookup", "add", "update", "remove") is answered instead of performing that operation.
class FakeSecretStore final : public ISecretStore {
public:
    struct Item {
        QByteArray secret;
        QString label;
    };
    struct Call {
        QString operation;
        QString service;
        QString account;
        QByteArray secret;
        QString label;
    };
    using ItemKey = std::pair<QString, QString>; // service, account

    QMap<ItemKey, Item> items;
    QMap<QString, qint32> forcedStatus;
    QList<Call> calls;

    SecretLookup lookup(const QString& service, const QString& account) override {
        const QMutexLocker lock(&mutex);
        calls.append({QStringLiteral("lookup"), service, account, {}, {}});
        if (const auto forced = forcedFor(QStringLiteral("lookup")))
            return {*forced, std::nullopt};
        const auto found = items.constFind({service, account});
        if (found == items.constEnd())
            return {SecretStatus::itemNotFound, std::nullopt};
        return {SecretStatus::success, found->secret};
    }

    qint32 add(const QString& service, const QString& account, const QByteArray& secret,
               const QString& label) override {
        const QMutexLocker lock(&mutex);
        calls.append({QStringLiteral("add"), service, account, secret, label});
        if (const auto forced = forcedFor(QStringLiteral("add")))
            return *forced;
        if (items.contains({service, account}))
            return SecretStatus::duplicateItem;
        items.insert({service, account}, {secret, label});
        return SecretStatus::success;
    }

    qint32 update(const QString& service, const QString& account, const QByteArray& secret,
                  const QString& label) override {
        const QMutexLocker lock(&mutex);
        calls.append({QStringLiteral("update"), service, account, secret, label});
        if (const auto forced = forcedFor(QStringLiteral("update")))
            return *forced;
        const auto found = items.find({service, account});
        if (found == items.end())
            return SecretStatus::itemNotFound;
        *found = {secret, label};
        return SecretStatus::success;
    }

    qint32 remove(const QString& service, const QString& account) override {
        const QMutexLocker lock(&mutex);
        calls.append({QStringLiteral("remove"), service, account, {}, {}});
        if (const auto forced = forcedFor(QStringLiteral("remove")))
            return *forced;
        return items.remove({service, account}) > 0 ? SecretStatus::success : SecretStatus::itemNotFound;
    }

    QStringList operations() const {
        QStringList names;
        for (const Call& call : calls)
            names.append(call.operation);
        return names;
    }

private:
    std::optional<qint32> forcedFor(const QString& operation) const {
        const auto found = forcedStatus.constFind(operation);
        return found == forcedStatus.constEnd() ? std::nullopt : std::optional<qint32>(*found);
    }

    QMutex mutex;
};
