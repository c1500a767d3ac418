#include "report/read_back.h"

#include <cstdint>

#include "report/figures_of_report.h"
#include "report/report_reader.h"

namespace vintor::report {

namespace {

// The written file, from its first byte, through the replacement that wrote it, with a pulse
// after every kPulseBytes: on Windows the progress window answers the desktop only when it
// is repainted, and one that does not answer for five seconds is shown as hung.
class WrittenFileSource : public ByteSource {
 public:
  WrittenFileSource(os::ReplacementFile& file, const std::function<void()>& pulse)
      : file_(file), pulse_(pulse) {}
  long Read(char* buffer, std::size_t capacity, std::string* error) override {
    const long got = file_.ReadWritten(offset_, buffer, capacity);
    if (got < 0) {
      *error = "書き出したファイルを読めません";
      return -1;
    }
    offset_ += static_cast<std::uint64_t>(got);
    if (offset_ >= next_pulse_) {
      next_pulse_ = offset_ + ReadBack::kPulseBytes;
      if (pulse_) pulse_();
    }
    return got;
  }

 private:
  os::ReplacementFile& file_;
  const std::function<void()>& pulse_;
  std::uint64_t offset_ = 0;
  std::uint64_t next_pulse_ = ReadBack::kPulseBytes;
};

}  // namespace

bool ReadBack::Check(os::ReplacementFile& file, const checks::ContentDigest& meant,
                     const std::function<void()>& pulse, std::string* why) {
  cross_checks_.clear();
  ReportReader reader;
  checks::ContentDigest read;
  reader.set_content_digest(&read);
  reader.set_exact_bytes(true);
  WrittenFileSource source(file, pulse);
  ReportContents contents;
  std::string error;
  if (!reader.Read(source, &contents, &error)) {
    *why = "書き出したレポートを読み直すと正しい XML ではありません（" + error + "）";
    return false;
  }
  if (!(read == meant)) {
    *why = "書き出したレポートを読み直すと、書いた内容と一致しません（書いた要素 " +
           std::to_string(meant.elements()) + " 個、読めた要素 " + std::to_string(read.elements()) +
           " 個）";
    return false;
  }
  cross_checks_ = checks::RunCrossChecks(FiguresOfReport(contents));
  return true;
}

}  // namespace vintor::report
