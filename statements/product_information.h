// The product name and version written into the report's SYSTEM section, taken from the
// optional product information file of the program's folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "os/os.h"
#include "statements/diagnostics.h"

namespace vintor::statements {

inline constexpr std::string_view kProductInformationFile = "SUPPORT.INF";
// Only the start of the file is looked at; the keys stand near its top.
inline constexpr std::size_t kProductInformationLimit = 30'000;
// The version written when the file does not give one.
inline constexpr std::string_view kDefaultProductVersion = "21.00.0X";

struct ProductInformation {
  std::string name;
  std::string version;
};

// The values behind the first "[=製品名=]" and the first "[=製品ﾊﾞｰｼﾞｮﾝ=]" in the first
// kProductInformationLimit bytes of the contents, each up to the end of its line: a CR LF
// pair, a 0x1A end-of-file byte, a NUL or the end of the bytes looked at. A lone CR or LF
// does not end a value. A key that does not occur gives an empty value.
ProductInformation ParseProductInformation(std::string_view contents);

// Reads kProductInformationFile from the current folder through os and parses it; a missing
// file gives empty values. Empty values are then replaced: the name by default_name (the
// build's product display string), the version by kDefaultProductVersion. When memory runs
// out, "ﾒﾓﾘが不足しています。" is warned of through diagnostics and both defaults are used;
// the report goes on either way. os and diagnostics are only used during the call.
ProductInformation ReadProductInformation(os::Os& os, Diagnostics& diagnostics,
                                          std::string_view default_name);

}  // namespace vintor::statements
