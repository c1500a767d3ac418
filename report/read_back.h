// The exporter's look at its own report before the report takes the destination's place:
// the file is read back from the disk with the report reader (a real XML parser), every
// element, label and amount is compared with what the writer meant to write, and the checks
// across the statements are run on the figures read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "checks/cross_checks.h"
#include "statements/written_report_check.h"

namespace vintor::report {

class ReadBack : public statements::WrittenReportCheck {
 public:
  // False when the file cannot be read, is not a well-formed report, or says anything other
  // than was meant; *why then names the first fault found. A check across the statements
  // that fails does not fail the read-back: its result is kept for a warning.
  bool Check(os::ReplacementFile& file, const checks::ContentDigest& meant,
             const std::function<void()>& pulse, std::string* why) override;

  // How many bytes are read between two pulses.
  static constexpr std::uint64_t kPulseBytes = 1 << 20;

  // The checks across the statements of the last file read back in full; empty before.
  const std::vector<checks::CheckResult>& cross_checks() const { return cross_checks_; }

 private:
  std::vector<checks::CheckResult> cross_checks_;
};

}  // namespace vintor::report
