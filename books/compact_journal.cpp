#include "books/compact_journal.h"

#include <cstring>

namespace vintor::books {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::uint8_t kLongText = 255;
constexpr std::size_t kRecentTexts = 1 << 16;

}  // namespace

std::size_t CompactJournal::AddVoucher(std::size_t company, const Voucher& voucher) {
  if (company >= vouchers_.size()) vouchers_.resize(company + 1);
  vouchers_[company].push_back(
      {voucher.journal_key, voucher.number, voucher.date, voucher.period_kind});
  return vouchers_[company].size() - 1;
}

std::size_t CompactJournal::voucher_count() const {
  std::size_t count = 0;
  for (const std::vector<VoucherRow>& rows : vouchers_) count += rows.size();
  return count;
}

void CompactJournal::Start(std::size_t lines) {
  company_first_voucher_.clear();
  std::size_t total = 0;
  for (std::vector<VoucherRow>& rows : vouchers_) {
    rows.shrink_to_fit();
    company_first_voucher_.push_back(static_cast<std::uint32_t>(total));
    total += rows.size();
  }
  company_first_voucher_.push_back(static_cast<std::uint32_t>(total));
  lines_.reserve(lines);
}

void CompactJournal::Add(std::size_t company, std::size_t voucher, const JournalLine& line) {
  Line kept{};
  kept.debit_amount = line.debit_amount;
  kept.debit_tax = line.debit_tax;
  kept.credit_amount = line.credit_amount;
  kept.credit_tax = line.credit_tax;
  kept.line_number = line.line_number;
  kept.debit_key = line.debit_key;
  kept.credit_key = line.credit_key;
  kept.voucher = company_first_voucher_[company] + static_cast<std::uint32_t>(voucher);
  const std::string& text = line.description;
  if (text.size() >= kLongText) {
    kept.text = static_cast<std::uint32_t>(long_texts_.size());
    kept.text_size = kLongText;
    long_texts_.push_back(text);
  } else if (const auto kept_text = recent_texts_.find(text); kept_text != recent_texts_.end()) {
    kept.text = kept_text->second;
    kept.text_size = static_cast<std::uint8_t>(text.size());
  } else {
    if (blocks_.empty() || used_in_block_ + text.size() > kBlockBytes) {
      blocks_.push_back(std::make_unique<char[]>(kBlockBytes));
      used_in_block_ = 0;
    }
    std::memcpy(blocks_.back().get() + used_in_block_, text.data(), text.size());
    kept.text = static_cast<std::uint32_t>((blocks_.size() - 1) * kBlockBytes + used_in_block_);
    kept.text_size = static_cast<std::uint8_t>(text.size());
    if (recent_texts_.size() == kRecentTexts) recent_texts_.clear();
    recent_texts_.emplace(std::string_view(blocks_.back().get() + used_in_block_, text.size()),
                          kept.text);
    used_in_block_ += text.size();
  }
  lines_.push_back(kept);
}

void CompactJournal::Seal() {
  // A counting sort by voucher: stable, so each voucher keeps its lines in the order added.
  const std::size_t vouchers = company_first_voucher_.empty() ? 0 : company_first_voucher_.back();
  first_.assign(vouchers + 1, 0);
  for (const Line& line : lines_) ++first_[line.voucher + 1];
  for (std::size_t g = 0; g < vouchers; ++g) first_[g + 1] += first_[g];
  std::vector<std::uint32_t> next(first_.begin(), first_.end() - 1);
  order_.resize(lines_.size());
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    order_[next[lines_[k].voucher]++] = static_cast<std::uint32_t>(k);
  }
}

std::string_view CompactJournal::TextOf(const Line& line) const {
  if (line.text_size == kLongText) return long_texts_[line.text];
  return {blocks_[line.text / kBlockBytes].get() + line.text % kBlockBytes, line.text_size};
}

void CompactJournal::FillHeader(std::size_t company, std::size_t voucher, Voucher* out) const {
  const VoucherRow& row = vouchers_[company][voucher];
  out->journal_key = row.journal_key;
  out->number = row.number;
  out->date = row.date;
  out->period_kind = row.period_kind;
}

void CompactJournal::Fill(std::size_t company, std::size_t voucher, Voucher* out) const {
  FillHeader(company, voucher, out);
  const std::size_t g = company_first_voucher_[company] + voucher;
  out->lines.resize(first_[g + 1] - first_[g]);
  for (std::uint32_t k = first_[g], n = 0; k < first_[g + 1]; ++k, ++n) {
    const Line& kept = lines_[order_[k]];
    JournalLine& line = out->lines[n];
    line.line_number = kept.line_number;
    line.debit_key = kept.debit_key;
    line.debit_amount = kept.debit_amount;
    line.debit_tax = kept.debit_tax;
    line.credit_key = kept.credit_key;
    line.credit_amount = kept.credit_amount;
    line.credit_tax = kept.credit_tax;
    line.description.assign(TextOf(kept));
  }
}

}  // namespace vintor::books
