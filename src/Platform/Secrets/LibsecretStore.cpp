#include "Platform/Secrets/LibsecretStore.h"

#include <QAbstractEventDispatcher>
#include <QTimer>

#include <libsecret/secret.h>

#include <memory>
#include <utility>

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct ItemListFree {
    void operator()(GList* items) const { g_list_free_full(items, g_object_unref); }
};
struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
struct SecretValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

using ServicePtr = std::unique_ptr<SecretService, GObjectUnref>;
using CancellablePtr = std::unique_ptr<GCancellable, GObjectUnref>;
using ItemList = std::unique_ptr<GList, ItemListFree>;
using AttributesPtr = std::unique_ptr<GHashTable, HashTableUnref>;
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

const SecretSchema* passwordSchema() {
    static const SecretSchema schema = [] {
        SecretSchema result{};
        result.name = "com.dravo.tavimor.Password";
        result.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
        result.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        result.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return result;
    }();
    return &schema;
}

AttributesPtr itemAttributes(const QString& service, const QString& account) {
    AttributesPtr attributes(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
    g_hash_table_insert(attributes.get(), g_strdup("service"), g_strdup(service.toUtf8().constData()));
    if (!account.isEmpty())
        g_hash_table_insert(attributes.get(), g_strdup("account"), g_strdup(account.toUtf8().constData()));
    return attributes;
}

bool matchesAny(const GError* error, GQuark domain, std::initializer_list<int> codes) {
    for (const int code : codes) {
        if (g_error_matches(error, domain, code))
            return true;
    }
    return false;
}

qint32 statusFor(const GError* error) {
    if (g_error_matches(error, SECRET_ERROR, SECRET_ERROR_IS_LOCKED))
        return SecretStatus::interactionNotAllowed;
    if (g_error_matches(error, SECRET_ERROR, SECRET_ERROR_NO_SUCH_OBJECT))
        return SecretStatus::itemNotFound;
    // A dismissed prompt ends the call as cancelled.
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ||
        matchesAny(error, G_DBUS_ERROR, {G_DBUS_ERROR_ACCESS_DENIED, G_DBUS_ERROR_AUTH_FAILED}))
        return SecretStatus::authFailed;
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
        matchesAny(error, G_DBUS_ERROR,
                   {G_DBUS_ERROR_TIMEOUT, G_DBUS_ERROR_TIMED_OUT, G_DBUS_ERROR_NO_REPLY}))
        return SecretStatus::timedOut;
    return SecretStatus::notAvailable;
}

// The continuation of one asynchronous libsecret step, handed through its user data.
using Ready = std::function<void(GAsyncResult* result)>;

void onReady(GObject*, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<Ready> ready(static_cast<Ready*>(data));
    (*ready)(result);
}

gpointer whenReady(Ready ready) {
    return new Ready(std::move(ready));
}

// One call to the provider, made of several steps: what they share, its time limit and its single answer.
// Each pending step holds the call, so it lives until the last step has run.
class Call {
public:
    using Answer = std::function<void(qint32 status, const std::optional<QByteArray>& secret)>;

    static std::shared_ptr<Call> start(Answer answer, std::chrono::milliseconds limit) {
        auto call = std::make_shared<Call>(std::move(answer));
        if (limit.count() > 0) {
            call->timer.setSingleShot(true);
            QObject::connect(&call->timer, &QTimer::timeout, &call->timer,
                             [weak = std::weak_ptr<Call>(call)] {
                                 if (const std::shared_ptr<Call> late = weak.lock()) {
                                     late->finish(SecretStatus::timedOut);
                                     g_cancellable_cancel(late->cancellable.get());
                                 }
                             });
            call->timer.start(limit);
        }
        return call;
    }

    explicit Call(Answer answer)
        : answer(std::move(answer)) {}

    void finish(qint32 status, const std::optional<QByteArray>& secret = std::nullopt) {
        if (answered)
            return;
        answered = true;
        timer.stop();
        answer(status, secret);
    }

    // True when the step cannot go on: it failed (and the call is answered with its status) or the call
    // was answered already.
    bool failed(GError* error) {
        const ErrorPtr owned(error);
        if (owned)
            finish(statusFor(owned.get()));
        return answered;
    }

    CancellablePtr cancellable{g_cancellable_new()};
    ServicePtr service;
    ItemList items;
    SecretValuePtr value;
    QByteArray label;

private:
    Answer answer;
    QTimer timer;
    bool answered = false;
};

using CallPtr = std::shared_ptr<Call>;

// libsecret answers through the GLib main context of the calling thread, which Qt runs only with its GLib
// event dispatcher (the default, unless QT_NO_GLIB is set).
bool glibLoopRuns() {
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && dispatcher->inherits("QEventDispatcherGlib");
}

// A connection of its own per call, so nothing of an earlier provider is reused.
void openService(const CallPtr& call, std::function<void()> next) {
    if (!glibLoopRuns()) {
        QTimer::singleShot(0, [call] { call->finish(SecretStatus::notAvailable); });
        return;
    }
    secret_service_open(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_NONE, call->cancellable.get(), onReady,
                        whenReady([call, next = std::move(next)](GAsyncResult* result) {
                            GError* error = nullptr;
                            call->service.reset(secret_service_open_finish(result, &error));
                            if (!call->failed(error))
                                next();
                        }));
}

void search(const CallPtr& call, const QString& service, const QString& account, int flags,
            std::function<void()> next) {
    const AttributesPtr attributes = itemAttributes(service, account);
    secret_service_search(
        call->service.get(), passwordSchema(), attributes.get(), static_cast<SecretSearchFlags>(flags),
        call->cancellable.get(), onReady, whenReady([call, next = std::move(next)](GAsyncResult* result) {
            GError* error = nullptr;
            call->items.reset(secret_service_search_finish(call->service.get(), result, &error));
            if (!call->failed(error))
                next();
        }));
}

// Every item of the pair, after asking the provider to unlock those that are locked (which may prompt);
// answers itemNotFound when there is none and authFailed when one stays locked.
void searchUnlocked(const CallPtr& call, const QString& service, const QString& account,
                    std::function<void()> next) {
    search(call, service, account, SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK, [call, next = std::move(next)] {
        if (!call->items)
            return call->finish(SecretStatus::itemNotFound);
        for (GList* node = call->items.get(); node != nullptr; node = node->next) {
            if (secret_item_get_locked(static_cast<SecretItem*>(node->data)))
                return call->finish(SecretStatus::authFailed);
        }
        next();
    });
}

void answerFirstUnlocked(const CallPtr& call) {
    if (!call->items)
        return call->finish(SecretStatus::itemNotFound);
    for (GList* node = call->items.get(); node != nullptr; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        if (secret_item_get_locked(item))
            continue;
        const SecretValuePtr value(secret_item_get_secret(item));
        if (!value)
            return call->finish(SecretStatus::success);
        gsize length = 0;
        const gchar* bytes = secret_value_get(value.get(), &length);
        return call->finish(SecretStatus::success, QByteArray(bytes, static_cast<qsizetype>(length)));
    }
    call->finish(SecretStatus::interactionNotAllowed);
}

void rewriteFrom(const CallPtr& call, GList* node) {
    if (!node)
        return call->finish(SecretStatus::success);
    auto* item = static_cast<SecretItem*>(node->data);
    secret_item_set_secret(item, call->value.get(), call->cancellable.get(), onReady,
                           whenReady([call, node, item](GAsyncResult* set) {
                               GError* error = nullptr;
                               secret_item_set_secret_finish(item, set, &error);
                               if (call->failed(error))
                                   return;
                               secret_item_set_label(
                                   item, call->label.constData(), call->cancellable.get(), onReady,
                                   whenReady([call, node, item](GAsyncResult* labelled) {
                                       GError* labelError = nullptr;
                                       secret_item_set_label_finish(item, labelled, &labelError);
                                       if (!call->failed(labelError))
                                           rewriteFrom(call, node->next);
                                   }));
                           }));
}

void deleteFrom(const CallPtr& call, GList* node) {
    if (!node)
        return call->finish(SecretStatus::success);
    auto* item = static_cast<SecretItem*>(node->data);
    secret_item_delete(item, call->cancellable.get(), onReady,
                       whenReady([call, node, item](GAsyncResult* result) {
                           GError* error = nullptr;
                           secret_item_delete_finish(item, result, &error);
                           if (!call->failed(error))
                               deleteFrom(call, node->next);
                       }));
}

Call::Answer statusOnly(ISecretStore::StatusDone done) {
    return [done = std::move(done)](qint32 status, const std::optional<QByteArray>&) { done(status); };
}

SecretValuePtr secretValue(const QByteArray& secret) {
    return SecretValuePtr(secret_value_new(secret.constData(), secret.size(), "text/plain"));
}

} // namespace

void LibsecretStore::lookup(const QString& service, const QString& account, LookupDone done) {
    const CallPtr call = Call::start(
        [done = std::move(done)](qint32 status, const std::optional<QByteArray>& secret) {
            done({status, secret});
        },
        m_readTimeout);
    openService(call, [call, service, account] {
        search(call, service, account, SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS,
               [call] { answerFirstUnlocked(call); });
    });
}

void LibsecretStore::add(const QString& service, const QString& account, const QByteArray& secret,
                         const QString& label, StatusDone done) {
    const CallPtr call = Call::start(statusOnly(std::move(done)), m_writeTimeout);
    call->value = secretValue(secret);
    call->label = label.toUtf8();
    openService(call, [call, service, account] {
        search(call, service, account, SECRET_SEARCH_NONE, [call, service, account] {
            if (call->items)
                return call->finish(SecretStatus::duplicateItem);
            const AttributesPtr attributes = itemAttributes(service, account);
            secret_service_store(call->service.get(), passwordSchema(), attributes.get(),
                                 SECRET_COLLECTION_DEFAULT, call->label.constData(), call->value.get(),
                                 call->cancellable.get(), onReady, whenReady([call](GAsyncResult* result) {
                                     GError* error = nullptr;
                                     secret_service_store_finish(call->service.get(), result, &error);
                                     if (!call->failed(error))
                                         call->finish(SecretStatus::success);
                                 }));
        });
    });
}

void LibsecretStore::update(const QString& service, const QString& account, const QByteArray& secret,
                            const QString& label, StatusDone done) {
    const CallPtr call = Call::start(statusOnly(std::move(done)), m_writeTimeout);
    call->value = secretValue(secret);
    call->label = label.toUtf8();
    openService(call, [call, service, account] {
        searchUnlocked(call, service, account, [call] { rewriteFrom(call, call->items.get()); });
    });
}

void LibsecretStore::remove(const QString& service, const QString& account, StatusDone done) {
    const CallPtr call = Call::start(statusOnly(std::move(done)), m_writeTimeout);
    openService(call, [call, service, account] {
        searchUnlocked(call, service, account, [call] { deleteFrom(call, call->items.get()); });
    });
}
