#include "Services/KeychainService.h"

#include "Platform/Secrets/LibsecretStore.h"
#include "Services/DiagnosticsService.h"

#include <QFuture>
#include <QMutex>
#include <QMutexLocker>
#include <QStringDecoder>
#include <QThreadPool>
#include <QtConcurrent>

#include <atomic>

namespace {

QMutex storeMutex;
std::shared_ptr<ISecretStore> installedStore;

std::shared_ptr<ISecretStore> currentStore() {
    const QMutexLocker lock(&storeMutex);
    if (!installedStore)
        installedStore = std::make_shared<LibsecretStore>();
    return installedStore;
}

// Strict decoding: any malformed or truncated sequence is a failure, and the bytes are kept as they
// are (a leading byte-order mark included).
std::optional<QString> decodeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// A missing Secret Service is recorded once; the application runs on without stored tokens.
qint32 noteIfUnavailable(qint32 status) {
    static std::atomic_bool recorded = false;
    if (status == SecretStatus::notAvailable && !recorded.exchange(true)) {
        Diagnostics::degraded(
            QStringLiteral("Secret Service"),
            QStringLiteral("nenhum provedor org.freedesktop.secrets no barramento da sessão"),
            QStringLiteral("tokens não podem ser lidos nem salvos"));
    }
    return status;
}

// Store calls run one at a time, in the order they were made, so a save is never overtaken by a read.
QThreadPool& storeThread() {
    static QThreadPool* pool = [] {
        auto* threads = new QThreadPool;
        threads->setMaxThreadCount(1);
        return threads;
    }();
    return *pool;
}

KeychainRead readItem(const QString& key) {
    const SecretLookup found = currentStore()->lookup(KeychainService::serviceName, key);
    noteIfUnavailable(found.status);
    if (found.status != SecretStatus::success || !found.secret)
        return {found.status, std::nullopt};
    std::optional<QString> text = decodeUtf8(*found.secret);
    return {text ? SecretStatus::success : SecretStatus::itemNotFound, std::move(text)};
}

} // namespace

const QString KeychainService::serviceName = QStringLiteral("com.dravo.tavimor");

QString KeychainService::labelFor(const QString& key) {
    return QStringLiteral("Tavimor (") + key + QLatin1Char(')');
}

std::optional<QString> KeychainService::load(const QString& key) {
    return readItem(key).value;
}

std::optional<KeychainError> KeychainService::save(const QString& key, const QString& value) {
    const std::shared_ptr<ISecretStore> store = currentStore();
    const QByteArray bytes = value.toUtf8();
    const QString label = labelFor(key);
    qint32 status = store->add(serviceName, key, bytes, label);
    if (status == SecretStatus::duplicateItem)
        status = store->update(serviceName, key, bytes, label);
    noteIfUnavailable(status);
    if (status == SecretStatus::success)
        return std::nullopt;
    return KeychainError{KeychainError::Kind::saveFailed, status};
}

void KeychainService::remove(const QString& key) {
    currentStore()->remove(serviceName, key);
}

void KeychainService::setStore(std::shared_ptr<ISecretStore> store) {
    const QMutexLocker lock(&storeMutex);
    installedStore = std::move(store);
}

void KeychainService::loadAsync(const QString& key, QObject* context,
                                std::function<void(const KeychainRead&)> done) {
    QtConcurrent::run(&storeThread(), readItem, key).then(context, std::move(done));
}

void KeychainService::saveAsync(const QString& key, const QString& value, QObject* context,
                                std::function<void(std::optional<KeychainError>)> done) {
    QtConcurrent::run(&storeThread(), [key, value] {
        return save(key, value);
    }).then(context, std::move(done));
}

void KeychainService::removeAsync(const QString& key, QObject* context, std::function<void()> done) {
    QtConcurrent::run(&storeThread(), [key] { remove(key); }).then(context, [done = std::move(done)] {
        if (done)
            done();
    });
}

void KeychainService::readForeignItemAsync(const QString& service, QObject* context,
                                           std::function<void(const SecretLookup&)> done) {
    QtConcurrent::run(&storeThread(), [service] {
        SecretLookup found = currentStore()->lookup(service, QString());
        noteIfUnavailable(found.status);
        return found;
    }).then(context, std::move(done));
}
