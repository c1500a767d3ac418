#include "statements/statement_line_list.h"

#include <new>

namespace vintor::statements {

namespace {

// Only these kinds become item rows; lines of other kinds are headings and totals that the
// writers reach through FindLineByCharacter.
bool IsItemKind(std::int16_t kind) {
  return kind == 0 || kind == 3;
}

}  // namespace

bool StatementLineList::Append(const StatementLine& line) {
  try {
    lines_.push_back(line);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

const StatementLine* StatementLineList::FindLineByCharacter(std::uint32_t character) const {
  for (const StatementLine& line : lines_) {
    if (line.character == character) return &line;
  }
  return nullptr;
}

StatementLine* StatementLineList::FindLastLineByCharacter(std::uint32_t character) {
  for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
    if (it->character == character) return &*it;
  }
  return nullptr;
}

template <typename Matches>
bool StatementLineList::CollectItemLines(Matches matches, std::vector<StatementLine>* out) const {
  if (out == nullptr) return false;
  out->clear();
  try {
    for (const StatementLine& line : lines_) {
      if (IsItemKind(line.kind) && matches(line.character)) out->push_back(line);
    }
  } catch (const std::bad_alloc&) {
    // push_back leaves the vector as it was, so the copies made so far stay in *out.
    return false;
  }
  return true;
}

bool StatementLineList::CollectLinesByMask(std::uint32_t mask,
                                           std::vector<StatementLine>* out) const {
  return CollectItemLines([mask](std::uint32_t character) { return (character & mask) == mask; },
                          out);
}

bool StatementLineList::CollectLinesByCharacter(std::uint32_t character,
                                                std::vector<StatementLine>* out) const {
  return CollectItemLines([character](std::uint32_t c) { return c == character; }, out);
}

}  // namespace vintor::statements
