#include "supplements/note_element_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

namespace vintor::supplements {
namespace {

TEST(NoteElementTableTest, EndsWithTheTerminatorAfterTheLastElement) {
  for (std::size_t index = 0; index < kNoteElementCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_GT(kNoteElementTable[index].id, 0);
    ASSERT_NE(kNoteElementTable[index].element, nullptr);
  }
  const NoteElement& end = kNoteElementTable[kNoteElementCount];
  EXPECT_EQ(end.group, 0);
  EXPECT_EQ(end.id, 0);
  EXPECT_EQ(end.depth, 0);
  EXPECT_EQ(end.element, nullptr);
}

// Each note opens with its top element at depth 3 and keeps its entries together.
TEST(NoteElementTableTest, GroupsHaveTheirTopElementsAndSizes) {
  const std::map<int, std::pair<std::string, int>> groups = {
      {0, {"NotesGoingConcernAssumption", 1}},
      {1, {"NotesSignificantAccountingPolicy", 14}},
      {2, {"NoteBalanceSheet", 33}},
      {3, {"NoteIncomeStatement", 14}},
      {4, {"NotesStatementChangesNetAssets", 86}},
      {5, {"NotesTaxEffectAccounting", 3}},
      {6, {"NotesFixedAssetsUsingFinanceLease", 5}},
      {7, {"NotesRelatedPartyTransactions", 14}},
      {8, {"NotesPerShareInformation", 3}},
      {9, {"NotesMaterialSubsequentEvents", 1}},
      {10, {"ItemsOtherNotes", 3}},
  };
  std::map<int, int> counts;
  std::map<int, std::string> tops;
  int previous_group = -1;
  for (std::size_t index = 0; index < kNoteElementCount; ++index) {
    const NoteElement& entry = kNoteElementTable[index];
    SCOPED_TRACE(entry.element);
    ASSERT_GE(entry.group, previous_group) << "groups stand in order";
    if (entry.group != previous_group) {
      EXPECT_EQ(entry.depth, 3);
      tops[entry.group] = entry.element;
    } else {
      EXPECT_GT(entry.depth, 3);
    }
    previous_group = entry.group;
    ++counts[entry.group];
  }
  ASSERT_EQ(counts.size(), groups.size());
  for (const auto& [group, expected] : groups) {
    SCOPED_TRACE(group);
    EXPECT_EQ(tops[group], expected.first);
    EXPECT_EQ(counts[group], expected.second);
  }
}

TEST(NoteElementTableTest, IdsFollowNoteAndPosition) {
  std::map<int, int> positions;
  for (std::size_t index = 0; index < kNoteElementCount; ++index) {
    const NoteElement& entry = kNoteElementTable[index];
    SCOPED_TRACE(entry.element);
    const int note = (entry.id - 1'000'000) / 10'000;
    const int position = ++positions[note];
    EXPECT_EQ(entry.id, 1'000'000 + 10'000 * note + 10 * position);
  }
  // The notes the group flags stand for: the significant accounting policies spread over
  // notes 1 to 3, the others one note each.
  EXPECT_EQ(positions, (std::map<int, int>{{0, 1},
                                           {1, 12},
                                           {2, 1},
                                           {3, 1},
                                           {6, 33},
                                           {7, 14},
                                           {8, 86},
                                           {9, 3},
                                           {10, 5},
                                           {13, 14},
                                           {14, 3},
                                           {15, 1},
                                           {17, 3}}));
}

TEST(NoteElementTableTest, DepthsNestOneLevelAtATime) {
  std::map<int, int> per_depth;
  for (std::size_t index = 0; index < kNoteElementCount; ++index) {
    const NoteElement& entry = kNoteElementTable[index];
    SCOPED_TRACE(entry.element);
    EXPECT_GE(entry.depth, 3);
    EXPECT_LE(entry.depth, 8);
    if (index > 0) {
      EXPECT_LE(entry.depth, kNoteElementTable[index - 1].depth + 1);
    }
    ++per_depth[entry.depth];
  }
  EXPECT_EQ(per_depth, (std::map<int, int>{{3, 11}, {4, 46}, {5, 37}, {6, 24}, {7, 46}, {8, 13}}));
}

TEST(NoteElementTableTest, NamesAreUniqueAndNoEntryUsesAnUnsupportedNote) {
  std::set<std::string> names;
  for (std::size_t index = 0; index < kNoteElementCount; ++index) {
    const NoteElement& entry = kNoteElementTable[index];
    EXPECT_TRUE(names.insert(entry.element).second) << entry.element;
    EXPECT_LE(entry.group, 10) << entry.element;  // never 16, 17, 20, 21, 32 or 33
  }
}

// A checksum over every field pins the whole table: a changed letter, ID or depth anywhere
// shows up here even where the structural tests above still hold.
TEST(NoteElementTableTest, MatchesTheImportSchemaExactly) {
  std::uint32_t hash = 0x811C9DC5;
  for (std::size_t index = 0; index < kNoteElementCount; ++index) {
    const NoteElement& entry = kNoteElementTable[index];
    const std::string row = std::to_string(entry.group) + " " + std::to_string(entry.id) + " " +
                            std::to_string(entry.depth) + " " + entry.element + "\n";
    for (unsigned char byte : row) hash = (hash ^ byte) * 0x01000193;
  }
  EXPECT_EQ(hash, 0x14848396u);

  struct Spot {
    std::size_t index;
    std::int32_t id;
    std::int16_t depth;
    const char* element;
  } const spots[] = {
      {13, 1020010, 4, "ChangesAccountingPrincipleProcedure"},
      {66, 1080050, 7, "NumberSharesIssuanceNewOrdinaryShares-P"},
      {129, 1080680, 5,
       "DividendsWhichEffectiveDatesAreAfterPeriodDividendsWhichRecordDatesArePeriod"},
      {147, 1080860, 8, "EffectiveDatePropertyDividendAfterPeriod"},
      {176, 1170030, 4, "ItemDescriptionOtherNotes"},
  };
  for (const Spot& spot : spots) {
    SCOPED_TRACE(spot.element);
    EXPECT_EQ(kNoteElementTable[spot.index].id, spot.id);
    EXPECT_EQ(kNoteElementTable[spot.index].depth, spot.depth);
    EXPECT_STREQ(kNoteElementTable[spot.index].element, spot.element);
  }
}

}  // namespace
}  // namespace vintor::supplements
