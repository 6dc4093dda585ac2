#include "bus_monitor.h"

#include <chrono>
#include <gio/gio.h>
#include <stdexcept>

namespace vontal::e2e {

std::int64_t monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {} // namespace

struct BusMonitor::Connection {
    GDBusConnection* bus = nullptr;
    guint filter = 0;

    ~Connection() {
        if (bus == nullptr)
            return;
        // Closed first: the worker thread reads no more messages, so the filter is done with us.
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
        if (filter != 0)
            g_dbus_connection_remove_filter(bus, filter);
        g_object_unref(bus);
    }

    // Runs in GDBus's worker thread for every message read.
    static GDBusMessage* filterMessage(GDBusConnection*, GDBusMessage* message, gboolean incoming,
                                       gpointer data) {
        const std::int64_t now = monotonicNs();
        if (!incoming ||
            g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL)
            return message;
        auto* monitor = static_cast<BusMonitor*>(data);
        GVariant* body = g_dbus_message_get_body(message);
        const char* member = g_dbus_message_get_member(message);
        if (body != nullptr && member != nullptr && std::string(member) == "WriteValue" &&
            g_variant_is_of_type(body, G_VARIANT_TYPE("(aya{sv})"))) {
            Write write;
            write.monotonicNs = now;
            write.path = g_dbus_message_get_path(message);
            GVariant* bytes = g_variant_get_child_value(body, 0);
            gsize length = 0;
            const auto* data =
                static_cast<const char*>(g_variant_get_fixed_array(bytes, &length, sizeof(guchar)));
            write.value.assign(data, length);
            g_variant_unref(bytes);
            GVariant* options = g_variant_get_child_value(body, 1);
            const char* type = nullptr;
            if (g_variant_lookup(options, "type", "&s", &type))
                write.type = type;
            g_variant_unref(options);
            monitor->record(std::move(write));
        } else if (body != nullptr && member != nullptr &&
                   std::string(member) == "ActiveApplicationChanged" &&
                   g_variant_is_of_type(body, G_VARIANT_TYPE("(s)"))) {
            const char* id = nullptr;
            g_variant_get(body, "(&s)", &id);
            monitor->record({now, g_dbus_message_get_path(message), id, "report"});
        }
        // A monitor must never answer: GDBus would reply to a call no object of ours handles.
        g_object_unref(message);
        return nullptr;
    }
};

BusMonitor::BusMonitor(const std::string& address) : connection_(std::make_unique<Connection>()) {
    GError* error = nullptr;
    connection_->bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (connection_->bus == nullptr) {
        const std::string text = error ? error->message : "no connection";
        g_clear_error(&error);
        throw std::runtime_error("cannot connect to the bus to monitor it: " + text);
    }
    g_dbus_connection_set_exit_on_close(connection_->bus, FALSE);
    connection_->filter =
        g_dbus_connection_add_filter(connection_->bus, &Connection::filterMessage, this, nullptr);
    const char* rules[] = {"type='method_call',member='WriteValue'",
                           "type='method_call',member='ActiveApplicationChanged'", nullptr};
    GVariant* reply = g_dbus_connection_call_sync(
        connection_->bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus.Monitoring", "BecomeMonitor", g_variant_new("(^asu)", rules, 0u),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (reply == nullptr) {
        const std::string text = error ? error->message : "refused";
        g_clear_error(&error);
        throw std::runtime_error("cannot become a monitor of the bus: " + text);
    }
    g_variant_unref(reply);
}

BusMonitor::~BusMonitor() = default;

void BusMonitor::record(Write write) {
    std::lock_guard lock(mutex_);
    writes_.push_back(std::move(write));
}

std::vector<BusMonitor::Write> BusMonitor::since(std::size_t first) const {
    std::lock_guard lock(mutex_);
    if (first >= writes_.size())
        return {};
    return {writes_.begin() + static_cast<std::ptrdiff_t>(first), writes_.end()};
}

} // namespace vontal::e2e
