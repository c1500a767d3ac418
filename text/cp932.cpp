#include "text/cp932.h"

#include <cstring>

namespace vintor::text {

std::size_t CharacterLengthAt(std::string_view text, std::size_t k) {
  const bool pair = IsLeadByte(static_cast<unsigned char>(text[k])) && k + 1 < text.size() &&
                    IsTrailByte(static_cast<unsigned char>(text[k + 1]));
  return pair ? 2 : 1;
}

bool IsDoubleByteAt(std::string_view text, std::size_t k) {
  // A byte's role depends on every byte before it (0x5C may be a backslash or the second
  // half of 表), so the walk always starts at the beginning of the text.
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = CharacterLengthAt(text, i);
    if (k < i + length) return length == 2;
    i += length;
  }
  return false;
}

std::string_view PrefixOnCharacterBoundary(std::string_view text, std::size_t max_bytes) {
  // A text that fits is kept whole: its end is a boundary (a lone lead byte at the end
  // counts as a character of its own).
  if (text.size() <= max_bytes) return text;
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t length = CharacterLengthAt(text, end);
    if (end + length > max_bytes) break;
    end += length;
  }
  return text.substr(0, end);
}

std::size_t CopyBounded(std::string_view src, char* dest, std::size_t dest_size) {
  if (dest_size == 0) return 0;
  // A NUL is never a trail byte, so cutting at it first cannot split a character.
  src = FieldText(src.data(), src.size());
  const std::string_view copied = PrefixOnCharacterBoundary(src, dest_size - 1);
  std::memmove(dest, copied.data(), copied.size());
  dest[copied.size()] = '\0';
  return copied.size();
}

std::string_view FieldText(const char* field, std::size_t field_size) {
  const void* nul = std::memchr(field, '\0', field_size);
  return {field,
          nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : field_size};
}

}  // namespace vintor::text
