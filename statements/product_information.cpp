#include "statements/product_information.h"

#include <new>

namespace vintor::statements {

namespace {

constexpr std::string_view kNameKey = "[=製品名=]";
constexpr std::string_view kVersionKey = "[=製品ﾊﾞｰｼﾞｮﾝ=]";
constexpr char kEndOfFile = '\x1A';

// The rest of the line behind the first occurrence of key. The file comes from Windows
// tools: a line ends with CR LF, some tools still close a text with the end-of-file byte
// 0x1A, and a NUL ends the text in any case. A lone CR or LF (a file saved by another
// editor) ends the line too, so a value never runs into the lines after it.
std::string ValueBehind(std::string_view contents, std::string_view key) {
  const std::size_t found = contents.find(key);
  if (found == std::string_view::npos) return {};
  const std::size_t start = found + key.size();
  std::size_t end = start;
  while (end < contents.size()) {
    const char byte = contents[end];
    if (byte == '\0' || byte == kEndOfFile || byte == '\r' || byte == '\n') break;
    ++end;
  }
  return std::string(contents.substr(start, end - start));
}

}  // namespace

ProductInformation ParseProductInformation(std::string_view contents) {
  contents = contents.substr(0, kProductInformationLimit);
  return {ValueBehind(contents, kNameKey), ValueBehind(contents, kVersionKey)};
}

ProductInformation ReadProductInformation(os::Os& os, Diagnostics& diagnostics,
                                          std::string_view default_name) {
  ProductInformation information;
  try {
    std::string contents;
    if (os.ReadWholeFile(std::string(kProductInformationFile), &contents)) {
      information = ParseProductInformation(contents);
    }
  } catch (const std::bad_alloc&) {
    // The file only decorates the report; without memory for it the defaults serve.
    diagnostics.Warn("ﾒﾓﾘが不足しています。");
    information = {};
  }
  if (information.name.empty()) information.name = default_name;
  if (information.version.empty()) information.version = kDefaultProductVersion;
  return information;
}

}  // namespace vintor::statements
