#include "text/encoding.h"

#include <gtest/gtest.h>

namespace vintor::text {
namespace {

std::string Utf8(std::u8string_view text) {
  return {text.begin(), text.end()};
}

TEST(EncodingTest, RoundTripsCp932AndUtf8) {
  struct Case {
    std::string cp932;
    std::string utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"\\~", "\x5C\x7E"},  // not the yen sign or the overline
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\x95\x5C\x83\x5C\x83\x7C", Utf8(u8"表ソポ")},
      {"\x87\x40\xFB\xFC", Utf8(u8"①髙")},  // NEC and IBM rows
      {"\x81\x5C\x81\x60\x81\x61\x81\x7C\x81\xCA", Utf8(u8"―～∥－￢")},
      {"\xB6\xDE", Utf8(u8"ｶﾞ")},
      {"\xF0\x40\xF9\xFC", Utf8(u8"\uE000\uE757")},  // user-defined characters
  };
  for (const Case& c : cases) {
    std::string utf8, cp932, error;
    EXPECT_TRUE(Cp932ToUtf8(c.cp932, &utf8, &error)) << error;
    EXPECT_EQ(utf8, c.utf8);
    EXPECT_TRUE(Utf8ToCp932(c.utf8, &cp932, &error)) << error;
    EXPECT_EQ(cp932, c.cp932);
  }
}

// The NEC copy of an IBM character reads fine but is written back as the IBM one, the same
// on both platforms.
TEST(EncodingTest, NecCopyOfIbmRowComesBackAsIbmRow) {
  std::string utf8, cp932;
  ASSERT_TRUE(Cp932ToUtf8("\xED\x40", &utf8));
  EXPECT_EQ(utf8, Utf8(u8"纊"));
  ASSERT_TRUE(Utf8ToCp932(utf8, &cp932));
  EXPECT_EQ(cp932, "\xFA\x5C");
}

TEST(EncodingTest, RefusesBytesThatAreNotCp932) {
  struct Case {
    std::string_view cp932;
    std::string_view error;
  };
  const Case cases[] = {
      {"ab\x81", "byte 81 at offset 2 is not CP932"},
      {"\x81 ", "bytes 81 20 at offset 0 are not CP932"},
      {"\xFD", "byte FD at offset 0 is not CP932"},
      {"\x80", "byte 80 at offset 0 is not CP932"},
      {"\xA0", "byte A0 at offset 0 is not CP932"},
      {"表\x85\x40", "bytes 85 40 at offset 2 are not CP932"},  // unassigned
  };
  for (const Case& c : cases) {
    std::string utf8 = "unchanged", error;
    EXPECT_FALSE(Cp932ToUtf8(c.cp932, &utf8, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(utf8, "unchanged");
  }
}

TEST(EncodingTest, RefusesUtf8ThatIsInvalidOrHasNoCp932Form) {
  struct Case {
    std::string utf8;
    std::string_view error;
  };
  const Case cases[] = {
      {Utf8(u8"表😀"), "U+1F600 (bytes F0 9F 98 80 at offset 3) has no CP932 form"},
      {Utf8(u8"é"), "U+00E9 (bytes C3 A9 at offset 0) has no CP932 form"},
      // Look-alikes that some converters map one way only.
      {Utf8(u8"¥"), "U+00A5 (bytes C2 A5 at offset 0) has no CP932 form"},
      {Utf8(u8"a〜"), "U+301C (bytes E3 80 9C at offset 1) has no CP932 form"},
      {Utf8(u8"—"), "U+2014 (bytes E2 80 94 at offset 0) has no CP932 form"},
      {"\xC3\x28", "byte C3 at offset 0 is not UTF-8"},
      {"a\x80", "byte 80 at offset 1 is not UTF-8"},
      {"\xC0\x80", "bytes C0 80 at offset 0 are not UTF-8"},         // overlong
      {"\xED\xA0\x80", "bytes ED A0 80 at offset 0 are not UTF-8"},  // surrogate
      {"\xF4\x90\x80\x80", "bytes F4 90 80 80 at offset 0 are not UTF-8"},
      {"\xE3\x81", "bytes E3 81 at offset 0 are not UTF-8"},  // truncated
      {"\xFF", "byte FF at offset 0 is not UTF-8"},
  };
  for (const Case& c : cases) {
    std::string cp932 = "unchanged", error;
    EXPECT_FALSE(Utf8ToCp932(c.utf8, &cp932, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(cp932, "unchanged");
  }
}

#ifdef _WIN32
TEST(EncodingTest, ConvertsBetweenCp932AndUtf16) {
  std::wstring utf16;
  std::string cp932, error;
  ASSERT_TRUE(Cp932ToUtf16("表\\", &utf16, &error)) << error;
  EXPECT_EQ(utf16, L"\u8868\\");
  ASSERT_TRUE(Utf16ToCp932(utf16, &cp932, &error)) << error;
  EXPECT_EQ(cp932, "\x95\x5C\x5C");
  EXPECT_FALSE(Cp932ToUtf16("\x81", &utf16, &error));
  EXPECT_EQ(error, "byte 81 at offset 0 is not CP932");
  EXPECT_FALSE(Utf16ToCp932(L"a\U0001F600", &cp932, &error));
  EXPECT_EQ(error, "U+1F600 at UTF-16 offset 1 has no CP932 form");
  EXPECT_FALSE(Utf16ToCp932(std::wstring(1, wchar_t{0xD800}), &cp932, &error));
  EXPECT_EQ(error, "U+D800 at UTF-16 offset 0 has no CP932 form");
}
#endif

}  // namespace
}  // namespace vintor::text
