#pragma once

#include "Platform/Secrets/ISecretStore.h"

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
    using ItemKey = std::pair<QString, QString>; // service, account

    QMap<ItemKey, Item> items;
    QMap<QString, qint32> forcedStatus;
    QStringList operations; // in call order

    SecretLookup lookup(const QString& service, const QString& account) override {
        const QMutexLocker lock(&mutex);
        if (const auto forced = record(u"lookup"))
            return {*forced, std::nullopt};
        for (auto item = items.constBegin(); item != items.constEnd(); ++item) {
            if (item.key().first == service && (account.isEmpty() || item.key().second == account))
                return {SecretStatus::success, item->secret};
        }
        return {SecretStatus::itemNotFound, std::nullopt};
    }

    qint32 add(const QString& service, const QString& account, const QByteArray& secret,
               const QString& label) override {
        const QMutexLocker lock(&mutex);
        if (const auto forced = record(u"add"))
            return *forced;
        if (items.contains({service, account}))
            return SecretStatus::duplicateItem;
        items.insert({service, account}, {secret, label});
        return SecretStatus::success;
    }

    qint32 update(const QString& service, const QString& account, const QByteArray& secret,
                  const QString& label) override {
        const QMutexLocker lock(&mutex);
        if (const auto forced = record(u"update"))
            return *forced;
        if (!items.contains({service, account}))
            return SecretStatus::itemNotFound;
        items.insert({service, account}, {secret, label});
        return SecretStatus::success;
    }

    qint32 remove(const QString& service, const QString& account) override {
        const QMutexLocker lock(&mutex);
        if (const auto forced = record(u"remove"))
            return *forced;
        return items.remove({service, account}) > 0 ? SecretStatus::success : SecretStatus::itemNotFound;
    }

private:
    // Notes the call and gives the status forced for its operation, if any.
    std::optional<qint32> record(QStringView operation) {
        operations.append(operation.toString());
        const auto found = forcedStatus.constFind(operation.toString());
        return found == forcedStatus.constEnd() ? std::nullopt : std::optional<qint32>(*found);
    }

    QMutex mutex;
};
