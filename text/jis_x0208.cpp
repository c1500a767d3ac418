#include "text/jis_x0208.h"

#include "text/cp932.h"

namespace vintor::text {
namespace {

// The kind of a double-byte character by its lead byte; nothing for the lead bytes of JIS
// X 0208's own rows (0x81 to 0x84, 0x88 to 0x9F, 0xE0 to 0xEA), whose cells CP932 fills only
// with JIS X 0208 characters.
std::optional<NonJisKind> KindOfLead(unsigned char lead) {
  if (lead == 0x87) return NonJisKind::kNecSpecial;
  if (lead == 0xED || lead == 0xEE) return NonJisKind::kNecSelectedIbm;
  if (lead >= 0xFA && lead <= 0xFC) return NonJisKind::kIbmExtension;
  if (lead >= 0xF0 && lead <= 0xF9) return NonJisKind::kUserDefined;
  if (lead == 0x85 || lead == 0x86 || lead == 0xEB || lead == 0xEC || lead == 0xEF) {
    return NonJisKind::kUnassigned;
  }
  return std::nullopt;
}

}  // namespace

std::optional<NonJisCharacter> FindCharacterOutsideJisX0208(std::string_view text,
                                                            std::size_t from) {
  for (std::size_t at = from; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t size = CharacterLengthAt(text, at);
    if (IsLeadByte(byte)) {
      if (const std::optional<NonJisKind> kind = KindOfLead(byte)) {
        return NonJisCharacter{at, size, *kind};
      }
    }
    at += size;
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
