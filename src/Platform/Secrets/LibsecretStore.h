#pragma once

#include "Platform/Secrets/ISecretStore.h"

#include <chrono>

// The secret store on the freedesktop Secret Service (gnome-keyring or any other provider), through
// libsecret's asynchronous calls. They complete on the calling thread's GLib main context, which on the GUI
// thread is the one Qt's event loop runs, so nothing waits on the provider. Items carry the attributes
// "service" and "account"; items other programs stored with the same attributes match too. Reads never
// prompt and give up after `readTimeout`; writes and deletes may ask the provider to unlock (and so prompt
// the user), and give up after `writeTimeout`, long enough to type a password into the prompt, which is
// then dismissed. A call that gives up answers timedOut. There is no fallback store: without a provider
// every call answers notAvailable.
class LibsecretStore final : public ISecretStore {
public:
    explicit LibsecretStore(std::chrono::milliseconds readTimeout = std::chrono::seconds(10),
                            std::chrono::milliseconds writeTimeout = std::chrono::seconds(30))
        : m_readTimeout(readTimeout)
        , m_writeTimeout(writeTimeout) {}

    void lookup(const QString& service, const QString& account, LookupDone done) override;
    void add(const QString& service, const QString& account, const QByteArray& secret, const QString& label,
             StatusDone done) override;
    void update(const QString& service, const QString& account, const QByteArray& secret,
                const QString& label, StatusDone done) override;
    void remove(const QString& service, const QString& account, StatusDone done) override;

private:
    std::chrono::milliseconds m_readTimeout;
    std::chrono::milliseconds m_writeTimeout;
};
