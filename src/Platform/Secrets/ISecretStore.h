#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

// Status codes of the secret store, with the values the rest of the application compares against.
namespace SecretStatus {
inline constexpr qint32 success = 0;
inline constexpr qint32 itemNotFound = -25300;
inline constexpr qint32 duplicateItem = -25299;
inline constexpr qint32 interactionNotAllowed = -25308; // locked, and reading may not ask the user
inline constexpr qint32 authFailed = -25293;            // access denied, or the unlock prompt was dismissed
inline constexpr qint32 notAvailable = -25291;          // no secret store reachable
inline constexpr qint32 timedOut = -25390;              // the store did not answer in time
} // namespace SecretStatus

struct SecretLookup {
    qint32 status = SecretStatus::itemNotFound;
    std::optional<QByteArray> secret; // present only with status success
};

// A store of generic-password items, one per (service, account) pair, each with a secret and a
// human-readable label. Every call returns at once and answers exactly once, later, through `done` on the
// thread that made it, which must run an event loop: call it from the GUI thread.
class ISecretStore {
public:
    using LookupDone = std::function<void(const SecretLookup&)>;
    using StatusDone = std::function<void(qint32 status)>;

    virtual ~ISecretStore() = default;

    // Never prompts the user. Of several matching items the first unlocked one answers; when all are
    // locked, interactionNotAllowed. An empty account matches every item of the service, whatever its
    // account (items other programs keep under their own service name).
    virtual void lookup(const QString& service, const QString& account, LookupDone done) = 0;
    // Creates the item; duplicateItem when one already exists for the pair.
    virtual void add(const QString& service, const QString& account, const QByteArray& secret,
                     const QString& label, StatusDone done) = 0;
    // Rewrites the secret and label of every item of the pair; itemNotFound when there is none. May ask
    // the user to unlock the items; authFailed when they stay locked.
    virtual void update(const QString& service, const QString& account, const QByteArray& secret,
                        const QString& label, StatusDone done) = 0;
    // Deletes every item of the pair; itemNotFound when there was none. May ask to unlock, like update.
    virtual void remove(const QString& service, const QString& account, StatusDone done) = 0;
};
