#include "text/control_escapes.h"

#include <algorithm>

#include "text/cp932.h"

namespace vintor::text {
namespace {

bool IsControl(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F;
}

bool Kept(std::string_view text, std::size_t k, LineLayout layout) {
  if (layout != LineLayout::kKept) return false;
  return text[k] == '\t' || text[k] == '\n' ||
         (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n');
}

}  // namespace

void AppendHexEscaped(std::string_view bytes, std::string* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const unsigned char byte : bytes) {
    *out += "\\x";
    *out += kHex[byte >> 4];
    *out += kHex[byte & 0xF];
  }
}

std::string EscapeControls(std::string_view cp932, LineLayout layout) {
  // Most texts hold none, and a report's millions of texts pass here: no control byte is
  // ever part of a double-byte character, so one look at the bytes decides.
  if (std::none_of(cp932.begin(), cp932.end(),
                   [](char c) { return IsControl(static_cast<unsigned char>(c)); })) {
    return std::string(cp932);
  }
  std::string shown;
  shown.reserve(cp932.size());
  for (std::size_t k = 0; k < cp932.size();) {
    const std::size_t length = CharacterLengthAt(cp932, k);
    const auto byte = static_cast<unsigned char>(cp932[k]);
    if (length == 1 && IsControl(byte) && !Kept(cp932, k, layout)) {
      AppendHexEscaped(cp932.substr(k, 1), &shown);
    } else {
      shown.append(cp932, k, length);
    }
    k += length;
  }
  return shown;
}

}  // namespace vintor::text
