// Text between the program (CP932) and the Win32 W functions (UTF-16), converted with code
// page 932 whatever the machine's own code page, so the program behaves the same on any
// Windows language setting.
#pragma once

#include <string>
#include <string_view>

namespace vintor::ui::win32 {

// The UTF-16 form of CP932 text. The program's texts are CP932 by construction; a byte
// sequence that is not (which no caller passes) gives the text up to it.
std::wstring Wide(std::string_view cp932);
// The CP932 form of UTF-16 text from a window or dialog. Text CP932 cannot hold (a
// character typed or pasted that the code page lacks) gives false and leaves *cp932 empty,
// so the caller refuses it instead of working on a changed text.
bool Narrow(std::wstring_view utf16, std::string* cp932);
// Narrow without the refusal: empty when the text cannot be converted.
std::string NarrowOrEmpty(std::wstring_view utf16);

}  // namespace vintor::ui::win32
