#include "batch/report_name.h"

#include <array>
#include <cstddef>
#include <utility>

#include "text/cp932.h"

namespace vintor::batch {
namespace {

constexpr std::size_t kMaxNameBytes = 200;
constexpr std::size_t kMaxExtensionBytes = 10;

// Zero-padded decimal; negative values keep their sign in front of the padding.
std::string PaddedDecimal(std::int32_t value, std::size_t width) {
  std::string digits = std::to_string(value < 0 ? -static_cast<std::int64_t>(value) : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

// The value of one placeholder, or false when the placeholder is unknown.
bool PlaceholderValue(std::string_view placeholder, const ReportNameFields& fields,
                      std::string* value) {
  if (placeholder == "data") {
    *value = std::to_string(fields.data_number);
  } else if (placeholder == "id") {
    *value = fields.data_id;
  } else if (placeholder == "name") {
    *value = fields.company_name;
  } else if (placeholder == "period_start") {
    *value = PaddedDecimal(fields.period_start, 8);
  } else if (placeholder == "period_end") {
    *value = PaddedDecimal(fields.period_end, 8);
  } else if (placeholder == "from") {
    *value = PaddedDecimal(fields.from_month, 2);
  } else if (placeholder == "to") {
    *value = PaddedDecimal(fields.to_month, 2);
  } else {
    return false;
  }
  return true;
}

bool IsUnsafeSingleByte(unsigned char byte) {
  if (byte < 0x20 || byte == 0x7F) return true;
  for (const char unsafe : std::string_view("/\\:*?\"<>|")) {
    if (byte == static_cast<unsigned char>(unsafe)) return true;
  }
  return false;
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsWindowsDeviceName(std::string_view name) {
  // Windows maps the device name whatever follows its first dot, and ignores spaces before
  // that dot ("NUL .txt" is NUL too).
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  if (base.size() != 3 && base.size() != 4) return false;
  std::string upper;
  for (const char c : base) upper += AsciiUpper(c);
  static constexpr std::array<std::string_view, 4> kThreeLetters = {"CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kThreeLetters) {
    if (upper == device) return true;
  }
  const bool numbered_port =
      upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT"));
  return numbered_port && upper[3] >= '1' && upper[3] <= '9';
}

// Cuts an over-long name on a character boundary. The extension is what tells programs how
// to open the report, so a short one is kept and the cut falls before it.
std::string CutToLength(const std::string& name) {
  if (name.size() <= kMaxNameBytes) return name;
  // 0x2E is never a trail byte, so a plain search finds only real dots.
  std::size_t dot = name.rfind('.');
  std::string_view extension;
  if (dot != std::string_view::npos && name.size() - dot - 1 <= kMaxExtensionBytes) {
    extension = std::string_view(name).substr(dot);
  } else {
    dot = name.size();
  }
  const std::string_view stem = std::string_view(name).substr(0, dot);
  std::string cut(text::PrefixOnCharacterBoundary(stem, kMaxNameBytes - extension.size()));
  cut += extension;
  return cut;
}

std::string MakeSafe(std::string name) {
  // Only single-byte characters are replaced: the trail byte of 表 is 0x5C and that of ポ is
  // 0x7C, and changing them would turn the company's name into other characters.
  for (std::size_t k = 0; k < name.size();) {
    const std::size_t length = text::CharacterLengthAt(name, k);
    if (length == 1 && IsUnsafeSingleByte(static_cast<unsigned char>(name[k]))) name[k] = '_';
    k += length;
  }
  if (IsWindowsDeviceName(name)) name.insert(0, "_");
  name = CutToLength(name);
  // Windows drops trailing dots and spaces, so the file would get another name than the one
  // reported; neither byte is a trail byte, so looking from the end is safe.
  for (std::size_t k = name.size(); k > 0 && (name[k - 1] == '.' || name[k - 1] == ' '); --k) {
    name[k - 1] = '_';
  }
  return name;
}

}  // namespace

bool ExpandReportName(std::string_view name_template, const ReportNameFields& fields,
                      std::string* name, std::string* error) {
  if (name_template.empty()) {
    *error = "ファイル名の指定が空です";
    return false;
  }
  std::string expanded;
  for (std::size_t k = 0; k < name_template.size();) {
    const std::size_t length = text::CharacterLengthAt(name_template, k);
    const char c = name_template[k];
    if (length == 2 || (c != '{' && c != '/' && c != '\\')) {
      expanded.append(name_template.substr(k, length));
      k += length;
      continue;
    }
    if (c != '{') {
      *error = "ファイル名の指定にフォルダの区切り（/ や \\）は使えません: ";
      *error += name_template;
      return false;
    }
    // Placeholder names are ASCII, so the first single-byte "}" closes the placeholder.
    std::size_t close = k + 1;
    while (close < name_template.size() && name_template[close] != '}') {
      close += text::CharacterLengthAt(name_template, close);
    }
    if (close >= name_template.size()) {
      *error = "ファイル名の指定の { が閉じていません: ";
      *error += name_template;
      return false;
    }
    const std::string_view placeholder = name_template.substr(k + 1, close - k - 1);
    std::string value;
    if (!PlaceholderValue(placeholder, fields, &value)) {
      *error = "ファイル名の指定 {";
      *error += placeholder;
      *error +=
          "} は使えません（使えるのは {data} {id} {name} {period_start} {period_end} {from} "
          "{to}）";
      return false;
    }
    expanded += value;
    k = close + 1;
  }
  if (expanded.empty()) {
    *error = "ファイル名が空になります: ";
    *error += name_template;
    return false;
  }
  *name = MakeSafe(std::move(expanded));
  return true;
}

bool ReportNameRegistry::Claim(const std::string& name, std::int32_t data_number,
                               std::int32_t* taken_by) {
  // Folding only single-byte letters: the trail bytes of ア (0x41) and ヂ (0x61) differ
  // only as "A" and "a" do, yet the two names are different files everywhere.
  std::string folded = name;
  for (std::size_t k = 0; k < folded.size();) {
    const std::size_t length = text::CharacterLengthAt(folded, k);
    if (length == 1) folded[k] = AsciiUpper(folded[k]);
    k += length;
  }
  const auto [it, inserted] = owner_by_folded_name_.emplace(std::move(folded), data_number);
  if (!inserted) *taken_by = it->second;
  return inserted;
}

}  // namespace vintor::batch
