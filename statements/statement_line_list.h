// The ordered list of a run's statement lines, in the order the account-sum cursor delivered
// them, and the queries the section writers select lines with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "statements/statement_line.h"

namespace vintor::statements {

// Owns its lines by value. The aggregation appends, then adjusts at most one line (the
// carry-over); the section writers only read. Pointers returned by the Find queries stay
// valid until the next Append or Clear.
class StatementLineList {
 public:
  using const_iterator = std::vector<StatementLine>::const_iterator;

  // Appends a copy of the line; false (list unchanged) when memory runs out.
  bool Append(const StatementLine& line);
  void Clear() { lines_.clear(); }

  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  const_iterator begin() const { return lines_.begin(); }
  const_iterator end() const { return lines_.end(); }

  // The first line whose character equals the argument exactly, whatever its kind; nullptr
  // when there is none. Section headings and total lines are found this way.
  const StatementLine* FindLineByCharacter(std::uint32_t character) const;
  // The last such line, for the carry-over into the closing balance; nullptr when none.
  StatementLine* FindLastLineByCharacter(std::uint32_t character);

  // Empties *out, then appends in list order a copy of every line of kind 0 or 3 whose
  // character contains all bits of mask. False when out is null or memory runs out (the
  // copies made so far stay in *out); true otherwise, also when nothing matched.
  bool CollectLinesByMask(std::uint32_t mask, std::vector<StatementLine>* out) const;
  // The same with an exact match of the character.
  bool CollectLinesByCharacter(std::uint32_t character, std::vector<StatementLine>* out) const;

 private:
  template <typename Matches>
  bool CollectItemLines(Matches matches, std::vector<StatementLine>* out) const;

  std::vector<StatementLine> lines_;
};

}  // namespace vintor::statements
