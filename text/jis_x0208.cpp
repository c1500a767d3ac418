#include "text/jis_x0208.h"

#include <cstdint>

#include "text/cp932.h"

namespace vintor::text {
namespace {

// The kind of a double-byte character by its lead byte; nothing for the lead bytes of JIS
// X 0208's own rows (0x81 to 0x84, 0x88 to 0x9F, 0xE0 to 0xEA), whose cells CP932 fills only
// with JIS X 0208 characters.
constexpr std::optional<NonJisKind> KindOfLead(unsigned char lead) {
  if (lead == 0x87) return NonJisKind::kNecSpecial;
  if (lead == 0xED || lead == 0xEE) return NonJisKind::kNecSelectedIbm;
  if (lead >= 0xFA && lead <= 0xFC) return NonJisKind::kIbmExtension;
  if (lead >= 0xF0 && lead <= 0xF9) return NonJisKind::kUserDefined;
  if (lead == 0x85 || lead == 0x86 || lead == 0xEB || lead == 0xEC || lead == 0xEF) {
    return NonJisKind::kUnassigned;
  }
  return std::nullopt;
}

// What a byte is as the first byte of a character: no lead byte, the lead byte of a row of
// JIS X 0208, or that of a row outside it, then by the row's kind.
constexpr std::uint8_t kNotLead = 0xFF;
constexpr std::uint8_t kJisLead = 0xFE;
struct LeadTable {
  std::uint8_t class_of[256];
  constexpr LeadTable() : class_of() {
    for (int byte = 0; byte < 256; ++byte) {
      const auto b = static_cast<unsigned char>(byte);
      const std::optional<NonJisKind> kind = KindOfLead(b);
      class_of[byte] = !IsLeadByte(b) ? kNotLead
                       : kind         ? static_cast<std::uint8_t>(*kind)
                                      : kJisLead;
    }
  }
};

}  // namespace

std::optional<NonJisCharacter> FindCharacterOutsideJisX0208(std::string_view text,
                                                            std::size_t from) {
  // Every text of a large ledger passes here: bytes that are no lead byte are stepped over
  // with one look at a table, and only a lead byte takes the byte after it.
  static constexpr LeadTable kLeads;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t at = from; at < size;) {
    const std::uint8_t lead = kLeads.class_of[bytes[at]];
    if (lead == kNotLead) {
      ++at;
      continue;
    }
    const std::size_t length = at + 1 < size && IsTrailByte(bytes[at + 1]) ? 2 : 1;
    if (lead != kJisLead) return NonJisCharacter{at, length, static_cast<NonJisKind>(lead)};
    at += length;
  }
  return std::nullopt;
}

std::string_view NonJisKindName(NonJisKind kind) {
  switch (kind) {
    case NonJisKind::kNecSpecial:
      return "NEC特殊文字";
    case NonJisKind::kNecSelectedIbm:
      return "NEC選定IBM拡張文字";
    case NonJisKind::kIbmExtension:
      return "IBM拡張文字";
    case NonJisKind::kUserDefined:
      return "外字";
    case NonJisKind::kUnassigned:
      break;
  }
  return "未定義の文字";
}

}  // namespace vintor::text
