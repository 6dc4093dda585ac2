#pragma once

#include <QString>
#include <string_view>

namespace vontal::display {

// Texts from outside (device and advertised names, application names, error texts of BlueZ or
// the desktop) are data: wherever they are shown they read as the characters they are, never as
// markup, line breaks or a change of writing direction, and none can grow a row, a line or a
// tooltip without bound.

// At most this many characters of a name; of an error text, which says more.
inline constexpr int kNameLength = 64;
inline constexpr int kErrorLength = 120;
// The tray's tooltip as a whole, markup included.
inline constexpr int kToolTipLength = 1999;

// What may be shown of `text` (UTF-8, possibly invalid): controls, line breaks and direction
// marks as visible symbols, and at most `limit` characters (as a reader counts them: a letter
// with its accents, an emoji sequence), the last of them "…" when the text was longer.
QString shown(std::string_view text, int limit = kNameLength);
QString shown(const QString& text, int limit = kNameLength);

// A tooltip that shows exactly `plain`: QToolTip renders anything that looks like markup as rich
// text (and loads the images it names), so such a text goes escaped inside a paragraph of its
// own; any other text is kept as it is.
QString plainToolTip(const QString& plain);

} // namespace vontal::display
