#include "os/profile_file.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vintor::os {
namespace {

// Line ends vary on purpose (CR LF, LF, a lone CR, none at the end of the file).
constexpr char kProfile[] =
    "; comment before any section\r\n"
    "Outside=before any section\r\n"
    "[Settings]\r\n"
    "Folder=C:\\out\r\n"
    "  Spaced Key \t=\t value with blanks  \r\n"
    "Empty=\r\n"
    "Number= 3\n"
    "Double=\"quoted value\"\r"
    "Single='single'\r\n"
    "Mixed=\"mixed'\r\n"
    "Inner=a \"b\" c\r\n"
    "  ;Commented=yes\r\n"
    "NoEquals\r\n"
    "Folder=second\r\n"
    "[ 表 ]\r\n"
    "ソ=kanji key\r\n"
    "[settings]\r\n"
    "Later=from the second section\r\n"
    // ゾ is 83 5D: its trail byte is ']'.
    "[\x83\x5D]\r\n"
    "Key=behind a trail-byte bracket\r\n"
    // ア is 83 41: its trail byte is 'A'. ャ (83 61) must not match it.
    "[Kana]\r\n"
    "\x83\x41=kana a\r\n"
    "[Last]\r\n"
    "LastKey=no line end";

struct LookUpCase {
  const char* name;
  const char* section;
  const char* key;
  const char* expected;
};

void PrintTo(const LookUpCase& c, std::ostream* out) {
  *out << c.name;
}

class LookUpProfileStringTest : public ::testing::TestWithParam<LookUpCase> {};

TEST_P(LookUpProfileStringTest, FindsTheValueOrTheDefault) {
  const LookUpCase& c = GetParam();
  EXPECT_EQ(LookUpProfileString(kProfile, c.section, c.key, "default"), c.expected)
      << "[" << c.section << "] " << c.key;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LookUpProfileStringTest,
    ::testing::Values(
        LookUpCase{"FirstOfTwoEqualKeysWins", "Settings", "Folder", "C:\\out"},
        LookUpCase{"NamesIgnoreAsciiCase", "SETTINGS", "fOLDER", "C:\\out"},
        LookUpCase{"BlanksAroundKeyAndValueIgnored", "Settings", "spaced key", "value with blanks"},
        LookUpCase{"EmptyValueIsEmpty", "Settings", "Empty", ""},
        LookUpCase{"BlankBeforeNumberIgnored", "Settings", "Number", "3"},
        LookUpCase{"DoubleQuotesRemoved", "Settings", "Double", "quoted value"},
        LookUpCase{"SingleQuotesRemoved", "Settings", "Single", "single"},
        LookUpCase{"UnmatchedQuotesKept", "Settings", "Mixed", "\"mixed'"},
        LookUpCase{"InnerQuotesKept", "Settings", "Inner", "a \"b\" c"},
        LookUpCase{"CommentIsNoKey", "Settings", ";Commented", "default"},
        LookUpCase{"CommentDefinesNothing", "Settings", "Commented", "default"},
        LookUpCase{"LineWithoutEqualsDefinesNothing", "Settings", "NoEquals", "default"},
        LookUpCase{"OnlyFirstSectionSearched", "Settings", "Later", "default"},
        LookUpCase{"KeyBeforeSectionsBelongsToNone", "Settings", "Outside", "default"},
        LookUpCase{"MissingKey", "Settings", "Missing", "default"},
        LookUpCase{"MissingSection", "Missing", "Folder", "default"},
        LookUpCase{"DoubleByteNamesWithBackslashTrail", "表", "ソ", "kanji key"},
        LookUpCase{"SectionWithBracketTrail", "\x83\x5D", "key", "behind a trail-byte bracket"},
        LookUpCase{"DoubleByteKey", "Kana", "\x83\x41", "kana a"},
        LookUpCase{"TrailByteNotCaseFolded", "Kana", "\x83\x61", "default"},
        LookUpCase{"LastLineWithoutLineEnd", "Last", "LastKey", "no line end"}),
    [](const ::testing::TestParamInfo<LookUpCase>& info) { return std::string(info.param.name); });

TEST(LookUpProfileStringTest, EmptyTextGivesTheDefault) {
  EXPECT_EQ(LookUpProfileString("", "Settings", "Folder", "dflt"), "dflt");
}

}  // namespace
}  // namespace vintor::os
