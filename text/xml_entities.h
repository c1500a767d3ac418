// The five XML entities.
#pragma once

#include <string>
#include <string_view>

namespace vintor::text {

// Replaces " & ' < > by &quot; &amp; &apos; &lt; &gt;, byte by byte. None of the five
// bytes can be the trail byte of a CP932 character, so double-byte text passes unchanged.
std::string EscapeXmlEntities(std::string_view text);

}  // namespace vintor::text
