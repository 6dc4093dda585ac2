#include "secret_service_vault.h"

#include <libsecret/secret.h>
#include <utility>

namespace vontal {

namespace {

constexpr const char* kSecretsBusName = "org.freedesktop.secrets";
constexpr const char* kServiceValue = "vontal";

const SecretSchema* deviceSchema() {
    static const SecretSchema schema = {"org.vontal.DevicePassword",
                                        SECRET_SCHEMA_NONE,
                                        {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"device", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return &schema;
}

// Attributes of vontal's items: all of them, or one device's.
GHashTable* attributesFor(const std::string* key) {
    GHashTable* attributes = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
    g_hash_table_insert(attributes, g_strdup("service"), g_strdup(kServiceValue));
    if (key)
        g_hash_table_insert(attributes, g_strdup("device"), g_strdup(key->c_str()));
    return attributes;
}

bool cancelled(const GError* error) {
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
}

VaultProblem problemOf(const GError* error) {
    if (g_error_matches(error, SECRET_ERROR, SECRET_ERROR_IS_LOCKED))
        return {VaultProblem::Kind::Locked, {}};
    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER))
        return {VaultProblem::Kind::Absent, {}};
    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) ||
        g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT))
        return {VaultProblem::Kind::Unanswered, {}};
    if (g_dbus_error_is_remote_error(error)) {
        gchar* name = g_dbus_error_get_remote_error(error);
        const bool locked = name && g_str_has_suffix(name, ".IsLocked");
        g_free(name);
        if (locked)
            return {VaultProblem::Kind::Locked, {}};
    }
    // The service's own words, without the D-Bus error name GDBus puts before them.
    GError* copy = g_error_copy(error);
    g_dbus_error_strip_remote_error(copy);
    std::string detail = copy->message ? copy->message : "";
    g_error_free(copy);
    return {VaultProblem::Kind::Refused, detail};
}

} // namespace

struct SecretServiceVault::Bus {
    GCancellable* cancellable = g_cancellable_new();
    guint watch = 0;
    std::optional<bool> present;
    ChangeSignal presence;
    // Calls hold this weakly: their answers are dropped once the vault is gone.
    std::shared_ptr<Bus*> alive = std::make_shared<Bus*>(this);

    ~Bus() {
        alive.reset();
        if (watch)
            g_bus_unwatch_name(watch);
        g_cancellable_cancel(cancellable);
        g_object_unref(cancellable);
    }

    void setPresent(bool now) {
        if (present == now)
            return;
        present = now;
        // A keyring that comes back is a new process: the next call opens a new session with it.
        if (!now)
            secret_service_disconnect();
        presence.fire();
    }
};

namespace {

// One asynchronous call in flight: freed when GIO answers, which it always does.
template <typename Answer> struct Call {
    std::weak_ptr<SecretServiceVault::Bus*> bus;
    std::function<void(Answer)> done;
    GCancellable* cancellable;

    bool gone() const { return bus.expired(); }
};

using ReadCall = Call<PasswordVault::ReadAnswer>;
using WriteCall = Call<std::optional<VaultProblem>>;

void searchAnswered(GObject* source, GAsyncResult* result, gpointer data) {
    auto* call = static_cast<ReadCall*>(data);
    GError* error = nullptr;
    GList* items = secret_service_search_finish(SECRET_SERVICE(source), result, &error);
    if (call->gone() || cancelled(error)) {
        g_clear_error(&error);
        g_list_free_full(items, g_object_unref);
        delete call;
        return;
    }
    PasswordVault::ReadAnswer answer;
    if (error) {
        answer.problem = problemOf(error);
        g_error_free(error);
    }
    bool locked = false;
    for (GList* entry = items; entry; entry = entry->next) {
        auto* item = SECRET_ITEM(entry->data);
        if (secret_item_get_locked(item)) {
            locked = true;
            continue;
        }
        GHashTable* attributes = secret_item_get_attributes(item);
        const auto* device = static_cast<const gchar*>(g_hash_table_lookup(attributes, "device"));
        SecretValue* secret = secret_item_get_secret(item);
        const gchar* text = secret ? secret_value_get_text(secret) : nullptr;
        if (device && text)
            answer.passwords[device] = text;
        if (secret)
            secret_value_unref(secret);
        g_hash_table_unref(attributes);
    }
    g_list_free_full(items, g_object_unref);
    // The user did not unlock what holds vontal's items.
    if (locked && !answer.problem)
        answer.problem = VaultProblem{VaultProblem::Kind::Locked, {}};
    if (answer.problem)
        answer.passwords.clear();
    call->done(std::move(answer));
    delete call;
}

void serviceOpened(GObject* /*source*/, GAsyncResult* result, gpointer data) {
    auto* call = static_cast<ReadCall*>(data);
    GError* error = nullptr;
    SecretService* service = secret_service_get_finish(result, &error);
    if (call->gone() || cancelled(error) || !service) {
        if (!call->gone() && !cancelled(error))
            call->done({error ? problemOf(error) : VaultProblem{}, {}});
        g_clear_error(&error);
        if (service)
            g_object_unref(service);
        delete call;
        return;
    }
    GHashTable* attributes = attributesFor(nullptr);
    secret_service_search(service, deviceSchema(), attributes,
                          static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK |
                                                         SECRET_SEARCH_LOAD_SECRETS),
                          call->cancellable, searchAnswered, call);
    g_hash_table_unref(attributes);
    g_object_unref(service);
}

template <gboolean (*finish)(GAsyncResult*, GError**)>
void writeAnswered(GObject* /*source*/, GAsyncResult* result, gpointer data) {
    auto* call = static_cast<WriteCall*>(data);
    GError* error = nullptr;
    finish(result, &error);
    if (!call->gone() && !cancelled(error))
        call->done(error ? std::optional<VaultProblem>(problemOf(error)) : std::nullopt);
    g_clear_error(&error);
    delete call;
}

} // namespace

SecretServiceVault::SecretServiceVault() : bus_(std::make_unique<Bus>()) {
    // Only a keyring that runs counts: the watch starts none.
    bus_->watch = g_bus_watch_name(
        G_BUS_TYPE_SESSION, kSecretsBusName, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, gpointer data) {
            static_cast<Bus*>(data)->setPresent(true);
        },
        [](GDBusConnection*, const gchar*, gpointer data) {
            static_cast<Bus*>(data)->setPresent(false);
        },
        bus_.get(), nullptr);
}

SecretServiceVault::~SecretServiceVault() = default;

Subscription SecretServiceVault::observePresence(std::function<void(bool present)> told) {
    Bus* bus = bus_.get();
    auto shared = std::make_shared<std::function<void(bool)>>(std::move(told));
    Subscription changes = bus->presence.subscribe([bus, shared] { (*shared)(*bus->present); });
    // The watch tells its first answer from the main loop, never inside this call; one already
    // had is passed on the same way.
    if (bus->present) {
        struct First {
            std::weak_ptr<Bus*> bus;
            std::weak_ptr<std::function<void(bool)>> told;
        };
        g_idle_add_full(
            G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                auto* first = static_cast<First*>(data);
                auto alive = first->bus.lock();
                auto told = first->told.lock();
                if (alive && told && (*alive)->present)
                    (*told)(*(*alive)->present);
                return G_SOURCE_REMOVE;
            },
            new First{bus->alive, shared}, [](gpointer data) { delete static_cast<First*>(data); });
    }
    auto holder = std::make_shared<Subscription>(std::move(changes));
    return Subscription([holder, shared]() mutable {
        holder->cancel();
        shared.reset();
    });
}

void SecretServiceVault::readAll(std::function<void(ReadAnswer)> done) {
    auto* call = new ReadCall{bus_->alive, std::move(done), bus_->cancellable};
    secret_service_get(SECRET_SERVICE_OPEN_SESSION, bus_->cancellable, serviceOpened, call);
}

void SecretServiceVault::store(const std::string& key, const std::string& label,
                               const std::string& password, Done done) {
    auto* call = new WriteCall{bus_->alive, std::move(done), bus_->cancellable};
    GHashTable* attributes = attributesFor(&key);
    secret_password_storev(deviceSchema(), attributes, SECRET_COLLECTION_DEFAULT, label.c_str(),
                           password.c_str(), bus_->cancellable,
                           writeAnswered<secret_password_store_finish>, call);
    g_hash_table_unref(attributes);
}

void SecretServiceVault::remove(const std::string& key, Done done) {
    auto* call = new WriteCall{bus_->alive, std::move(done), bus_->cancellable};
    GHashTable* attributes = attributesFor(&key);
    secret_password_clearv(deviceSchema(), attributes, bus_->cancellable,
                           writeAnswered<secret_password_clear_finish>, call);
    g_hash_table_unref(attributes);
}

} // namespace vontal
