// The product information file lies in the program's folder and may be edited or damaged:
// any bytes must parse without harm, and a value is text of the file that ends where a
// value ends.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "statements/product_information.h"

namespace {

void CheckValue(std::string_view contents, const std::string& value) {
  if (value.empty()) return;
  const std::string_view looked_at = contents.substr(
      0, std::min(contents.size(), vintor::statements::kProductInformationLimit));
  if (looked_at.find(value) == std::string_view::npos) std::abort();
  if (value.find('\0') != std::string::npos || value.find('\x1a') != std::string::npos ||
      value.find("\r\n") != std::string::npos)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view contents(reinterpret_cast<const char*>(data), size);
  const vintor::statements::ProductInformation information =
      vintor::statements::ParseProductInformation(contents);
  CheckValue(contents, information.name);
  CheckValue(contents, information.version);
  return 0;
}
