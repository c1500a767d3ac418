// Removal of the decorations around account names before they become "Label" attributes.
#pragma once

#include <string>
#include <string_view>

namespace vintor::statements {

// Copies the CP932 text into *out without its decorations: the half-width and full-width
// space, the brackets 【】《》（）［］ and the markers (製) [製] (完) [完] (未) [未].
// Only the decorations go: （本社） becomes 本社, 売掛金(製) becomes 売掛金.
//
// Decorations are recognised only where a character starts, so a trail byte and the byte
// after it are never taken for one (ａ@ is the bytes 82 81 40, and 81 40 would otherwise read
// as a full-width space). Returns false, leaving *out untouched, when the text is empty or
// out is null; true otherwise.
bool CleanLabel(std::string_view text, std::string* out);

// False when text certainly has no decoration, so CleanLabel would give it unchanged: it
// holds none of the bytes a decoration begins with (space, '(', '[' and 0x81, the lead byte
// of every full-width one). A quick test for callers that clean millions of names.
bool MayHaveDecorations(std::string_view text);

}  // namespace vintor::statements
