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
inline constexpr const char* kLinkUp = QT_TRANSLATE_NOOP("ContentView", "🟢");
inline constexpr const char* kLinkDown = QT_TRANSLATE_NOOP("ContentView", "⚪️");
// What a screen reader says for the two dots.
inline constexpr const char* kLinkUpDescription = QT_TRANSLATE_NOOP("ContentView", "connected");
inline constexpr const char* kLinkDownDescription =
    QT_TRANSLATE_NOOP("ContentView", "connecting or disconnected");

inline QString text(const char* key) {
    return QCoreApplication::translate(kContext, key);
}

} // namespace vontal::labels
