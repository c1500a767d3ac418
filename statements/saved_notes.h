// The settings texts the product saves with a company's notes, as the exporter reads them.
// The texts are CP932 lines ended with CR LF; none of the keys looked for here is required
// to stand at the start of a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vintor::statements {

// The number of note sections whose display flag is kept.
inline constexpr std::size_t kNoteDisplayFlagCount = 50;

// True when the notes are kept in the linked input mode: the text holds "InputMode", and the
// value after the first "=" that follows it, up to the line end, read as a decimal number,
// is greater than 0 ("InputMode  =  2" counts). False without the key or without an "=".
bool IsLinkedInputMode(std::string_view mode_text);

// True when the user has entered notes: the value after the first "Note=", up to the line
// end, is not empty and read as a decimal number is greater than 0.
bool AreNotesEntered(std::string_view settings_text);

// Stores the "Disp=" value of each "[Note_nn]" section, in the order the sections stand in
// the text, as its low 8 bits into flags[0], flags[1], ... A section's value is the next
// "Disp=" after its head, wherever it stands. The collection stops at the end of the
// sections, at a section with no "Disp=" after it (later sections are not looked at), at a
// "Disp=" that ends the text, or when min(flags.size(), kNoteDisplayFlagCount) entries are
// filled. Entries after the last one stored are left as they are. Returns the
// number of entries stored.
std::size_t CollectNoteDisplayFlags(std::string_view mode_text, std::span<std::uint8_t> flags);

}  // namespace vintor::statements
