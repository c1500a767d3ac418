// Conversion between CP932 and Unicode at the program's edges (terminal, POSIX file
// names, the books' SQLite store, Win32 W functions). Linux uses glibc iconv with the
// code page name "CP932"; Windows uses code page 932 of the system's conversion functions.
// Text that does not convert is an error the caller sees: nothing becomes "?".
#pragma once

#include <string>
#include <string_view>

namespace vintor::text {

// Converts CP932 to UTF-8. False when the input holds a byte sequence that is not CP932;
// *error (when given) then names the offending bytes and their position. *utf8 is left
// unchanged on failure.
bool Cp932ToUtf8(std::string_view cp932, std::string* utf8, std::string* error = nullptr);

// Converts UTF-8 to CP932. False when the input is not UTF-8 or holds a character that
// CP932 cannot hold; *error (when given) names it. *cp932 is left unchanged on failure.
bool Utf8ToCp932(std::string_view utf8, std::string* cp932, std::string* error = nullptr);

#ifdef _WIN32
// The same for UTF-16, for the Win32 W functions.
bool Cp932ToUtf16(std::string_view cp932, std::wstring* utf16, std::string* error = nullptr);
bool Utf16ToCp932(std::wstring_view utf16, std::string* cp932, std::string* error = nullptr);
#endif

}  // namespace vintor::text
