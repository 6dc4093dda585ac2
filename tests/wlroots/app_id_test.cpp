#include "platform/frontmost/app_id_resolver.h"
#include "tests/support/desktop/fake_catalog.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

TEST(AppIdResolver, DesktopIdThenCaseInsensitiveIdThenStartupWmClass) {
    FakeCatalog catalog;
    catalog.add("org.gnome.TextEditor.desktop", "Texteditor");
    catalog.add("foot.desktop", "Foot");
    catalog.add("Foot.desktop", "Large Foot");
    catalog.add("debian-xterm.desktop", "XTerm");
    catalog.addWmClass("XTerm", "debian-xterm.desktop");
    // An entry whose StartupWMClass equals another entry's id in other case: the id wins.
    catalog.add("org.vontal.Notes.desktop", "Notizen");
    catalog.add("notes-helper.desktop", "Notes Helper");
    catalog.addWmClass("ORG.VONTAL.NOTES", "notes-helper.desktop");

    EXPECT_EQ(resolveAppId(catalog, "org.gnome.TextEditor"),
              (ResolvedApplication{"org.gnome.TextEditor.desktop", "Texteditor"}));
    // Exact case first, even where another entry differs only in case.
    EXPECT_EQ(resolveAppId(catalog, "foot").localizedName, "Foot");
    EXPECT_EQ(resolveAppId(catalog, "Foot").localizedName, "Large Foot");
    EXPECT_EQ(resolveAppId(catalog, "ORG.VONTAL.NOTES"),
              (ResolvedApplication{"org.vontal.Notes.desktop", "Notizen"}));
    // Xwayland windows report their X class.
    EXPECT_EQ(resolveAppId(catalog, "XTerm"),
              (ResolvedApplication{"debian-xterm.desktop", "XTerm"}));
    // KWin gives the X class lower-cased.
    EXPECT_EQ(resolveAppId(catalog, "xterm"),
              (ResolvedApplication{"debian-xterm.desktop", "XTerm"}));
    // An app_id that already carries the suffix.
    EXPECT_EQ(resolveAppId(catalog, "foot.desktop").identity, "foot.desktop");
}

TEST(AppIdResolver, UnclaimedAppIdsAreTheirOwnApplicationsNamedByTheId) {
    FakeCatalog catalog;
    catalog.add("foot.desktop", "Foot");
    const auto stray = resolveAppId(catalog, "org.example.Stray");
    EXPECT_EQ(stray.localizedName, "org.example.Stray");
    // Told apart from each other and from any installed entry.
    EXPECT_NE(stray.identity, resolveAppId(catalog, "other").identity);
    EXPECT_EQ(stray.identity, resolveAppId(catalog, "org.example.Stray").identity);
    EXPECT_NE(stray.identity, "org.example.Stray.desktop");
    // An id with the suffix of an entry that is not installed goes by the id without it, yet
    // stays another application than the one without the suffix.
    const auto suffixed = resolveAppId(catalog, "stray.desktop");
    EXPECT_EQ(suffixed.localizedName, "stray");
    EXPECT_EQ(resolveAppId(catalog, ".desktop").localizedName, ".desktop");
    // No id is no application, and has no name.
    const auto nameless = resolveAppId(catalog, "");
    EXPECT_EQ(nameless.localizedName, std::nullopt);
    EXPECT_NE(nameless.identity, stray.identity);
    EXPECT_NE(nameless.identity, resolveAppId(catalog, "foot").identity);
}

} // namespace
} // namespace vontal
