#pragma once

#include "Platform/Secrets/ISecretStore.h"

#include <QMap>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <utility>

// An in-memory secret store that records every call and answers it on the next turn of the event loop. A
// status set in forcedStatus for an operation ("lookup", "add", "update", "remove") is answered instead of
// performing that operation.
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

    void lookup(const QString& service, const QString& account, LookupDone done) override {
        SecretLookup found{SecretStatus::itemNotFound, std::nullopt};
        if (const auto forced = record(u"lookup")) {
            found.status = *forced;
        } else {
            for (auto item = items.constBegin(); item != items.constEnd(); ++item) {
                if (item.key().first == service && (account.isEmpty() || item.key().second == account)) {
                    found = {SecretStatus::success, item->secret};
                    break;
                }
            }
        }
        QTimer::singleShot(0, [done = std::move(done), found] { done(found); });
    }

    void add(const QString& service, const QString& account, const QByteArray& secret, const QString& label,
             StatusDone done) override {
        qint32 status = SecretStatus::success;
        if (const auto forced = record(u"add"))
            status = *forced;
        else if (items.contains({service, account}))
            status = SecretStatus::duplicateItem;
        else
            items.insert({service, account}, {secret, label});
        answer(std::move(done), status);
    }

    void update(const QString& service, const QString& account, const QByteArray& secret,
                const QString& label, StatusDone done) override {
        qint32 status = SecretStatus::success;
        if (const auto forced = record(u"update"))
            status = *forced;
        else if (!items.contains({service, account}))
            status = SecretStatus::itemNotFound;
        else
            items.insert({service, account}, {secret, label});
        answer(std::move(done), status);
    }

    void remove(const QString& service, const QString& account, StatusDone done) override {
        qint32 status = SecretStatus::success;
        if (const auto forced = record(u"remove"))
            status = *forced;
        else if (items.remove({service, account}) == 0)
            status = SecretStatus::itemNotFound;
        answer(std::move(done), status);
    }

private:
    // Notes the call and gives the status forced for its operation, if any.
    std::optional<qint32> record(QStringView operation) {
        operations.append(operation.toString());
        const auto found = forcedStatus.constFind(operation.toString());
        return found == forcedStatus.constEnd() ? std::nullopt : std::optional<qint32>(*found);
    }

    static void answer(StatusDone done, qint32 status) {
        QTimer::singleShot(0, [done = std::move(done), status] { done(status); });
    }
};
