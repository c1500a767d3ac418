// The five XML entities, the character references of the white space a text may hold, and
// the control characters no XML text may hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vintor::text {

// Replaces " & ' < > by &quot; &amp; &apos; &lt; &gt;, and TAB, LF and CR by &#9; &#10;
// &#13; (so a line break inside a name cannot split the report's line, and a reader keeps
// it), byte by byte. None of these bytes can be the trail byte of a CP932 character, so
// double-byte text passes unchanged. Other control characters pass unchanged too: callers
// refuse them first (FindUnwritableControl).
std::string EscapeXmlEntities(std::string_view text);

// The size of EscapeXmlEntities(text), without making it.
std::size_t EscapedXmlSize(std::string_view text);

// Writes EscapeXmlEntities(text) into out, which has room for room bytes, and answers how
// many bytes it wrote; kNoRoom when the escaped text does not fit and kUnwritable when text
// holds a control character no XML text can hold (the bytes of out are then undefined).
inline constexpr std::size_t kNoRoom = static_cast<std::size_t>(-1);
inline constexpr std::size_t kUnwritable = static_cast<std::size_t>(-2);
std::size_t EscapeXmlInto(std::string_view text, char* out, std::size_t room);

// The offset of the first control character an XML text cannot hold at all, even as a
// reference (the C0 controls except TAB, LF and CR, and DEL); npos when there is none.
// No such byte is ever part of a CP932 double-byte character.
std::size_t FindUnwritableControl(std::string_view text);

}  // namespace vintor::text
