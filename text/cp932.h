// CP932 (Windows code page 932, Shift_JIS with the NEC and IBM rows) byte classification
// and copies that never split a double-byte character.
//
// A double-byte character is a lead byte followed by a valid trail byte. The trail byte
// can equal an ASCII byte such as 0x5C (backslash, in 表 and ソ) or 0x7C (|, in ポ), so
// every scan for such a byte must walk the text from its start.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vintor::text {

// Lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Trail bytes of code page 932: 0x40-0x7E and 0x80-0xFC.
constexpr bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Byte count of the character that starts at position k: 2 when text[k] is a lead byte
// followed by a trail byte, else 1. k must be below text.size().
std::size_t CharacterLengthAt(std::string_view text, std::size_t k);

// True when byte k is the lead or the trail byte of a double-byte character, walking the
// text from its start. False when k is outside the text.
bool IsDoubleByteAt(std::string_view text, std::size_t k);

// The longest prefix of text of at most max_bytes bytes that ends on a character boundary.
std::string_view PrefixOnCharacterBoundary(std::string_view text, std::size_t max_bytes);

// Copies at most dest_size - 1 bytes of src into dest without splitting a double-byte
// character, stops at a NUL in src, and NUL-terminates. Bytes of dest after the terminator
// are left as they are. Does nothing when dest_size is 0. Returns the bytes copied.
std::size_t CopyBounded(std::string_view src, char* dest, std::size_t dest_size);

template <std::size_t N>
std::size_t CopyBounded(std::string_view src, char (&dest)[N]) {
  return CopyBounded(src, dest, N);
}

// The text of a NUL-terminated fixed field: the bytes up to the first NUL or the field's end.
std::string_view FieldText(const char* field, std::size_t field_size);

template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

}  // namespace vintor::text
