#pragma once

#include <QtGlobal>

// The texts of the desktop entries and of the AppStream metainfo, as data/ writes them. Marked
// here so that the translation tools collect them; vontal_translate_data writes their
// translations into the installed files. A text there without a translation fails the build.
inline constexpr const char* kDesktopTexts[] = {
    QT_TRANSLATE_NOOP("DesktopEntry", "Vontal"),
    QT_TRANSLATE_NOOP("DesktopEntry", "Bluetooth Device Companion"),
    QT_TRANSLATE_NOOP("DesktopEntry",
                      "Tell your Bluetooth LE devices which application you are working in"),
    QT_TRANSLATE_NOOP("DesktopEntry", "Vontal Login Helper"),
    QT_TRANSLATE_NOOP("DesktopEntry", "Starts Vontal when you log in"),
};
