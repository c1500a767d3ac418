#include "books/rule_kamoku.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "books/books_codes.h"
#include "books/total_formula.h"
#include "books/totals_digest.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

void FillRecord(const Account& account, const AccountTotals& totals,
                platform::StKAMOKUSUMINFO* record) {
  std::memset(record, 0, sizeof *record);
  record->key = account.key;
  text::CopyBounded(account.formal_name, record->formal_name);
  text::CopyBounded(account.statement_name, record->statement_name);
  record->ledger_flag_1 = account.no_ledger_1 ? 1 : 0;
  record->ledger_flag_2 = account.no_ledger_2 ? 1 : 0;
  record->kind = account.kind;
  record->debit_nature = account.debit_nature ? 1 : 0;
  record->character = account.character;
  static_assert(sizeof record->debit_1 == sizeof totals.debit_1);
  std::memcpy(record->debit_1, totals.debit_1, sizeof record->debit_1);
  std::memcpy(record->debit_2, totals.debit_2, sizeof record->debit_2);
  std::memcpy(record->credit_1, totals.credit_1, sizeof record->credit_1);
  std::memcpy(record->credit_2, totals.credit_2, sizeof record->credit_2);
}

int EvaluateFormula(const Chart& chart, const TotalsByKey& totals, const Account& account,
                    TotalFormula::Stage stage, AccountTotals* result) {
  TotalFormula formula;
  std::string why;
  if (!TotalFormula::Parse(account.formula, &formula, &why)) return kCodeBadFormula;
  return formula.Evaluate(chart, totals, stage, result);
}

// Stage 1 of the formulas: every account of kind 3 with a formula gets its terms added to
// its own totals. All terms are read from the plain totals before any account changes.
int AddFormulaParts(const Chart& chart, TotalsByKey* totals) {
  std::vector<std::pair<std::int32_t, AccountTotals>> parts;
  for (const Account& account : chart.accounts()) {
    if (!HasOwnFormula(account)) continue;
    AccountTotals part;
    if (const int code =
            EvaluateFormula(chart, *totals, account, TotalFormula::Stage::kNoLedgerAccount, &part);
        code != platform::kSuccess) {
      return code;
    }
    parts.emplace_back(account.key, part);
  }
  for (const auto& [key, part] : parts) {
    if (!(*totals)[key].Accumulate(part, 1)) return kCodeOverflow;
  }
  return platform::kSuccess;
}

}  // namespace

int RuleKamoku::MoveReady(int, int, int, const platform::StFINDINFO*, const void*, int) {
  records_.clear();
  ready_ = false;
  position_ = 0;
  if (!session_.is_open()) return kCodeNotOpen;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  const Chart* chart = session_.ChartOf(*company);
  if (chart == nullptr) return session_.ReportDamage();
  TotalsByKey totals;
  TotalsDigest digest;
  SqliteStatement query = session_.database()->Prepare(
      "SELECT key, slot, debit_1, credit_1, debit_2, credit_2 FROM monthly_totals"
      " WHERE company_id = ?");
  if (!query.valid() || !query.Bind(1, company->id)) return session_.ReportDamage();
  for (;;) {
    const auto step = query.Step();
    if (step == SqliteStatement::StepResult::kDone) break;
    if (step == SqliteStatement::StepResult::kError) return session_.ReportDamage();
    const std::int64_t slot = query.Int64(1);
    if (slot < 0 || slot >= kTotalsSlots) {
      return session_.ReportDamage("the table monthly_totals holds month slot " +
                                   std::to_string(slot));
    }
    AccountTotals& account = totals[query.Int32(0)];
    account.debit_1[slot] = query.Int64(2);
    account.credit_1[slot] = query.Int64(3);
    account.debit_2[slot] = query.Int64(4);
    account.credit_2[slot] = query.Int64(5);
    digest.Add(query.Int64(0), slot, account.debit_1[slot], account.credit_1[slot],
               account.debit_2[slot], account.credit_2[slot]);
  }
  // Totals changed or lost since the file was written would make statements that no journal
  // supports.
  if (const int code = session_.VerifyTotals(*company, digest); code != platform::kSuccess) {
    return code;
  }

  if (const int code = AddFormulaParts(*chart, &totals); code != platform::kSuccess) return code;

  std::vector<platform::StKAMOKUSUMINFO> records(chart->accounts().size());
  for (std::size_t k = 0; k < records.size(); ++k) {
    const Account& account = chart->accounts()[k];
    if (account.kind != kKindTotal) {
      const auto found = totals.find(account.key);
      FillRecord(account, found != totals.end() ? found->second : AccountTotals(), &records[k]);
      continue;
    }
    AccountTotals computed;
    if (const int code =
            EvaluateFormula(*chart, totals, account, TotalFormula::Stage::kTotal, &computed);
        code != platform::kSuccess) {
      return code;
    }
    FillRecord(account, computed, &records[k]);
  }
  records_ = std::move(records);
  ready_ = true;
  return platform::kSuccess;
}

int RuleKamoku::GetSumCount(std::int32_t* count) {
  if (count == nullptr) return kCodeBadArgument;
  if (!ready_) return kCodeNotReady;
  *count = static_cast<std::int32_t>(records_.size());
  return platform::kSuccess;
}

int RuleKamoku::SetMovePos(std::int32_t position) {
  if (!ready_) return kCodeNotReady;
  if (position < 0 || static_cast<std::size_t>(position) > records_.size()) {
    return kCodeBadArgument;
  }
  position_ = static_cast<std::size_t>(position);
  return platform::kSuccess;
}

int RuleKamoku::MoveNext(platform::StKAMOKUSUMINFO* totals) {
  if (totals == nullptr) return kCodeBadArgument;
  if (!ready_) return kCodeNotReady;
  if (position_ >= records_.size()) return platform::kEndOfRecords;
  *totals = records_[position_++];
  return platform::kSuccess;
}

int RuleKamoku::MoveFinish() {
  records_.clear();
  ready_ = false;
  position_ = 0;
  return platform::kSuccess;
}

}  // namespace vintor::books
