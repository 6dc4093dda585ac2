#include "platform/x11/xcb_window_inspector.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace vontal {

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, FreeDeleter>;

// Long enough for any class, id or host name; longer values are cut, never misread.
constexpr std::uint32_t kMaxPropertyWords = 1024;

struct Reply {
    PropertyReply reply;
    bool windowGone = false;
};

Reply collect(xcb_connection_t* connection, xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    Reply result{PropertyReply(xcb_get_property_reply(connection, cookie, &error)), false};
    if (error != nullptr) {
        result.windowGone = error->error_code == XCB_WINDOW;
        std::free(error);
    }
    return result;
}

std::string_view bytesOf(const xcb_get_property_reply_t& reply) {
    if (reply.format != 8)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(&reply)),
            static_cast<std::size_t>(xcb_get_property_value_length(&reply))};
}

// Text properties are Latin-1 when typed STRING and UTF-8 otherwise (UTF8_STRING, or untyped
// values some toolkits write).
std::optional<std::string> textOf(const Reply& r) {
    if (!r.reply)
        return std::nullopt;
    std::string_view bytes = bytesOf(*r.reply);
    if (const auto end = bytes.find('\0'); end != std::string_view::npos)
        bytes = bytes.substr(0, end);
    if (bytes.empty())
        return std::nullopt;
    if (r.reply->type == XCB_ATOM_STRING)
        return latin1ToUtf8(bytes);
    return std::string(bytes);
}

std::optional<std::uint32_t> cardinalOf(const Reply& r) {
    if (!r.reply || r.reply->format != 32 || xcb_get_property_value_length(r.reply.get()) < 4)
        return std::nullopt;
    std::uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(r.reply.get()), sizeof value);
    return value;
}

std::optional<WindowId> windowOf(const Reply& r) {
    auto value = cardinalOf(r);
    if (value && *value == 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<XcbAtoms> XcbAtoms::intern(xcb_connection_t* connection) {
    static constexpr std::array<std::string_view, 6> names = {
        "_NET_ACTIVE_WINDOW",       "_NET_WM_PID",      "_GTK_APPLICATION_ID",
        "_KDE_NET_WM_DESKTOP_FILE", "WM_CLIENT_LEADER", "UTF8_STRING"};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i)
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(names[i].size()),
                                     names[i].data());
    std::array<xcb_atom_t, names.size()> atoms{};
    bool complete = true;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(
            xcb_intern_atom_reply(connection, cookies[i], nullptr));
        if (!reply)
            complete = false;
        else
            atoms[i] = reply->atom;
    }
    if (!complete)
        return std::nullopt;
    return XcbAtoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5]};
}

std::optional<WindowFacts> XcbWindowInspector::facts(WindowId window) {
    const auto request = [&](xcb_atom_t property) {
        return xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                kMaxPropertyWords);
    };
    const auto wmClass = request(XCB_ATOM_WM_CLASS);
    const auto transientFor = request(XCB_ATOM_WM_TRANSIENT_FOR);
    const auto gtkId = request(atoms_.gtkApplicationId);
    const auto kdeFile = request(atoms_.kdeNetWmDesktopFile);
    const auto pid = request(atoms_.netWmPid);
    const auto machine = request(XCB_ATOM_WM_CLIENT_MACHINE);
    const auto leader = request(atoms_.wmClientLeader);

    // Collect every reply, even after a failure, so none is left queued in xcb.
    const Reply replies[] = {collect(connection_, wmClass), collect(connection_, transientFor),
                             collect(connection_, gtkId),   collect(connection_, kdeFile),
                             collect(connection_, pid),     collect(connection_, machine),
                             collect(connection_, leader)};
    for (const auto& r : replies) {
        if (r.windowGone)
            return std::nullopt;
    }
    const auto& [classReply, transientReply, gtkReply, kdeReply, pidReply, machineReply,
                 leaderReply] = replies;

    WindowFacts facts;
    // WM_CLASS is two NUL-terminated Latin-1 strings: instance, then class.
    if (classReply.reply && classReply.reply->type == XCB_ATOM_STRING) {
        const std::string_view bytes = bytesOf(*classReply.reply);
        const auto split = bytes.find('\0');
        const std::string_view instance = bytes.substr(0, split);
        std::string_view klass =
            split == std::string_view::npos ? std::string_view{} : bytes.substr(split + 1);
        if (const auto end = klass.find('\0'); end != std::string_view::npos)
            klass = klass.substr(0, end);
        if (!instance.empty())
            facts.instanceName = latin1ToUtf8(instance);
        if (!klass.empty())
            facts.className = latin1ToUtf8(klass);
    }
    facts.transientFor = windowOf(transientReply);
    facts.gtkApplicationId = textOf(gtkReply);
    facts.kdeDesktopFile = textOf(kdeReply);
    facts.pid = cardinalOf(pidReply);
    facts.clientMachine = textOf(machineReply);
    facts.clientLeader = windowOf(leaderReply);
    return facts;
}

std::optional<WindowId> XcbWindowInspector::activeWindow(WindowId root) {
    const auto cookie =
        xcb_get_property(connection_, 0, root, atoms_.netActiveWindow, XCB_ATOM_WINDOW, 0, 1);
    const Reply r = collect(connection_, cookie);
    if (!r.reply)
        return std::nullopt;
    return cardinalOf(r).value_or(0);
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string utf8;
    utf8.reserve(latin1.size());
    for (const char c : latin1) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            utf8.push_back(c);
        } else {
            // Every Latin-1 code point lies below U+0100, so it takes exactly two UTF-8 bytes.
            utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return utf8;
}

} // namespace vontal
