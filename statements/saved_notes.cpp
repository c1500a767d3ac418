#include "statements/saved_notes.h"

#include <algorithm>

#include "text/decimal.h"

namespace vintor::statements {

namespace {

// "[Note_", two digits and "]": where the search for the section's "Disp=" begins.
constexpr std::size_t kSectionHeadLength = 9;

// The text from start up to the first CR or LF, or to the end.
std::string_view RestOfLine(std::string_view text, std::size_t start) {
  const std::string_view rest = text.substr(start);
  return rest.substr(0, rest.find_first_of("\r\n"));
}

}  // namespace

bool IsLinkedInputMode(std::string_view mode_text) {
  const std::size_t key = mode_text.find("InputMode");
  if (key == std::string_view::npos) return false;
  // Blanks between the key and its "=" are allowed, so the "=" is searched for rather than
  // expected right after the key.
  const std::size_t equals = mode_text.find('=', key + 1);
  if (equals == std::string_view::npos) return false;
  return text::ParseDecimal(RestOfLine(mode_text, equals + 1)) > 0;
}

bool AreNotesEntered(std::string_view settings_text) {
  constexpr std::string_view kKey = "Note=";
  const std::size_t key = settings_text.find(kKey);
  if (key == std::string_view::npos) return false;
  const std::string_view value = RestOfLine(settings_text, key + kKey.size());
  return !value.empty() && text::ParseDecimal(value) > 0;
}

std::size_t CollectNoteDisplayFlags(std::string_view mode_text, std::span<std::uint8_t> flags) {
  constexpr std::string_view kSection = "[Note_";
  constexpr std::string_view kDisp = "Disp=";
  const std::size_t capacity = std::min(flags.size(), kNoteDisplayFlagCount);
  std::size_t stored = 0;
  std::size_t position = 0;
  while (stored < capacity) {
    const std::size_t section = mode_text.find(kSection, position);
    // A head cut short by the end of the text has no section body to search.
    if (section == std::string_view::npos || section + kSectionHeadLength > mode_text.size()) break;
    const std::size_t disp = mode_text.find(kDisp, section + kSectionHeadLength);
    if (disp == std::string_view::npos) break;
    const std::size_t value = disp + kDisp.size();
    if (value == mode_text.size()) break;
    // The value is read like the product reads it, up to its first non-digit; only the low
    // byte is kept, so 256 counts as 0 (not shown).
    flags[stored++] = static_cast<std::uint8_t>(
        static_cast<std::uint32_t>(text::ParseDecimal(mode_text.substr(value))) & 0xFF);
    position = value;
  }
  return stored;
}

}  // namespace vintor::statements
