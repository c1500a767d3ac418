// What a run tells the user when the accounting library fails: which call failed, the code
// it answered and what the run was reading at the time, so the user can act on it.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace vintor::platform {

struct LibraryFailure {
  std::string call;     // the library operation, "ClRuleKamoku::MoveNext"
  int code = 0;         // what it answered
  std::string subject;  // CP932: what was being read ("科目 1110000 現金"); may be empty
};

// Collects the library failures of one run. Only the first is kept: a later failure usually
// follows from it, and the first is the one the user can act on. Not thread-safe; a run has
// one log and every reader of the library that takes part in the run records into it.
class LibraryFailureLog {
 public:
  void Record(std::string call, int code, std::string subject = {}) {
    if (!first_) first_ = LibraryFailure{std::move(call), code, std::move(subject)};
  }
  // True when code is not the library's success (kSuccess, 0); the call is then recorded
  // as Record does. For chains of calls: `if (log.Failed("ClSetData::ReadyDat", code)) ...`.
  bool Failed(std::string call, int code, std::string subject = {}) {
    if (code == 0) return false;
    Record(std::move(call), code, std::move(subject));
    return true;
  }
  bool failed() const { return first_.has_value(); }
  const std::optional<LibraryFailure>& first() const { return first_; }
  void Clear() { first_.reset(); }

  // One line for the user (CP932, no line end): "会計ライブラリの ClRuleKamoku::MoveNext が
  // コード 7006 を返しました（科目 1110000 現金）。"; empty when nothing failed.
  std::string Describe() const {
    if (!first_) return {};
    std::string line = "会計ライブラリの " + first_->call + " がコード " +
                       std::to_string(first_->code) + " を返しました";
    if (!first_->subject.empty()) line += "（" + first_->subject + "）";
    return line + "。";
  }

 private:
  std::optional<LibraryFailure> first_;
};

}  // namespace vintor::platform
