// Conversions with the Win32 code page functions. Code page 932 is named explicitly, so
// the program converts the same way whatever the machine's ANSI code page is.
#include <windows.h>

#include <climits>
#include <cstdio>

#include "text/cp932.h"
#include "text/encoding.h"
#include "text/encoding_error.h"

namespace vintor::text {
namespace {

constexpr UINT kCp932 = 932;

// MB_ERR_INVALID_CHARS makes an unassigned or broken sequence an error instead of U+30FB
// or U+FFFD.
bool ToUtf16(UINT code_page, std::string_view in, std::wstring* out) {
  if (in.empty()) {  // the functions refuse a length of 0
    out->clear();
    return true;
  }
  if (in.size() > INT_MAX) return false;
  const int in_size = static_cast<int>(in.size());
  const int size =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), in_size, nullptr, 0);
  if (size == 0) return false;
  out->resize(static_cast<std::size_t>(size));
  return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), in_size, out->data(),
                             size) == size;
}

// For code page 932, WC_NO_BEST_FIT_CHARS stops look-alikes (U+00A5 as 0x5C) and the
// used-default flag reports a character that became the default "?". UTF-8 takes neither;
// WC_ERR_INVALID_CHARS refuses an unpaired surrogate there.
bool FromUtf16(UINT code_page, std::wstring_view in, std::string* out) {
  if (in.empty()) {
    out->clear();
    return true;
  }
  if (in.size() > INT_MAX) return false;
  const bool cp932 = code_page == kCp932;
  const DWORD flags = cp932 ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
  BOOL used_default = FALSE;
  BOOL* used_default_flag = cp932 ? &used_default : nullptr;
  const int in_size = static_cast<int>(in.size());
  const int size = WideCharToMultiByte(code_page, flags, in.data(), in_size, nullptr, 0, nullptr,
                                       used_default_flag);
  if (size == 0 || used_default) return false;
  out->resize(static_cast<std::size_t>(size));
  return WideCharToMultiByte(code_page, flags, in.data(), in_size, out->data(), size, nullptr,
                             used_default_flag) == size &&
         !used_default;
}

bool IsHighSurrogate(wchar_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

bool Cp932ToUtf16(std::string_view cp932, std::wstring* utf16, std::string* error) {
  if (const std::size_t k = FindMalformedCp932(cp932); k != std::string_view::npos)
    return Refuse(error, NotCp932Error(cp932, k));
  std::wstring converted;
  if (ToUtf16(kCp932, cp932, &converted)) {
    *utf16 = std::move(converted);
    return true;
  }
  // The functions do not tell where they failed: try the characters one by one.
  for (std::size_t k = 0; k < cp932.size(); k += CharacterLengthAt(cp932, k)) {
    if (!ToUtf16(kCp932, cp932.substr(k, CharacterLengthAt(cp932, k)), &converted))
      return Refuse(error, NotCp932Error(cp932, k));
  }
  return Refuse(error, "the text does not convert from CP932");
}

bool Utf16ToCp932(std::wstring_view utf16, std::string* cp932, std::string* error) {
  std::string converted;
  if (FromUtf16(kCp932, utf16, &converted)) {
    *cp932 = std::move(converted);
    return true;
  }
  for (std::size_t k = 0; k < utf16.size();) {
    const std::size_t length = IsHighSurrogate(utf16[k]) && k + 1 < utf16.size() ? 2 : 1;
    if (!FromUtf16(kCp932, utf16.substr(k, length), &converted)) {
      char32_t code = utf16[k];
      if (length == 2) code = 0x10000 + ((code - 0xD800) << 10) + (utf16[k + 1] - 0xDC00);
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
      return Refuse(error, std::string(name) + " at UTF-16 offset " + std::to_string(k) +
                               " has no CP932 form");
    }
    k += length;
  }
  return Refuse(error, "the text does not convert to CP932");
}

bool Cp932ToUtf8(std::string_view cp932, std::string* utf8, std::string* error) {
  std::wstring utf16;
  std::string converted;
  if (!Cp932ToUtf16(cp932, &utf16, error)) return false;
  if (!FromUtf16(CP_UTF8, utf16, &converted))
    return Refuse(error, "the text does not convert to UTF-8");
  *utf8 = std::move(converted);
  return true;
}

bool Utf8ToCp932(std::string_view utf8, std::string* cp932, std::string* error) {
  if (const std::size_t k = FindMalformedUtf8(utf8); k != std::string_view::npos)
    return Refuse(error, NotUtf8Error(utf8, k));
  std::wstring utf16;
  std::string converted;
  if (ToUtf16(CP_UTF8, utf8, &utf16) && FromUtf16(kCp932, utf16, &converted)) {
    *cp932 = std::move(converted);
    return true;
  }
  // Name the first character that does not convert on its own, by its UTF-8 offset.
  for (std::size_t k = 0; k < utf8.size(); k += Utf8SequenceLengthAt(utf8, k)) {
    const std::string_view character = utf8.substr(k, Utf8SequenceLengthAt(utf8, k));
    if (!ToUtf16(CP_UTF8, character, &utf16) || !FromUtf16(kCp932, utf16, &converted))
      return Refuse(error, NoCp932FormError(utf8, k));
  }
  return Refuse(error, "the text does not convert to CP932");
}

}  // namespace vintor::text
