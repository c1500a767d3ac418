#include "report/cp932_table.h"

#include <cstddef>

#include "text/cp932.h"
#include "text/encoding.h"

namespace vintor::report {

namespace {

// Decodes the single code point of a short UTF-8 text; -1 unless it holds exactly one.
int SoleCodePoint(std::string_view utf8) {
  if (utf8.empty()) return -1;
  const auto b0 = static_cast<unsigned char>(utf8[0]);
  std::size_t length = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
  if (utf8.size() != length) return -1;
  int code = length == 1 ? b0 : length == 2 ? b0 & 0x1F : length == 3 ? b0 & 0x0F : b0 & 0x07;
  for (std::size_t k = 1; k < length; ++k) {
    code = (code << 6) | (static_cast<unsigned char>(utf8[k]) & 0x3F);
  }
  return code;
}

int ConvertOne(std::string_view cp932) {
  std::string utf8;
  if (!text::Cp932ToUtf8(cp932, &utf8)) return Cp932Table::kInvalid;
  const int code = SoleCodePoint(utf8);
  return code < 0 || code > 0xFFFF ? Cp932Table::kInvalid : code;
}

}  // namespace

const Cp932Table& Cp932Table::Get() {
  static const Cp932Table table;
  return table;
}

Cp932Table::Cp932Table() : double_(0x10000, kInvalid), back_(0x10000, 0) {
  std::vector<bool> twice(0x10000, false);
  auto remember = [&](int code, std::uint16_t cp932) {
    if (back_[code] == 0) {
      back_[code] = cp932;
    } else {
      twice[code] = true;
    }
  };
  for (int byte = 0; byte < 256; ++byte) {
    if (text::IsLeadByte(static_cast<unsigned char>(byte))) {
      single_[byte] = kLeadByte;
      continue;
    }
    const char one = static_cast<char>(byte);
    // NUL is no XML character; leaving it out keeps 0 free to mean "no form" below.
    single_[byte] = byte == 0 ? kInvalid : ConvertOne(std::string_view(&one, 1));
    if (single_[byte] > 0) remember(single_[byte], static_cast<std::uint16_t>(byte));
  }
  // A row of the table converts in one call; a row with holes (unassigned codes) is
  // converted character by character, since one unassigned code fails a whole call.
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!text::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    std::string row;
    std::vector<int> trails;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!text::IsTrailByte(static_cast<unsigned char>(trail))) continue;
      row += static_cast<char>(lead);
      row += static_cast<char>(trail);
      trails.push_back(trail);
    }
    std::string utf8;
    std::vector<int> codes;
    if (text::Cp932ToUtf8(row, &utf8)) {
      for (std::size_t k = 0; k < utf8.size();) {
        const auto b0 = static_cast<unsigned char>(utf8[k]);
        const std::size_t length = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
        codes.push_back(SoleCodePoint(utf8.substr(k, length)));
        k += length;
      }
    }
    const bool whole = codes.size() == trails.size();
    for (std::size_t k = 0; k < trails.size(); ++k) {
      const int code = whole ? codes[k] : ConvertOne(row.substr(2 * k, 2));
      if (code <= 0 || code > 0xFFFF) continue;
      double_[(lead << 8) | trails[k]] = code;
      remember(code, static_cast<std::uint16_t>((lead << 8) | trails[k]));
    }
  }
  // Where two codes give one character, the project's own conversion decides which one is
  // written, so a text read back has the bytes the exporter put there.
  for (int code = 1; code < 0x10000; ++code) {
    if (!twice[code]) continue;
    std::string utf8;
    if (code < 0x800) {
      utf8 = {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
    } else {
      utf8 = {static_cast<char>(0xE0 | (code >> 12)),
              static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
              static_cast<char>(0x80 | (code & 0x3F))};
    }
    std::string cp932;
    if (!text::Utf8ToCp932(utf8, &cp932)) continue;
    if (cp932.size() == 1) back_[code] = static_cast<unsigned char>(cp932[0]);
    if (cp932.size() == 2) {
      back_[code] = static_cast<std::uint16_t>((static_cast<unsigned char>(cp932[0]) << 8) |
                                               static_cast<unsigned char>(cp932[1]));
    }
  }
}

int Cp932Table::DoubleByte(unsigned char lead, unsigned char trail) const {
  return double_[(lead << 8) | trail];
}

bool Cp932Table::AppendFromUtf8(std::string_view utf8, std::string* cp932) const {
  for (std::size_t k = 0; k < utf8.size();) {
    const auto b0 = static_cast<unsigned char>(utf8[k]);
    if (b0 < 0x80) {
      // ASCII is the same in both; most of a report is tags, digits and tabs.
      cp932->push_back(static_cast<char>(b0));
      ++k;
      continue;
    }
    const std::size_t length = b0 < 0xC0 ? 0 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    if (length == 0 || k + length > utf8.size()) return false;
    const int code = SoleCodePoint(utf8.substr(k, length));
    if (code < 0 || code > 0xFFFF || back_[code] == 0) return false;
    const std::uint16_t form = back_[code];
    if (form > 0xFF) cp932->push_back(static_cast<char>(form >> 8));
    cp932->push_back(static_cast<char>(form & 0xFF));
    k += length;
  }
  return true;
}

}  // namespace vintor::report
