#pragma once

#include <QCoreApplication>
#include <QString>

namespace vontal::labels {

// The window's fixed texts are translation keys: each is looked up in the installed translation
// and shown as written when there is none. Device names never go through here.
inline constexpr const char* kContext = "ContentView";

inline constexpr const char* kConnected = QT_TRANSLATE_NOOP("ContentView", "Connected");
inline constexpr const char* kDiscovered = QT_TRANSLATE_NOOP("ContentView", "Discovered");
inline constexpr const char* kConnect = QT_TRANSLATE_NOOP("ContentView", "Connect");
inline constexpr const char* kDisconnect = QT_TRANSLATE_NOOP("ContentView", "Disconnect");
inline constexpr const char* kLaunchOnLogin = QT_TRANSLATE_NOOP("ContentView", "Launch on login");
// The dot of a connected row, by where its device stands: neutral while connecting, amber while it
// waits for a password, red once it refused one, green once it hears application names. Colour
// glyphs of their own, so they read the same on light and dark themes.
inline constexpr const char* kLinkUp = QT_TRANSLATE_NOOP("ContentView", "🟢");
inline constexpr const char* kLinkDown = QT_TRANSLATE_NOOP("ContentView", "⚪️");
inline constexpr const char* kDotWaiting = QT_TRANSLATE_NOOP("ContentView", "🟠");
inline constexpr const char* kDotRefused = QT_TRANSLATE_NOOP("ContentView", "🔴");
// Where a connected device stands, shown next to its dot and said by a screen reader.
inline constexpr const char* kStateConnecting = QT_TRANSLATE_NOOP("ContentView", "Connecting…");
inline constexpr const char* kStateWaitingForPassword =
    QT_TRANSLATE_NOOP("ContentView", "Waiting for password");
inline constexpr const char* kStatePasswordRefused =
    QT_TRANSLATE_NOOP("ContentView", "Password refused");
inline constexpr const char* kStateUnlocked = QT_TRANSLATE_NOOP("ContentView", "Unlocked");
// The application whose name the unlocked devices were told last.
inline constexpr const char* kNowSending = QT_TRANSLATE_NOOP("ContentView", "Now sending: %1");

inline QString text(const char* key) {
    return QCoreApplication::translate(kContext, key);
}

} // namespace vontal::labels
