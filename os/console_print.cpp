#include "os/console_print.h"

#include <string>

#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vintor::os {

void PrintCp932(std::FILE* stream, std::string_view cp932) {
#ifdef _WIN32
  HANDLE handle = ::GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  std::wstring wide;
  // A console takes the characters themselves; bytes written to it would be read in
  // whatever code page the console happens to use.
  if (::GetConsoleMode(handle, &mode) && text::Cp932ToUtf16(cp932, &wide)) {
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(cp932.data(), 1, cp932.size(), stream);
#else
  std::string utf8;
  if (!text::Cp932ToUtf8(cp932, &utf8)) utf8 = std::string(cp932);
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
#endif
  std::fflush(stream);
}

}  // namespace vintor::os
