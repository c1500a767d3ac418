#include "text/jis_x0208.h"

#include <gtest/gtest.h>

#include <string>

namespace vintor::text {
namespace {

TEST(JisX0208Test, FindsTheFirstCharacterOutsideItByKind) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<NonJisKind> kind;
    std::size_t offset;
  } const cases[] = {
      {"JIS X 0208 and half-width katakana", "現金（本社）ｶﾌﾞ ABC", std::nullopt, 0},
      {"a trail byte 0x87 is no lead", "\x88\x87", std::nullopt, 0},  // 亜's neighbour, 0x8887
      {"circled one", "a①", NonJisKind::kNecSpecial, 1},
      {"NEC-selected", "\xED\x40", NonJisKind::kNecSelectedIbm, 0},
      {"IBM 髙", "髙橋", NonJisKind::kIbmExtension, 0},
      {"user-defined", "x\xF0\x40", NonJisKind::kUserDefined, 1},
      {"unassigned", "\x85\x40", NonJisKind::kUnassigned, 0},
      {"a lone lead at the end", "a\x87", NonJisKind::kNecSpecial, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<NonJisCharacter> found = FindCharacterOutsideJisX0208(c.text);
    ASSERT_EQ(found.has_value(), c.kind.has_value());
    if (!found) continue;
    EXPECT_EQ(found->kind, *c.kind);
    EXPECT_EQ(found->offset, c.offset);
  }
}

}  // namespace
}  // namespace vintor::text
