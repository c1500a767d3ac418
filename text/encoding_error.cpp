#include "text/encoding_error.h"

#include <cstdio>

#include "text/cp932.h"

namespace vintor::text {
namespace {

// "byte 81" or "bytes 85 40".
std::string HexBytes(std::string_view bytes) {
  std::string text = bytes.size() == 1 ? "byte" : "bytes";
  for (const char byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(byte));
    text += hex;
  }
  return text;
}

std::string Verb(std::string_view bytes) {
  return bytes.size() == 1 ? " is" : " are";
}

}  // namespace

std::size_t FindMalformedCp932(std::string_view cp932) {
  for (std::size_t k = 0; k < cp932.size(); k += CharacterLengthAt(cp932, k)) {
    const auto byte = static_cast<unsigned char>(cp932[k]);
    // 0x80, 0xA0 and 0xFD-0xFF are neither single-byte characters nor lead bytes; some
    // converters pass them through as private characters, which would make the two
    // platforms disagree.
    const bool single = byte <= 0x7F || (byte >= 0xA1 && byte <= 0xDF);
    if (!single && CharacterLengthAt(cp932, k) != 2) return k;
  }
  return std::string_view::npos;
}

std::size_t Utf8SequenceLengthAt(std::string_view utf8, std::size_t k) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[k + i]); };
  const unsigned char lead = byte(0);
  if (lead <= 0x7F) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (k + length > utf8.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

std::size_t FindMalformedUtf8(std::string_view utf8) {
  for (std::size_t k = 0; k < utf8.size();) {
    const std::size_t length = Utf8SequenceLengthAt(utf8, k);
    if (length == 0) return k;
    k += length;
  }
  return std::string_view::npos;
}

std::string NotCp932Error(std::string_view cp932, std::size_t k) {
  // A lead byte is named with the byte after it, which is what makes the pair wrong.
  const bool lead = IsLeadByte(static_cast<unsigned char>(cp932[k]));
  const std::string_view bytes = cp932.substr(k, lead ? 2 : 1);
  return HexBytes(bytes) + " at offset " + std::to_string(k) + Verb(bytes) + " not CP932";
}

std::string NotUtf8Error(std::string_view utf8, std::size_t k) {
  // The byte at k and the continuation bytes after it, at most a sequence's length.
  std::size_t end = k + 1;
  while (end < utf8.size() && end < k + 4 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
    ++end;
  const std::string_view bytes = utf8.substr(k, end - k);
  return HexBytes(bytes) + " at offset " + std::to_string(k) + Verb(bytes) + " not UTF-8";
}

std::string NoCp932FormError(std::string_view utf8, std::size_t k) {
  const std::string_view bytes = utf8.substr(k, Utf8SequenceLengthAt(utf8, k));
  // The payload bits: 7 in a single byte, else the lead byte's low bits then 6 per byte.
  const unsigned char lead_mask[] = {0x7F, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t code = static_cast<unsigned char>(bytes[0]) & lead_mask[bytes.size()];
  for (std::size_t i = 1; i < bytes.size(); ++i)
    code = (code << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  return std::string(name) + " (" + HexBytes(bytes) + " at offset " + std::to_string(k) +
         ") has no CP932 form";
}

}  // namespace vintor::text
