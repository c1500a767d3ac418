#include "statements/clean_label.h"

#include <gtest/gtest.h>

#include <string>

namespace vintor::statements {
namespace {

TEST(CleanLabelTest, RemovesOnlyTheDecorations) {
  struct Case {
    const char* text;
    const char* cleaned;
  } const cases[] = {
      {"【製造】　原価（完）", "製造原価完"},
      {"売上(未)", "売上"},
      {"（本社）", "本社"},
      {"売掛金(製)", "売掛金"},
      {"《注記》 [完]前払費用［1］", "注記前払費用1"},
      {"仕掛品[未](製造)", "仕掛品(製造)"},
      {"　 ", ""},
      {"現金", "現金"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string out;
    EXPECT_TRUE(CleanLabel(c.text, &out));
    EXPECT_EQ(out, c.cleaned);
  }
}

// A trail byte followed by the next byte can spell a decoration: ａ (82 81) before @ reads
// as a full-width space (81 40), before i as （ (81 69); ー (81 5B) before 製] reads as [製].
// Cutting there would leave a lone lead byte and ruin the label.
TEST(CleanLabelTest, NeverMatchesAcrossACharacter) {
  struct Case {
    std::string text;
    std::string cleaned;
  } const cases[] = {
      {"\x82\x81@", "\x82\x81@"},
      {"\x82\x81i\x82\x81j", "\x82\x81i\x82\x81j"},
      {"\x81\x5B\x90\xBB]", "\x81\x5B\x90\xBB]"},
      {"（\x82\x81@）", "\x82\x81@"},
      {"A\x82", "A\x82"},  // a lone lead byte at the end is copied as it is
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    std::string out;
    EXPECT_TRUE(CleanLabel(c.text, &out));
    EXPECT_EQ(out, c.cleaned);
  }
}

// The quick test may say "maybe" for a clean name, never "no" for a decorated one.
TEST(CleanLabelTest, TheQuickTestNeverMissesADecoration) {
  for (const std::string text :
       {"現金", "普通預金", "リース料", "売掛金(製)", "売掛金[完]", "（本社）", "【旧】現金",
        "《仮》", "［未］", "現　金", "現 金", "\x82\x81@", "A\x82", "ＡＢＣ商事"}) {
    SCOPED_TRACE(testing::PrintToString(text));
    std::string out;
    CleanLabel(text, &out);
    EXPECT_TRUE(out == text || MayHaveDecorations(text));
  }
}

TEST(CleanLabelTest, EmptyTextIsRefusedWithoutWriting) {
  std::string out = "unchanged";
  EXPECT_FALSE(CleanLabel("", &out));
  EXPECT_EQ(out, "unchanged");
  EXPECT_FALSE(CleanLabel("現金", nullptr));
}

}  // namespace
}  // namespace vintor::statements
