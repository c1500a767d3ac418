#include "text/xml_entities.h"

#include <cstdint>
#include <cstring>

namespace vintor::text {
namespace {

// What each byte becomes: itself (an empty replacement), an entity or reference, or nothing
// at all (a control character no XML text can hold).
struct ByteForms {
  std::string_view replacement[256] = {};
  bool unwritable[256] = {};

  constexpr ByteForms() {
    for (int byte = 0; byte < 0x20; ++byte) {
      unwritable[byte] = byte != '\t' && byte != '\n' && byte != '\r';
    }
    unwritable[0x7F] = true;
    replacement[static_cast<unsigned char>('"')] = "&quot;";
    replacement[static_cast<unsigned char>('&')] = "&amp;";
    replacement[static_cast<unsigned char>('\'')] = "&apos;";
    replacement[static_cast<unsigned char>('<')] = "&lt;";
    replacement[static_cast<unsigned char>('>')] = "&gt;";
    replacement[static_cast<unsigned char>('\t')] = "&#9;";
    replacement[static_cast<unsigned char>('\n')] = "&#10;";
    replacement[static_cast<unsigned char>('\r')] = "&#13;";
  }
};

constexpr ByteForms kForms;

}  // namespace

std::size_t EscapeXmlInto(std::string_view text, char* out, std::size_t room) {
  std::size_t written = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (kForms.unwritable[byte]) return kUnwritable;
    const std::string_view replacement = kForms.replacement[byte];
    if (replacement.empty()) {
      if (written == room) return kNoRoom;
      out[written++] = c;
      continue;
    }
    if (room - written < replacement.size()) return kNoRoom;
    for (const char r : replacement) out[written++] = r;
  }
  return written;
}

std::size_t EscapedXmlSize(std::string_view text) {
  std::size_t size = text.size();
  for (const char c : text) {
    const std::string_view replacement = kForms.replacement[static_cast<unsigned char>(c)];
    if (!replacement.empty()) size += replacement.size() - 1;
  }
  return size;
}

std::string EscapeXmlEntities(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '"':
        escaped += "&quot;";
        break;
      case '&':
        escaped += "&amp;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '\t':
        escaped += "&#9;";
        break;
      case '\n':
        escaped += "&#10;";
        break;
      case '\r':
        escaped += "&#13;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::size_t FindUnwritableControl(std::string_view text) {
  // Eight bytes at a time while none of them is below 0x20 or is DEL: a ledger's millions of
  // texts hold almost none.
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  std::size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    const std::uint64_t below_space = (word - kOnes * 0x20) & ~word & kHighs;
    const std::uint64_t del = word ^ (kOnes * 0x7F);
    const std::uint64_t is_del = (del - kOnes) & ~del & kHighs;
    if ((below_space | is_del) != 0) break;
  }
  for (; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if ((byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F) return at;
  }
  return std::string_view::npos;
}

}  // namespace vintor::text
