#include "ui/console/terminal.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>

namespace vintor::ui::console {
namespace {

// Sources are compiled to CP932; u8 literals stay UTF-8, as a terminal shows them.
std::string Utf8(std::u8string_view text) {
  return std::string(text.begin(), text.end());
}

TEST(TerminalCharsetTest, FollowsTheLocaleOfTheEnvironment) {
  const char* saved = getenv("LC_ALL");
  const std::string saved_value = saved != nullptr ? saved : "";
  // The C locale has no charset of its own; names and arguments there are UTF-8.
  const struct {
    const char* locale;
    TerminalCharset charset;
  } cases[] = {{"C", TerminalCharset::kUtf8},
               {"POSIX", TerminalCharset::kUtf8},
               {"C.UTF-8", TerminalCharset::kUtf8},
               {"no_SUCH.locale", TerminalCharset::kUtf8}};
  for (const auto& c : cases) {
    setenv("LC_ALL", c.locale, 1);
    EXPECT_EQ(DetectTerminalCharset(), c.charset) << c.locale;
  }
  if (saved != nullptr) {
    setenv("LC_ALL", saved_value.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
}

TEST(TerminalTextTest, ConvertsForAUtf8TerminalAndPassesBytesOtherwise) {
  EXPECT_EQ(ToTerminal("表ソ\\", TerminalCharset::kUtf8), Utf8(u8"表ソ\\"));
  EXPECT_EQ(ToTerminal("表ソ\\", TerminalCharset::kRaw), "\x95\x5C\x83\x5C\\");
  // A byte that is no CP932 is shown, not dropped: the rest still converts.
  EXPECT_EQ(ToTerminal("a\xFF表", TerminalCharset::kUtf8), Utf8(u8"a\\xFF表"));
}

TEST(TerminalTextTest, TypedTextBecomesCp932OrIsRefused) {
  std::string cp932, error;
  ASSERT_TRUE(FromTerminal(Utf8(u8"/出力/表.xml"), TerminalCharset::kUtf8, &cp932, &error));
  EXPECT_EQ(cp932, "/出力/表.xml");
  EXPECT_FALSE(FromTerminal("\xC3\xA9", TerminalCharset::kUtf8, &cp932, &error));  // U+00E9
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(FromTerminal("\x95\x5C", TerminalCharset::kRaw, &cp932, &error));
  EXPECT_EQ(cp932, "表");
}

TEST(TerminalTest, AsksAgainAfterALineThatDoesNotConvertAndReportsTheEnd) {
  std::istringstream in("\xC3\xA9\r\n" + Utf8(u8"表\r\n"));
  std::ostringstream out;
  Terminal terminal(in, out, TerminalCharset::kUtf8);
  std::string answer;
  EXPECT_EQ(terminal.Ask("月: ", &answer), Terminal::ReadResult::kLine);
  EXPECT_EQ(answer, "表");
  EXPECT_EQ(terminal.Ask("月: ", &answer), Terminal::ReadResult::kEnd);
  const std::string shown = out.str();
  EXPECT_EQ(shown.find(Utf8(u8"月: ")), 0u);
  EXPECT_NE(shown.find(Utf8(u8"入力された文字を扱えません")), std::string::npos);
}

}  // namespace
}  // namespace vintor::ui::console
