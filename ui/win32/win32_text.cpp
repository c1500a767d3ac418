#include "ui/win32/win32_text.h"

#include "text/encoding.h"

namespace vintor::ui::win32 {

std::wstring Wide(std::string_view cp932) {
  std::wstring utf16;
  if (text::Cp932ToUtf16(cp932, &utf16)) return utf16;
  // Keep what converts: the longest convertible start of the text.
  for (std::size_t length = cp932.size(); length > 0; --length) {
    if (text::Cp932ToUtf16(cp932.substr(0, length - 1), &utf16)) return utf16;
  }
  return {};
}

bool Narrow(std::wstring_view utf16, std::string* cp932) {
  cp932->clear();
  return text::Utf16ToCp932(utf16, cp932);
}

std::string NarrowOrEmpty(std::wstring_view utf16) {
  std::string cp932;
  return Narrow(utf16, &cp932) ? cp932 : std::string();
}

}  // namespace vintor::ui::win32
