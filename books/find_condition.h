// Reading the search conditions the cursors of the books accept.
#pragma once

#include <cstdint>

#include "platform/records.h"

namespace vintor::books {

// The operand of a condition that is exactly one "item equals operand" block (the block's
// link 0); false for anything else.
inline bool SingleEqualOperand(const platform::StFINDINFO* find, std::int32_t item,
                               std::int32_t* operand) {
  if (find == nullptr) return false;
  const platform::StFINDBLOCK& block = find->blocks[0];
  if (block.item != item || block.op != platform::kFindOpEqual ||
      block.link != platform::kFindLinkLast) {
    return false;
  }
  *operand = block.operand;
  return true;
}

}  // namespace vintor::books
