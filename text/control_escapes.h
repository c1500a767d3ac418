// Control characters made visible, for messages that repeat what a user or a file gave us:
// an option, a value, a path, a hand-shake. Written to a terminal as they are, such bytes
// would act instead of showing (ESC starts a sequence that recolours, moves the cursor or
// retitles the window; CR or BS lets a line overwrite what came before it).
#pragma once

#include <string>
#include <string_view>

namespace vintor::text {

// What happens to the characters that lay a text of several lines out.
enum class LineLayout {
  kEscaped,  // everything is escaped: for one value set inside a message
  kKept,     // TAB, LF and CR directly before LF pass: for a whole message of our own
};

// cp932 with every C0 control character (0x00-0x1F) and DEL (0x7F) written as "\x" and two
// upper-case hex digits (ESC becomes \x1B), except what layout keeps; everything else is
// copied as it is. The text is walked character by character, so a double-byte character
// is never split (none of these bytes is a CP932 trail byte either); a malformed byte is
// copied as it is, for the terminal's conversion to show.
std::string EscapeControls(std::string_view cp932, LineLayout layout = LineLayout::kEscaped);

// Appends every byte of bytes as "\x" and two upper-case hex digits: for bytes that are no
// text at all (an argument that does not convert), which can only be shown as numbers.
void AppendHexEscaped(std::string_view bytes, std::string* out);

}  // namespace vintor::text
