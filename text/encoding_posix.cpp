// Conversions with glibc iconv. The code page is named "CP932": glibc's "SHIFT_JIS" maps
// byte 0x5C to the yen sign and refuses the NEC and IBM rows that Windows text uses.
#include <errno.h>
#include <iconv.h>

#include "text/encoding.h"
#include "text/encoding_error.h"

namespace vintor::text {
namespace {

constexpr std::size_t kConverted = std::string_view::npos;

// One iconv conversion descriptor, closed on destruction.
class Converter {
 public:
  Converter(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(descriptor_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of in into *out. Returns kConverted, or the offset of the first input
  // byte that does not convert (*out then holds the bytes converted before it).
  std::size_t Convert(std::string_view in, std::string* out) {
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    char* in_next = const_cast<char*>(in.data());  // iconv does not write through it
    std::size_t in_left = in.size();
    std::size_t used = 0;
    out->resize(in.size() * 3 + 16);  // one CP932 byte becomes at most three UTF-8 bytes
    for (;;) {
      char* out_next = out->data() + used;
      std::size_t out_left = out->size() - used;
      const std::size_t result = iconv(descriptor_, &in_next, &in_left, &out_next, &out_left);
      const int cause = errno;
      used = static_cast<std::size_t>(out_next - out->data());
      if (result != static_cast<std::size_t>(-1) || cause != E2BIG) {
        out->resize(used);
        return result != static_cast<std::size_t>(-1)
                   ? kConverted
                   : static_cast<std::size_t>(in_next - in.data());
      }
      out->resize(out->size() * 2);
    }
  }

 private:
  iconv_t descriptor_;
};

// Converts UTF-8 to CP932 and checks that the result converts back to the same text:
// glibc maps some characters one way only (U+00A5 to 0x5C, U+301C to 81 60), which
// Windows refuses and which would not survive the trip back.
bool ConvertsBothWays(Converter& to_cp932, Converter& to_utf8, std::string_view utf8,
                      std::string* cp932) {
  std::string back;
  return to_cp932.Convert(utf8, cp932) == kConverted &&
         to_utf8.Convert(*cp932, &back) == kConverted && back == utf8;
}

}  // namespace

bool Cp932ToUtf8(std::string_view cp932, std::string* utf8, std::string* error) {
  if (const std::size_t k = FindMalformedCp932(cp932); k != std::string_view::npos)
    return Refuse(error, NotCp932Error(cp932, k));
  Converter to_utf8("UTF-8", "CP932");
  if (!to_utf8.ok()) return Refuse(error, "iconv cannot convert from CP932 to UTF-8");
  std::string converted;
  if (const std::size_t k = to_utf8.Convert(cp932, &converted); k != kConverted)
    return Refuse(error, NotCp932Error(cp932, k));
  *utf8 = std::move(converted);
  return true;
}

bool Utf8ToCp932(std::string_view utf8, std::string* cp932, std::string* error) {
  if (const std::size_t k = FindMalformedUtf8(utf8); k != std::string_view::npos)
    return Refuse(error, NotUtf8Error(utf8, k));
  Converter to_cp932("CP932", "UTF-8");
  Converter to_utf8("UTF-8", "CP932");
  if (!to_cp932.ok() || !to_utf8.ok())
    return Refuse(error, "iconv cannot convert between UTF-8 and CP932");
  std::string converted;
  if (ConvertsBothWays(to_cp932, to_utf8, utf8, &converted)) {
    *cp932 = std::move(converted);
    return true;
  }
  // Only on failure: find the first character that does not convert on its own.
  for (std::size_t k = 0; k < utf8.size(); k += Utf8SequenceLengthAt(utf8, k)) {
    const std::string_view character = utf8.substr(k, Utf8SequenceLengthAt(utf8, k));
    if (!ConvertsBothWays(to_cp932, to_utf8, character, &converted))
      return Refuse(error, NoCp932FormError(utf8, k));
  }
  return Refuse(error, "the text does not convert to CP932");
}

}  // namespace vintor::text
