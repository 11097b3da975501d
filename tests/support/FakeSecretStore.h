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
        SecretLookup found{record(u"lookup").value_or(SecretStatus::itemNotFound), std::nullopt};
        for (auto item = items.constBegin(); !forced(u"lookup") && item != items.constEnd(); ++item) {
            if (item.key().first == service && (account.isEmpty() || item.key().second == account)) {
                found = {SecretStatus::success, item->secret};
                break;
            }
        }
        later(std::move(done), found);
    }

    void add(const QString& service, const QString& account, const QByteArray& secret, const QString& label,
             StatusDone done) override {
        std::optional<qint32> status = record(u"add");
        if (!status && items.contains({service, account}))
            status = SecretStatus::duplicateItem;
        if (!status)
            items.insert({service, account}, {secret, label});
        later(std::move(done), status.value_or(SecretStatus::success));
    }

    void update(const QString& service, const QString& account, const QByteArray& secret,
                const QString& label, StatusDone done) override {
        std::optional<qint32> status = record(u"update");
        if (!status && !items.contains({service, account}))
            status = SecretStatus::itemNotFound;
        if (!status)
            items.insert({service, account}, {secret, label});
        later(std::move(done), status.value_or(SecretStatus::success));
    }

    void remove(const QString& service, const QString& account, StatusDone done) override {
        std::optional<qint32> status = record(u"remove");
        if (!status && items.remove({service, account}) == 0)
            status = SecretStatus::itemNotFound;
        later(std::move(done), status.value_or(SecretStatus::success));
    }

private:
    std::optional<qint32> forced(QStringView operation) const {
        const auto found = forcedStatus.constFind(operation.toString());
        return found == forcedStatus.constEnd() ? std::nullopt : std::optional<qint32>(*found);
    }

    // Notes the call and gives the status forced for its operation, if any.
    std::optional<qint32> record(QStringView operation) {
        operations.append(operation.toString());
        return forced(operation);
    }

    template <typename Done, typename Result> static void later(Done done, Result result) {
        QTimer::singleShot(0, [done = std::move(done), result] { done(result); });
    }
};
