#include "text/cp932.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vintor::text {
namespace {

// Every CP932 routine and table relies on literals being CP932 at run time, on both
// platforms; the trail bytes 0x5C and 0x7C are the cases that matter.
TEST(ExecutionCharsetTest, LiteralsAreCp932) {
  EXPECT_EQ(std::string("表"), "\x95\x5C");
  EXPECT_EQ(std::string("ソ"), "\x83\x5C");
  EXPECT_EQ(std::string("ポ"), "\x83\x7C");
  EXPECT_EQ(std::string("①髙"), "\x87\x40\xFB\xFC");
  EXPECT_EQ(std::string("ｶﾞ"), "\xB6\xDE");
}

TEST(Cp932Test, ClassifiesBytesAtEveryBoundary) {
  struct Case {
    unsigned char byte;
    bool lead, trail;
  };
  const Case cases[] = {
      {0x3F, false, false}, {0x40, false, true}, {0x7E, false, true}, {0x7F, false, false},
      {0x80, false, true},  {0x81, true, true},  {0x9F, true, true},  {0xA0, false, true},
      {0xDF, false, true},  {0xE0, true, true},  {0xFC, true, true},  {0xFD, false, false},
      {0xFF, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsLeadByte(c.byte), c.lead) << std::hex << int{c.byte};
    EXPECT_EQ(IsTrailByte(c.byte), c.trail) << std::hex << int{c.byte};
  }
}

TEST(Cp932Test, IsDoubleByteAtWalksFromTheStart) {
  struct Case {
    std::string_view text;
    std::size_t k;
    bool expected;
  };
  const Case cases[] = {
      {"表", 0, true},
      {"表", 1, true},      // 0x5C trail, not a backslash
      {"表", 2, false},     // outside
      {"a表\\", 3, false},  // the real backslash after it
      {"ソ\\", 1, true},
      {"ソ\\", 2, false},
      {"ポ|", 1, true},  // 0x7C trail
      {"ポ|", 2, false},
      {"ab\x81", 2, false},        // lone lead byte at the end
      {"\x81 ", 0, false},         // lead byte before a non-trail byte
      {"\x81\x81\x81", 1, true},   // pairs are counted from the start...
      {"\x81\x81\x81", 2, false},  // ...so the third byte stands alone
      {"\x95\x5C\x95\x5C", 3, true},
      {"", 0, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsDoubleByteAt(c.text, c.k), c.expected) << c.text << " at " << c.k;
}

TEST(Cp932Test, PrefixOnCharacterBoundaryNeverSplits) {
  struct Case {
    std::string_view text;
    std::size_t max_bytes;
    std::string_view expected;
  };
  const Case cases[] = {
      {"a表b", 0, ""},         {"a表b", 1, "a"},    {"a表b", 2, "a"},  // limit inside 表
      {"a表b", 3, "a表"},      {"a表b", 4, "a表b"}, {"a表b", 99, "a表b"},
      {"ab\x81", 3, "ab\x81"},  // a lone lead byte is a character of its own
  };
  for (const Case& c : cases)
    EXPECT_EQ(PrefixOnCharacterBoundary(c.text, c.max_bytes), c.expected) << c.max_bytes;
}

TEST(Cp932Test, CopyBoundedNeverSplitsAndTerminates) {
  struct Case {
    std::string_view src;
    std::size_t dest_size;
    std::string_view expected;
  };
  const Case cases[] = {
      {"a表b", 1, ""},
      {"a表b", 3, "a"},  // 表 would need bytes 1-2 and leave no room for the NUL
      {"a表b", 4, "a表"},
      {"a表b", 5, "a表b"},  // exact fit
      {std::string_view("ab\0cd", 5), 8, "ab"},
      {"ソソ", 4, "ソ"},
  };
  for (const Case& c : cases) {
    char dest[8];
    std::memset(dest, 'x', sizeof dest);
    EXPECT_EQ(CopyBounded(c.src, dest, c.dest_size), c.expected.size());
    EXPECT_EQ(std::string_view(dest), c.expected) << c.src << " into " << c.dest_size;
    EXPECT_EQ(dest[c.expected.size() + 1], 'x');  // the rest is left as it was
  }
}

TEST(Cp932Test, CopyBoundedIntoArrayAndNothingIntoSizeZero) {
  char dest[4];
  EXPECT_EQ(CopyBounded("表表", dest), 2u);
  EXPECT_STREQ(dest, "表");
  EXPECT_EQ(CopyBounded("abc", dest, 0), 0u);
  EXPECT_STREQ(dest, "表");
}

TEST(Cp932Test, FieldTextStopsAtNulOrFieldEnd) {
  const char full[4] = {'a', 'b', 'c', 'd'};
  const char short_text[4] = {'a', '\0', 'c', 'd'};
  EXPECT_EQ(FieldText(full), "abcd");
  EXPECT_EQ(FieldText(short_text), "a");
}

}  // namespace
}  // namespace vintor::text
