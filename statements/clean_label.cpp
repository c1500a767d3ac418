#include "statements/clean_label.h"

#include <array>
#include <cstddef>
#include <utility>

#include "text/cp932.h"

namespace vintor::statements {

namespace {

// Tested in this order; the first that matches is dropped. The order matters only where one
// entry begins another, which none of these does, but it is kept stable on purpose.
constexpr std::array<std::string_view, 16> kDecorations = {
    " ",  "　", "【",   "】",   "《",   "》",   "（",   "）",
    "［", "］", "(製)", "[製]", "(完)", "[完]", "(未)", "[未]",
};

std::size_t DecorationLengthAt(std::string_view text, std::size_t position) {
  const std::string_view rest = text.substr(position);
  for (std::string_view decoration : kDecorations) {
    if (rest.starts_with(decoration)) return decoration.size();
  }
  return 0;
}

}  // namespace

bool MayHaveDecorations(std::string_view text) {
  // The first bytes of every decoration above.
  for (const char c : text) {
    if (c == ' ' || c == '(' || c == '[' || static_cast<unsigned char>(c) == 0x81) return true;
  }
  return false;
}

bool CleanLabel(std::string_view text, std::string* out) {
  if (text.empty() || out == nullptr) return false;
  std::string cleaned;
  cleaned.reserve(text.size());
  std::size_t position = 0;
  while (position < text.size()) {
    // Every decoration is made of whole characters, so a match that starts on a character
    // boundary also ends on one and the walk stays in step with the characters.
    if (const std::size_t skip = DecorationLengthAt(text, position); skip != 0) {
      position += skip;
      continue;
    }
    const std::size_t length = text::CharacterLengthAt(text, position);
    cleaned.append(text.substr(position, length));
    position += length;
  }
  *out = std::move(cleaned);
  return true;
}

}  // namespace vintor::statements
