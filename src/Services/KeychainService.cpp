#include "Services/KeychainService.h"

#include "Foundation/WhileAlive.h"
#include "Platform/Secrets/LibsecretStore.h"
#include "Services/DiagnosticsService.h"

#include <QSet>
#include <QStringDecoder>

#include <deque>

namespace {

std::shared_ptr<ISecretStore> installedStore;

std::shared_ptr<ISecretStore> currentStore() {
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

struct Unavailability {
    QString reason;
    QString impact;
};

std::optional<Unavailability> unavailabilityFor(qint32 status) {
    switch (status) {
    case SecretStatus::notAvailable:
        return Unavailability{
            QStringLiteral("nenhum provedor org.freedesktop.secrets no barramento da sessão"),
            QStringLiteral("tokens não podem ser lidos nem salvos")};
    case SecretStatus::interactionNotAllowed:
        return Unavailability{QStringLiteral("a coleção de segredos está bloqueada e a leitura não pede para "
                                             "desbloqueá-la"),
                              QStringLiteral("tokens não podem ser lidos até a coleção ser desbloqueada")};
    case SecretStatus::authFailed:
        return Unavailability{QStringLiteral("o acesso aos segredos foi negado"),
                              QStringLiteral("tokens não podem ser lidos nem salvos")};
    case SecretStatus::timedOut:
        return Unavailability{QStringLiteral("o provedor de segredos não respondeu a tempo"),
                              QStringLiteral("tokens não foram lidos ou salvos desta vez")};
    default:
        return std::nullopt;
    }
}

// Each cause that keeps the store from working is recorded once; the application runs on without tokens.
qint32 noteFailure(qint32 status) {
    static QSet<qint32> recorded;
    const std::optional<Unavailability> unavailable = unavailabilityFor(status);
    if (unavailable && !recorded.contains(status)) {
        recorded.insert(status);
        Diagnostics::degraded(QStringLiteral("Secret Service"), unavailable->reason, unavailable->impact);
    }
    return status;
}

// Store calls run one at a time, in the order they were made: each job calls `finished` once, when its
// last answer is in.
using Job = std::function<void(std::function<void()> finished)>;

struct JobQueue {
    std::deque<Job> waiting;
    bool running = false;
};

JobQueue& jobs() {
    static JobQueue queue;
    return queue;
}

void runNextJob() {
    JobQueue& queue = jobs();
    queue.running = !queue.waiting.empty();
    if (!queue.running)
        return;
    const Job job = std::move(queue.waiting.front());
    queue.waiting.pop_front();
    job(runNextJob);
}

void enqueue(Job job) {
    jobs().waiting.push_back(std::move(job));
    if (!jobs().running)
        runNextJob();
}

// `done` as it will be called with the result: doing nothing when absent or once the caller's context
// object is gone.
template <typename Done> Done guarded(QObject* context, Done done) {
    if (!done)
        return [](auto&&...) {};
    if (!context)
        return done;
    return whileAlive(context, std::move(done));
}

void saveItem(const QString& key, const QString& value, std::function<void(qint32)> done) {
    const QByteArray bytes = value.toUtf8();
    const QString label = KeychainService::labelFor(key);
    const std::shared_ptr<ISecretStore> store = currentStore();
    store->add(KeychainService::serviceName, key, bytes, label, [=](qint32 status) {
        if (status != SecretStatus::duplicateItem)
            return done(status);
        store->update(KeychainService::serviceName, key, bytes, label, done);
    });
}

} // namespace

const QString KeychainService::serviceName = QStringLiteral("com.dravo.tavimor");

QString KeychainService::labelFor(const QString& key) {
    return QStringLiteral("Tavimor (") + key + QLatin1Char(')');
}

void KeychainService::setStore(std::shared_ptr<ISecretStore> store) {
    installedStore = std::move(store);
}

void KeychainService::loadAsync(const QString& key, QObject* context,
                                std::function<void(const KeychainRead&)> done) {
    enqueue([key, done = guarded(context, std::move(done))](const std::function<void()>& finished) {
        currentStore()->lookup(serviceName, key, [=](const SecretLookup& found) {
            noteFailure(found.status);
            KeychainRead read{found.status, std::nullopt};
            if (found.status == SecretStatus::success && found.secret) {
                read.value = decodeUtf8(*found.secret);
                read.status = read.value ? SecretStatus::success : SecretStatus::itemNotFound;
            }
            finished();
            done(read);
        });
    });
}

void KeychainService::saveAsync(const QString& key, const QString& value, QObject* context,
                                std::function<void(std::optional<KeychainError>)> done) {
    enqueue([key, value, done = guarded(context, std::move(done))](const std::function<void()>& finished) {
        saveItem(key, value, [=](qint32 status) {
            noteFailure(status);
            finished();
            std::optional<KeychainError> error;
            if (status != SecretStatus::success)
                error = KeychainError{KeychainError::Kind::saveFailed, status};
            done(error);
        });
    });
}

void KeychainService::removeAsync(const QString& key, QObject* context, std::function<void()> done) {
    enqueue([key, done = guarded(context, std::move(done))](const std::function<void()>& finished) {
        currentStore()->remove(serviceName, key, [=](qint32) {
            finished();
            done();
        });
    });
}

void KeychainService::readForeignItemAsync(const QString& service, QObject* context,
                                           std::function<void(const SecretLookup&)> done) {
    enqueue([service, done = guarded(context, std::move(done))](const std::function<void()>& finished) {
        currentStore()->lookup(service, QString(), [=](const SecretLookup& found) {
            noteFailure(found.status);
            finished();
            done(found);
        });
    });
}
