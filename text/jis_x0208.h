// Which CP932 characters lie outside JIS X 0208, the character set of Shift_JIS proper.
// CP932 adds rows of its own to Shift_JIS: the NEC special characters (row 13: ①, ㈱, Ⅰ),
// the NEC-selected and the IBM extensions (髙, 﨑, ⅰ) and the user-defined area. A strict
// Shift_JIS reader refuses them and electronic filing replaces them, so the report's texts
// are checked for them.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vintor::text {

enum class NonJisKind {
  kNecSpecial,       // row 13, lead byte 0x87
  kNecSelectedIbm,   // lead bytes 0xED and 0xEE
  kIbmExtension,     // lead bytes 0xFA to 0xFC
  kUserDefined,      // lead bytes 0xF0 to 0xF9
  kUnassigned,       // lead bytes CP932 assigns nothing to (0x85, 0x86, 0xEB, 0xEC, 0xEF)
};

struct NonJisCharacter {
  std::size_t offset = 0;  // of the character's lead byte in the text
  std::size_t size = 0;    // 2, or 1 for a lead byte without its trail byte at the end
  NonJisKind kind = NonJisKind::kNecSpecial;
};

// The first character at or after from (a character boundary) that is not in JIS X 0208 or
// JIS X 0201 (ASCII and half-width katakana); nothing when every character is. Walks whole
// characters from from, so a trail byte is never taken for a lead byte.
std::optional<NonJisCharacter> FindCharacterOutsideJisX0208(std::string_view text,
                                                            std::size_t from = 0);

// How the kind is named to the user (CP932): "NEC特殊文字", "NEC選定IBM拡張文字",
// "IBM拡張文字", "外字", "未定義の文字".
std::string_view NonJisKindName(NonJisKind kind);

}  // namespace vintor::text
