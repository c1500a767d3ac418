// The CP932 character table the report reader hands to expat, which does not know Shift_JIS
// by itself, and the way back from the UTF-8 expat delivers to the CP932 the program works in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vintor::report {

// Built once from the project's own CP932 conversion (text/encoding.h), so the reader accepts
// exactly the characters the exporter can write on the same platform. Immutable after
// construction; Get() is safe to call from any thread.
class Cp932Table {
 public:
  static constexpr int kInvalid = -1;
  static constexpr int kLeadByte = -2;

  // The table of the running platform, built on first use.
  static const Cp932Table& Get();

  // The code point of a single-byte character, kLeadByte for the first byte of a double-byte
  // character, kInvalid for a byte no character starts with.
  int SingleByte(unsigned char byte) const { return single_[byte]; }
  // The code point of a double-byte character, kInvalid when CP932 has none there.
  int DoubleByte(unsigned char lead, unsigned char trail) const;

  // Appends the CP932 form of UTF-8 text to *cp932. False, *cp932 holding what was converted
  // before it, at the first character that is not UTF-8 or has no CP932 form. A character
  // CP932 holds twice (the NEC and IBM rows) takes the form the project's conversion
  // chooses, the one the exporter writes.
  bool AppendFromUtf8(std::string_view utf8, std::string* cp932) const;

 private:
  Cp932Table();

  int single_[256];
  std::vector<std::int32_t> double_;  // (lead << 8 | trail) -> code point or kInvalid
  std::vector<std::uint16_t> back_;   // code point (BMP) -> CP932 code, 0 for none
};

}  // namespace vintor::report
