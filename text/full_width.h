// Half-width to full-width mapping of CP932 text, our own table, identical on every platform.
#pragma once

#include <string>
#include <string_view>

namespace vintor::text {

// Maps ASCII letters, digits, symbols and the space (0x20-0x7E) to their full-width forms
// (space to the ideographic space, backslash to the full-width reverse solidus) and
// half-width katakana (0xA1-0xDF) to full-width katakana, combining a following voiced
// (ﾞ) or semi-voiced (ﾟ) mark with the kana it belongs to: ｶﾞ becomes ガ, ﾊﾟ becomes パ,
// ｳﾞ becomes ヴ. A mark that belongs to no kana becomes ゛ or ゜. Double-byte characters
// and other bytes are copied unchanged. The result is at most twice the input's length.
std::string ToFullWidth(std::string_view text);

}  // namespace vintor::text
