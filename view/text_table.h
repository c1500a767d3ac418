// A table of CP932 text laid out in aligned columns for a terminal.
#pragma once

#include <string>
#include <vector>

namespace vintor::view {

// Collects rows, then lays them out. On a terminal a CP932 character takes as many columns as
// it has bytes (a double-byte character is full width, a single byte half width), so the
// byte count is the width and no conversion is needed to align.
class TextTable {
 public:
  enum class Align { kLeft, kRight };

  // One alignment per column; rows may have fewer cells than columns.
  explicit TextTable(std::vector<Align> columns) : align_(std::move(columns)) {}

  void AddRow(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
  // A rule of dashes across the whole table, before the next row.
  void AddRule() { rows_.emplace_back(); }

  // The rows, columns two spaces apart, each line ended with "\n" and without trailing spaces.
  std::string Render() const;

 private:
  std::vector<Align> align_;
  std::vector<std::vector<std::string>> rows_;  // an empty row is a rule
};

}  // namespace vintor::view
