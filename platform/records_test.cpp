// The layouts themselves are pinned at compile time; these tests check what the callers
// rely on at run time: raw little-endian reads at the documented offsets see the values
// written through the named fields.
#include "platform/records.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vintor::platform {
namespace {

template <class T>
T ReadAt(const void* record, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
  return value;
}

TEST(RecordsTest, SearchConditionReadsAsTheAggregatorSeesIt) {
  StFINDINFO find{};
  find.blocks[0] = {kFindItemMonth, {}, kFindOpFrom, {}, 2, {}, 4, {}, kFindLinkAnd, {}};
  find.blocks[1] = {kFindItemMonth, {}, kFindOpTo, {}, 2, {}, 9, {}, kFindLinkOr, {}};
  find.blocks[2] = {kFindItemMonth, {}, kFindOpEqual, {}, 2, {}, 18, {}, kFindLinkLast, {}};

  EXPECT_EQ(ReadAt<std::int32_t>(&find, 0), 17);
  EXPECT_EQ(ReadAt<std::int16_t>(&find, 6), kFindOpFrom);
  EXPECT_EQ(ReadAt<std::int16_t>(&find, 0x12), 4);
  EXPECT_EQ(ReadAt<std::int16_t>(&find, 0x34), 9);
  EXPECT_EQ(ReadAt<std::int16_t>(&find, 0x40), kFindLinkOr);
  EXPECT_EQ(ReadAt<std::int16_t>(&find, 0x56), 18);
  EXPECT_EQ(ReadAt<std::int16_t>(&find, 3 * 34 + 30), 0);
}

TEST(RecordsTest, AccountTotalsSlotsLieWhereTheArraysBegin) {
  StKAMOKUSUMINFO totals{};
  for (int slot = 0; slot < kMonthSlots; ++slot) {
    totals.debit_1[slot] = 100 + slot;
    totals.debit_2[slot] = 200 + slot;
    totals.credit_1[slot] = -300 - slot;
    totals.credit_2[slot] = std::int64_t{1} << (32 + slot);
  }
  for (int slot = 0; slot < kMonthSlots; ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(ReadAt<std::int64_t>(&totals, 0x98 + 8 * slot), 100 + slot);
    EXPECT_EQ(ReadAt<std::int64_t>(&totals, 0x110 + 8 * slot), 200 + slot);
    EXPECT_EQ(ReadAt<std::int64_t>(&totals, 0x188 + 8 * slot), -300 - slot);
    EXPECT_EQ(ReadAt<std::int64_t>(&totals, 0x200 + 8 * slot), std::int64_t{1} << (32 + slot));
  }
}

TEST(RecordsTest, LedgerLineAmountsAtUnalignedOffsets) {
  StMOTOCHOINFO line{};
  line.credit_key = 1110001;
  line.credit_amount = -123456789012345;
  line.credit_tax = 42;
  line.side = kSideCredit;
  EXPECT_EQ(ReadAt<std::int32_t>(&line, 129), 1110001);
  EXPECT_EQ(ReadAt<std::int64_t>(&line, 137), -123456789012345);
  EXPECT_EQ(ReadAt<std::int64_t>(&line, 145), 42);
  EXPECT_EQ(ReadAt<std::uint8_t>(&line, 612), kSideCredit);
}

}  // namespace
}  // namespace vintor::platform
