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
// Every call blocks until the secret store answers, which may take long or, for a write, wait on an
// unlock prompt. Call these from a worker thread or from the settings window's actions, never from
// the GUI thread in a hot path. They are safe to call from any thread.
//
// The store is process-wide: the Secret Service by default, replaceable with setStore (tests). A
// missing or locked Secret Service never stops the application: reads give no value, writes report
// the store's status.
class KeychainService {
public:
    KeychainService() = delete;

    static const QString serviceName;

    // The stored text, or nothing when the item is absent, unreadable (locked, refused, no store) or
    // does not hold valid UTF-8.
    static std::optional<QString> load(const QString& key);
    // Creates the item or overwrites its value and label. Nothing on success.
    [[nodiscard]] static std::optional<KeychainError> save(const QString& key, const QString& value);
    // Deletes the item; deleting an absent item, or failing to, is silent.
    static void remove(const QString& key);

    // The same three calls without blocking the caller: the store is asked off the GUI thread and `done`
    // runs on the GUI thread, unless `context` is gone by then.
    static void loadAsync(const QString& key, QObject* context,
                          std::function<void(const KeychainRead&)> done);
    static void saveAsync(const QString& key, const QString& value, QObject* context,
                          std::function<void(std::optional<KeychainError>)> done);
    static void removeAsync(const QString& key, QObject* context, std::function<void()> done = {});
    // The secret bytes of the first item another program keeps under `service`, whatever its account.
    static void readForeignItemAsync(const QString& service, QObject* context,
                                     std::function<void(const SecretLookup&)> done);

    static QString labelFor(const QString& key);

    // Replaces the process-wide store; nullptr restores the Secret Service.
    static void setStore(std::shared_ptr<ISecretStore> store);
};
