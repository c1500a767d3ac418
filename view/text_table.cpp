#include "view/text_table.h"

#include <algorithm>
#include <cstddef>

namespace vintor::view {

std::string TextTable::Render() const {
  std::vector<std::size_t> widths(align_.size(), 0);
  for (const auto& row : rows_) {
    for (std::size_t k = 0; k < row.size() && k < widths.size(); ++k) {
      widths[k] = std::max(widths[k], row[k].size());
    }
  }
  std::size_t total = 0;
  for (std::size_t width : widths) total += width;
  total += widths.empty() ? 0 : 2 * (widths.size() - 1);

  std::string out;
  for (const auto& row : rows_) {
    if (row.empty()) {
      out += std::string(total, '-') + "\n";
      continue;
    }
    std::string line;
    for (std::size_t k = 0; k < widths.size(); ++k) {
      const std::string cell = k < row.size() ? row[k] : std::string();
      const std::string pad(widths[k] - std::min(widths[k], cell.size()), ' ');
      if (k > 0) line += "  ";
      line += align_[k] == Align::kRight ? pad + cell : cell + pad;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + "\n";
  }
  return out;
}

}  // namespace vintor::view
