#include "Platform/Secrets/LibsecretStore.h"

#include <libsecret/secret.h>

#include <memory>

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
using ItemList = std::unique_ptr<GList, ItemListFree>;
using AttributesPtr = std::unique_ptr<GHashTable, HashTableUnref>;
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// Makes a fresh main context the thread default for the lifetime of the guard, so that the
// blocking calls below neither run nor depend on another loop of this thread.
class PrivateMainContext {
public:
    PrivateMainContext()
        : context(g_main_context_new()) {
        g_main_context_push_thread_default(context);
    }
    ~PrivateMainContext() {
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }
    PrivateMainContext(const PrivateMainContext&) = delete;
    PrivateMainContext& operator=(const PrivateMainContext&) = delete;

private:
    GMainContext* context;
};

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

SecretValuePtr secretValue(const QByteArray& secret) {
    return SecretValuePtr(secret_value_new(secret.constData(), secret.size(), "text/plain"));
}

qint32 statusFor(const GError* error) {
    if (g_error_matches(error, SECRET_ERROR, SECRET_ERROR_IS_LOCKED))
        return SecretStatus::interactionNotAllowed;
    if (g_error_matches(error, SECRET_ERROR, SECRET_ERROR_NO_SUCH_OBJECT))
        return SecretStatus::itemNotFound;
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
        return SecretStatus::authFailed;
    return SecretStatus::notAvailable;
}

// A connection of its own per call: nothing is shared between threads or outlives the call's context.
ServicePtr openService(qint32& status) {
    GError* error = nullptr;
    ServicePtr service(
        secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_NONE, nullptr, &error));
    const ErrorPtr failure(error);
    if (failure)
        status = statusFor(failure.get());
    else
        status = service ? SecretStatus::success : SecretStatus::notAvailable;
    return service;
}

ItemList search(SecretService* service, GHashTable* attributes, SecretSearchFlags flags, qint32& status) {
    GError* error = nullptr;
    ItemList items(secret_service_search_sync(service, passwordSchema(), attributes, flags, nullptr, &error));
    const ErrorPtr failure(error);
    status = failure ? statusFor(failure.get()) : SecretStatus::success;
    return items;
}

SecretLookup readSecret(SecretItem* item) {
    if (secret_item_get_locked(item))
        return {SecretStatus::interactionNotAllowed, std::nullopt};
    const SecretValuePtr value(secret_item_get_secret(item));
    if (!value)
        return {SecretStatus::success, std::nullopt};
    gsize length = 0;
    const gchar* bytes = secret_value_get(value.get(), &length);
    return {SecretStatus::success, QByteArray(bytes, static_cast<qsizetype>(length))};
}

// Every item of the pair, after asking the provider to unlock those that are locked (which may prompt).
// Fails with itemNotFound when there is none, and with authFailed when one stays locked.
ItemList unlockedItems(SecretService* service, GHashTable* attributes, qint32& status) {
    const auto flags = static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK);
    ItemList items = search(service, attributes, flags, status);
    if (status == SecretStatus::success && !items)
        status = SecretStatus::itemNotFound;
    for (GList* node = items.get(); status == SecretStatus::success && node != nullptr; node = node->next) {
        if (secret_item_get_locked(static_cast<SecretItem*>(node->data)))
            status = SecretStatus::authFailed;
    }
    return status == SecretStatus::success ? std::move(items) : ItemList();
}

qint32 rewrite(SecretItem* item, SecretValue* value, const QString& label) {
    GError* error = nullptr;
    if (secret_item_set_secret_sync(item, value, nullptr, &error) &&
        secret_item_set_label_sync(item, label.toUtf8().constData(), nullptr, &error))
        return SecretStatus::success;
    const ErrorPtr failure(error);
    return statusFor(failure.get());
}

qint32 deleteItem(SecretItem* item) {
    GError* error = nullptr;
    if (secret_item_delete_sync(item, nullptr, &error))
        return SecretStatus::success;
    const ErrorPtr failure(error);
    return statusFor(failure.get());
}

} // namespace

SecretLookup LibsecretStore::lookup(const QString& service, const QString& account) {
    const PrivateMainContext context;
    qint32 status = SecretStatus::success;
    const ServicePtr connection = openService(status);
    if (!connection)
        return {status, std::nullopt};
    const AttributesPtr attributes = itemAttributes(service, account);
    const ItemList items = search(connection.get(), attributes.get(), SECRET_SEARCH_LOAD_SECRETS, status);
    if (status != SecretStatus::success)
        return {status, std::nullopt};
    if (!items)
        return {SecretStatus::itemNotFound, std::nullopt};
    return readSecret(static_cast<SecretItem*>(items->data));
}

qint32 LibsecretStore::add(const QString& service, const QString& account, const QByteArray& secret,
                           const QString& label) {
    const PrivateMainContext context;
    qint32 status = SecretStatus::success;
    const ServicePtr connection = openService(status);
    if (!connection)
        return status;
    const AttributesPtr attributes = itemAttributes(service, account);
    const ItemList existing = search(connection.get(), attributes.get(), SECRET_SEARCH_NONE, status);
    if (status != SecretStatus::success)
        return status;
    if (existing)
        return SecretStatus::duplicateItem;
    const SecretValuePtr value = secretValue(secret);
    GError* error = nullptr;
    if (secret_service_store_sync(connection.get(), passwordSchema(), attributes.get(),
                                  SECRET_COLLECTION_DEFAULT, label.toUtf8().constData(), value.get(), nullptr,
                                  &error))
        return SecretStatus::success;
    const ErrorPtr failure(error);
    return statusFor(failure.get());
}

qint32 LibsecretStore::update(const QString& service, const QString& account, const QByteArray& secret,
                              const QString& label) {
    const PrivateMainContext context;
    qint32 status = SecretStatus::success;
    const ServicePtr connection = openService(status);
    if (!connection)
        return status;
    const ItemList items = unlockedItems(connection.get(), itemAttributes(service, account).get(), status);
    const SecretValuePtr value = secretValue(secret);
    for (GList* node = items.get(); status == SecretStatus::success && node != nullptr; node = node->next)
        status = rewrite(static_cast<SecretItem*>(node->data), value.get(), label);
    return status;
}

qint32 LibsecretStore::remove(const QString& service, const QString& account) {
    const PrivateMainContext context;
    qint32 status = SecretStatus::success;
    const ServicePtr connection = openService(status);
    if (!connection)
        return status;
    const ItemList items = unlockedItems(connection.get(), itemAttributes(service, account).get(), status);
    for (GList* node = items.get(); status == SecretStatus::success && node != nullptr; node = node->next)
        status = deleteItem(static_cast<SecretItem*>(node->data));
    return status;
}
