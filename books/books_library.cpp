#include "books/books_library.h"

#include <cstdlib>

#include "books/period_calculator.h"
#include "books/rule_kamoku.h"
#include "books/rule_motocho.h"
#include "books/rule_shiwake.h"
#include "books/saved_statements.h"

namespace vintor::books {

BooksLibrary::BooksLibrary(BooksOptions options)
    : session_(std::move(options)),
      connection_(session_),
      data_manager_(session_),
      message_manager_(session_),
      file_manager_(session_) {}

BooksLibrary::~BooksLibrary() {
  session_.Close();
}

std::unique_ptr<platform::ClAccPeriod> BooksLibrary::NewAccPeriod() {
  return std::make_unique<PeriodCalculator>();
}

std::unique_ptr<platform::ClRuleKamoku> BooksLibrary::NewRuleKamoku() {
  return std::make_unique<RuleKamoku>(session_);
}

std::unique_ptr<platform::ClRuleMotocho> BooksLibrary::NewRuleMotocho() {
  return std::make_unique<RuleMotocho>(session_);
}

std::unique_ptr<platform::ClRuleShiwake> BooksLibrary::NewRuleShiwake() {
  return std::make_unique<RuleShiwake>(session_);
}

std::unique_ptr<platform::ClSaveKessansho> BooksLibrary::NewSaveKessansho() {
  return std::make_unique<SavedStatements>(session_);
}

void BooksLibrary::TaskMemFree(void* buffer) {
  std::free(buffer);
}

}  // namespace vintor::books
