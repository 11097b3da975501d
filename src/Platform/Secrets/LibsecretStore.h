#pragma once

#include "Platform/Secrets/ISecretStore.h"

// The secret store on the freedesktop Secret Service (gnome-keyring or any other provider), through
// libsecret. Items carry the attributes "service" and "account"; items other programs stored with the
// same attributes match too. Every call opens its own connection and runs on a private GLib main
// context, so it may block on any thread without touching another thread's event loop. Reads never
// prompt; writes and deletes may ask the provider to unlock (and so prompt the user). There is no fallback
// store: without a provider every call answers notAvailable.
class LibsecretStore final : public ISecretStore {
public:
    SecretLookup lookup(const QString& service, const QString& account) override;
    qint32 add(const QString& service, const QString& account, const QByteArray& secret,
               const QString& label) override;
    qint32 update(const QString& service, const QString& account, const QByteArray& secret,
                  const QString& label) override;
    qint32 remove(const QString& service, const QString& account) override;
};
