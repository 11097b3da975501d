#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// Status codes of the secret store, with the values the rest of the application compares against.
namespace SecretStatus {
inline constexpr qint32 success = 0;
inline constexpr qint32 itemNotFound = -25300;
inline constexpr qint32 duplicateItem = -25299;
inline constexpr qint32 interactionNotAllowed = -25308; // locked, and reading may not ask the user
inline constexpr qint32 authFailed = -25293;            // the user refused or dismissed the unlock prompt
inline constexpr qint32 notAvailable = -25291;          // no secret store reachable
} // namespace SecretStatus

struct SecretLookup {
    qint32 status = SecretStatus::itemNotFound;
    std::optional<QByteArray> secret; // present only with status success
};

// A store of generic-password items, one per (service, account) pair, each with a secret and a
// human-readable label. Every call blocks until the store answers: call it from a worker thread or
// from a settings action, never from a hot path on the GUI thread. Implementations are safe to call
// from any thread.
class ISecretStore {
public:
    virtual ~ISecretStore() = default;

    // Never prompts the user: a locked item gives interactionNotAllowed. An empty account finds the first
    // item of the service, whatever its account (items other programs keep under their own service name).
    virtual SecretLookup lookup(const QString& service, const QString& account) = 0;
    // Creates the item; duplicateItem when one already exists for the pair.
    virtual qint32 add(const QString& service, const QString& account, const QByteArray& secret,
                       const QString& label) = 0;
    // Rewrites the secret and label of every item of the pair; itemNotFound when there is none. May ask
    // the user to unlock the items; authFailed when they stay locked.
    virtual qint32 update(const QString& service, const QString& account, const QByteArray& secret,
                          const QString& label) = 0;
    // Deletes every item of the pair; itemNotFound when there was none. May ask to unlock, like update.
    virtual qint32 remove(const QString& service, const QString& account) = 0;
};
