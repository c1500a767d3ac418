// The five kinds of line a statement is made of: a section heading, the item rows of a
// section, a stand-alone total, the income-tax rows and the rows of fixed assets that no
// fixed-asset subsection claims.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "statements/diagnostics.h"
#include "statements/statement_line_list.h"
#include "statements/xml_writer.h"

namespace vintor::statements {

// The characters of fixed-asset accounts outside the three fixed-asset subsections, in the
// order their rows are written.
inline constexpr std::uint32_t kOtherFixedAssetCharacters[] = {0x80840000, 0x80840008, 0x80840004};

// The warning shown for a fixed-asset account that cannot be put in its proper subsection:
// the account code (key / 10 000) and the formal name as the books hold it.
std::string UnclassifiedFixedAssetWarning(std::int32_t key, std::string_view formal_name);

// Writes statement lines through an XmlWriter. Every amount is a closing balance in whole yen
// (AmountText); every label is an account name after CleanLabel. The writer, list and
// diagnostics are not owned and must outlive this object.
//
// Each operation answers false when a line could not be written or a query failed; the
// statement being written must then stop. A heading or total whose line does not exist is
// not a failure.
class LineWriter {
 public:
  // Warnings go to diagnostics.
  LineWriter(XmlWriter& xml, const StatementLineList& lines, Diagnostics& diagnostics)
      : xml_(xml), lines_(lines), diagnostics_(diagnostics) {}

  XmlWriter& xml() { return xml_; }
  const StatementLineList& lines() const { return lines_; }

  // Opens the element. With the line of exactly this character: Label = its cleaned formal
  // name and Amount = its amount (empty for less than one yen); without one: no attributes.
  bool WriteHeading(std::uint32_t character, std::string_view element, int depth);
  // One Item row (text = amount, Label = cleaned formal name) for every line of kind 0 or 3
  // whose character holds all bits of mask, in list order; lines under one yen are left out.
  bool WriteItems(std::uint32_t mask, int depth);
  // An empty element for the line of exactly this character, labelled with its cleaned
  // statement name (the cleaned formal name when that cleans to nothing), Amount = its
  // amount; nothing when there is no such line.
  bool WriteTotal(std::uint32_t character, std::string_view element, int depth);
  // WriteItems of the net-result section without its three total accounts.
  bool WriteIncomeTaxItems(int depth);
  // Item rows of the kOtherFixedAssetCharacters lines, exactly matched. With warn, each row
  // is preceded by the UnclassifiedFixedAssetWarning.
  bool WriteOtherFixedAssets(int depth, bool warn);

 private:
  // The Item rows of the lines, skipping those under one yen and those skip() refuses.
  template <typename Skip>
  bool WriteItemRows(const std::vector<StatementLine>& rows, int depth, Skip skip);
  bool WriteItem(const StatementLine& line, const std::string& amount, int depth);

  XmlWriter& xml_;
  const StatementLineList& lines_;
  Diagnostics& diagnostics_;
};

}  // namespace vintor::statements
