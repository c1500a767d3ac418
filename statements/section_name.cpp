#include "statements/section_name.h"

#include <array>

namespace vintor::statements {

namespace {

struct Section {
  std::uint32_t mask;
  std::string_view name;
};

// An account character is hierarchical: class bit, section bit, subsection bit, then bits of
// single total accounts. A character of a subsection also carries the bits of the sections
// above it, so every mask must come before every wider mask it contains; the first match
// is the most specific section.
constexpr std::array<Section, 36> kSections = {{
    {0x80880000, "流動資産"},         {0x80840000, "固定資産"},   {0x80820000, "繰延資産"},
    {0x80800008, "流動資産"},         {0x80800000, "資産の部"},   {0x80480000, "流動負債"},
    {0x80440000, "固定負債"},         {0x80400000, "負債の部"},   {0x80280000, "株主資本"},
    {0x80240000, "評価･換算差額等"},  {0x80220000, "新株予約権"}, {0x80200000, "純資産の部"},
    {0x80100000, "負債・純資産合計"}, {0x80000000, "貸借対照表"}, {0x40888000, "売上高"},
    {0x40884000, "売上原価"},         {0x40882000, "販管費"},     {0x40880000, "営業損益"},
    {0x40848000, "営業外収益"},       {0x40844000, "営業外費用"}, {0x40840000, "営業外損益"},
    {0x40480000, "特別利益"},         {0x40440000, "特別損失"},   {0x40800000, "経常損益"},
    {0x40400000, "特別損益"},         {0x40200000, "差引損益"},   {0x40000000, "損益計算書"},
    {0x20800000, "材料費"},           {0x20400000, "労務費"},     {0x20200000, "製造経費"},
    {0x20100000, "仕掛品"},           {0x20080000, "製造原価"},   {0x20000000, "製造原価報告書"},
    {0x10000000, "特別勘定"},         {0x08000080, "集計対象外"}, {0x08000000, "集計対象外"},
}};

}  // namespace

std::string_view SectionNameOfCharacter(std::uint32_t character) {
  for (const Section& section : kSections) {
    if ((character & section.mask) == section.mask) return section.name;
  }
  return {};
}

}  // namespace vintor::statements
