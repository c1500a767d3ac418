#include "supplements/ledger_section.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "statements/clean_label.h"
#include "statements/section_name.h"
#include "text/control_escapes.h"
#include "text/cp932.h"

namespace vintor::supplements {

namespace {

using statements::StatementLine;
using statements::XmlWriter;

constexpr std::int64_t kScale = 10'000;

// Whole yen, the fraction dropped toward zero. Zero is written as "0".
std::string YenText(std::int64_t scaled) {
  return std::to_string(scaled / kScale);
}

}  // namespace

LedgerSection::LedgerSection(const statements::StatementLineList& lines,
                             const LedgerEntryList& entries)
    : lines_(lines), part_(&entries) {}

LedgerSection::LedgerSection(const statements::StatementLineList& lines, LedgerEntrySource& source)
    : lines_(lines), source_(&source), part_(&received_) {}

std::string_view LedgerSection::CleanedName(std::string_view name) {
  if (!statements::MayHaveDecorations(name)) return name;
  if (const auto found = cleaned_names_.find(name); found != cleaned_names_.end()) {
    return found->second;
  }
  std::string cleaned;
  statements::CleanLabel(name, &cleaned);  // empty when the name is empty
  return cleaned_names_.emplace(std::string(name), std::move(cleaned)).first->second;
}

const LedgerEntry* LedgerSection::AtCursor() {
  while (cursor_ >= part_->size()) {
    if (source_ == nullptr || failed_) return nullptr;
    switch (source_->Next(&received_)) {
      case LedgerEntrySource::Answer::kEntries:
        cursor_ = 0;
        break;
      case LedgerEntrySource::Answer::kEnd:
        source_ = nullptr;
        return nullptr;
      case LedgerEntrySource::Answer::kFailed:
        failed_ = true;
        return nullptr;
    }
  }
  return &(*part_)[cursor_];
}

bool LedgerSection::Write(XmlWriter& writer) {
  if (AtCursor() == nullptr) return !failed_;
  // The read-back compares the ledger by its bytes alone: parsing hundreds of megabytes again
  // would cost more than writing them.
  writer.StopContentDigest();
  if (!writer.OpenElement("QZ00780S", 2)) return false;
  if (figures_ != nullptr) figures_->has_ledger = true;
  // The entries follow the statement lines, so one pass over the lines meets every account's
  // entries in turn. Each account written moves the cursor past at least one entry, and the
  // pass ends with the lines, so the walk always ends.
  for (const StatementLine& line : lines_) {
    const LedgerEntry* entry = AtCursor();
    if (entry == nullptr) break;
    if (entry->account_key != line.key) continue;
    if (!WriteAccount(writer, line)) return false;
  }
  return !failed_ && writer.CloseElement("QZ00780S", 2);
}

bool LedgerSection::WriteAccount(XmlWriter& writer, const StatementLine& line) {
  const std::string_view name = CleanedName(text::FieldText(line.formal_name));
  checks::LedgerFigures* figures = nullptr;
  if (figures_ != nullptr) {
    figures = &figures_->ledger.emplace_back();
    // The name goes into a warning shown on a terminal: a TAB, LF or CR in it is shown escaped,
    // as the report reader keeps it.
    figures->name = text::EscapeControls(name);
    figures->opening = line.opening / kScale;
    figures->closing = line.closing / kScale;
  }
  return writer.OpenElement("QZ00780S01", 3) && writer.Element("QZ00780S0010", name, 4) &&
         writer.Element("QZ00780S0020", statements::SectionNameOfCharacter(line.character), 4) &&
         writer.Element("QZ00780S0030", YenText(line.opening), 4) &&
         writer.Element("QZ00780S0040", YenText(line.closing), 4) &&
         WriteLedgerLines(writer, figures) && writer.CloseElement("QZ00780S01", 3);
}

bool LedgerSection::WriteLedgerLines(XmlWriter& writer, checks::LedgerFigures* figures) {
  const LedgerEntry* entry = AtCursor();
  if (entry == nullptr) return !failed_;
  const std::int32_t account_key = entry->account_key;
  for (; entry != nullptr && entry->account_key == account_key; ++cursor_, entry = AtCursor()) {
    const bool written =
        writer.OpenElement("QZ00780S02", 4) &&
        writer.Element("QZ00780S0050", std::to_string(entry->number), 5) &&
        writer.Element("QZ00780S0060", text::FieldText(entry->date_text), 5) &&
        writer.Element("QZ00780S0070", CleanedName(text::FieldText(entry->own_sub_account_name)),
                       5) &&
        writer.Element("QZ00780S0080", CleanedName(text::FieldText(entry->counter_account_name)),
                       5) &&
        writer.Element("QZ00780S0090",
                       CleanedName(text::FieldText(entry->counter_sub_account_name)), 5) &&
        // The description is the bookkeeper's own text: brackets and spaces stay. Sixty bytes
        // of ampersands or quotes would escape past the line's limit; rather than fail the
        // report, such a description is cut after its last whole character that fits.
        writer.ElementCutToFit("QZ00780S0100", text::FieldText(entry->description), 5) &&
        writer.Element("QZ00780S0110", YenText(entry->amount), 5) &&
        writer.Element("QZ00780S0120", YenText(entry->balance), 5) &&
        writer.CloseElement("QZ00780S02", 4);
    if (!written) return false;
    if (figures != nullptr) {
      ++figures->line_count;
      figures->last_balance = entry->balance / kScale;
    }
  }
  return !failed_;
}

}  // namespace vintor::supplements
