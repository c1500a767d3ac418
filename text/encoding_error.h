// Checks and error messages shared by the platform conversions of encoding.h. Portable:
// the form of CP932 and UTF-8 is checked here, so both platforms refuse the same bytes and
// name them the same way; only whether a well-formed character has a counterpart in the
// other character set is left to the platform.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace vintor::text {

// Offset of the first byte that does not start a CP932 character: a lead byte without a
// trail byte after it, or one of 0x80, 0xA0 and 0xFD-0xFF. npos when every byte does.
std::size_t FindMalformedCp932(std::string_view cp932);

// Length of the UTF-8 sequence that starts at k, or 0 when the bytes there are not UTF-8
// (stray continuation byte, truncated or overlong sequence, surrogate, above U+10FFFF).
// k must be below utf8.size().
std::size_t Utf8SequenceLengthAt(std::string_view utf8, std::size_t k);

// Offset of the first byte that does not start a UTF-8 sequence, or npos.
std::size_t FindMalformedUtf8(std::string_view utf8);

// "bytes 85 40 at offset 12 are not CP932": names the character that starts at k.
std::string NotCp932Error(std::string_view cp932, std::size_t k);

// "byte C3 at offset 5 is not UTF-8": names the bytes that start at k.
std::string NotUtf8Error(std::string_view utf8, std::size_t k);

// "U+00E9 (bytes C3 A9 at offset 5) has no CP932 form": k starts a valid UTF-8 sequence.
std::string NoCp932FormError(std::string_view utf8, std::size_t k);

// Stores message in *error when error is given; returns false for the caller to return.
inline bool Refuse(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

}  // namespace vintor::text
