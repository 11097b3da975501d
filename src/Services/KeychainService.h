#pragma once

#include "Platform/Secrets/ISecretStore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Why a keychain write failed. saveFailed carries the store's status code; dataConversionError has
// none and is never produced by KeychainService itself.
struct KeychainError {
    enum class Kind { saveFailed, dataConversionError };

    Kind kind = Kind::saveFailed;
    qint32 status = SecretStatus::success;

    friend bool operator==(const KeychainError&, const KeychainError&) = default;
};

// What a read found: the status of the store and, with success, the text.
struct KeychainRead {
    qint32 status = SecretStatus::itemNotFound;
    std::optional<QString> value;
};

// The user's secrets (API tokens) as generic-password items of the application: one item per key,
// under the service "com.dravo.tavimor" with the key as account and the label "Tavimor (<key>)".
//
// Nothing here waits on the secret store: each call returns at once and `done` runs later on the GUI
// thread, unless `context` is gone by then. Calls reach the store one at a time, in the order they were
// made, so a save is never overtaken by a read. Call them from the GUI thread.
//
// The store is process-wide: the Secret Service by default, replaceable with setStore (tests). A
// missing, locked, refusing or silent Secret Service never stops the application: reads give no value,
// writes report the store's status, and each of these causes is logged once.
class KeychainService {
public:
    KeychainService() = delete;

    static const QString serviceName;

    // The stored text with status success; no text when the item is absent, unreadable (locked, refused,
    // no store, no answer in time) or does not hold valid UTF-8.
    static void loadAsync(const QString& key, QObject* context,
                          std::function<void(const KeychainRead&)> done);
    // Creates the item or overwrites its value and label. Nothing on success.
    static void saveAsync(const QString& key, const QString& value, QObject* context,
                          std::function<void(std::optional<KeychainError>)> done);
    // Deletes the item; deleting an absent item, or failing to, is silent.
    static void removeAsync(const QString& key, QObject* context, std::function<void()> done = {});
    // The secret bytes of the first unlocked item another program keeps under `service`, whatever its
    // account.
    static void readForeignItemAsync(const QString& service, QObject* context,
                                     std::function<void(const SecretLookup&)> done);

    static QString labelFor(const QString& key);

    // Replaces the process-wide store; nullptr restores the Secret Service.
    static void setStore(std::shared_ptr<ISecretStore> store);
};
