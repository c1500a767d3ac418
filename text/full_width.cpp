#include "text/full_width.h"

#include "text/cp932.h"

namespace vintor::text {
namespace {

// The literals are written in Unicode and compiled to CP932, two bytes per character.
// Full-width forms of 0x20-0x7E, in byte order.
constexpr char kAscii[] =
    "　！＂＃＄％＆＇（）＊＋，－．／０１２３４５６７８９：；＜＝＞？"
    "＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［＼］＾＿"
    "｀ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～";
static_assert(sizeof kAscii == 2 * (0x7E - 0x20 + 1) + 1);

// Full-width forms of the half-width katakana 0xA1-0xDF, in byte order.
constexpr char kKana[] =
    "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
    "ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof kKana == 2 * (0xDF - 0xA1 + 1) + 1);

// Kana that take a voiced or semi-voiced mark, with the combined forms.
constexpr char kVoicedKaToTo[] = "ガギグゲゴザジズゼゾダヂヅデド";  // ｶ (0xB6) to ﾄ (0xC4)
static_assert(sizeof kVoicedKaToTo == 2 * (0xC4 - 0xB6 + 1) + 1);
constexpr char kVoicedHaToHo[] = "バビブベボ";      // ﾊ (0xCA) to ﾎ (0xCE)
constexpr char kSemiVoicedHaToHo[] = "パピプペポ";  // ﾊ (0xCA) to ﾎ (0xCE)
constexpr char kVoicedU[] = "ヴ";                   // ｳ (0xB3)
constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

std::string_view Entry(const char* table, unsigned index) {
  return {table + 2 * index, 2};
}

// The full-width kana for half-width kana followed by mark, or empty when they do not
// combine.
std::string_view Combined(unsigned char kana, unsigned char mark) {
  if (mark == kVoicedMark) {
    if (kana >= 0xB6 && kana <= 0xC4) return Entry(kVoicedKaToTo, kana - 0xB6);
    if (kana >= 0xCA && kana <= 0xCE) return Entry(kVoicedHaToHo, kana - 0xCA);
    if (kana == 0xB3) return kVoicedU;
  } else if (mark == kSemiVoicedMark && kana >= 0xCA && kana <= 0xCE) {
    return Entry(kSemiVoicedHaToHo, kana - 0xCA);
  }
  return {};
}

}  // namespace

std::string ToFullWidth(std::string_view text) {
  std::string wide;
  wide.reserve(text.size() * 2);
  for (std::size_t k = 0; k < text.size();) {
    const auto byte = static_cast<unsigned char>(text[k]);
    // Double-byte characters first: their trail byte may look like ASCII or kana.
    if (CharacterLengthAt(text, k) == 2) {
      wide += text.substr(k, 2);
      k += 2;
    } else if (byte >= 0x20 && byte <= 0x7E) {
      wide += Entry(kAscii, byte - 0x20);
      ++k;
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      const auto next = k + 1 < text.size() ? static_cast<unsigned char>(text[k + 1]) : 0;
      const std::string_view combined = Combined(byte, next);
      wide += combined.empty() ? Entry(kKana, byte - 0xA1) : combined;
      k += combined.empty() ? 1 : 2;
    } else {
      wide += text[k];
      ++k;
    }
  }
  return wide;
}

}  // namespace vintor::text
