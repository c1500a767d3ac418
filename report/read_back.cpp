#include "report/read_back.h"

#include <cstdint>

#include "report/figures_of_report.h"
#include "report/report_reader.h"

namespace vintor::report {

namespace {

// The written file, from its first byte, through the replacement that wrote it.
class WrittenFileSource : public ByteSource {
 public:
  explicit WrittenFileSource(os::ReplacementFile& file) : file_(file) {}
  long Read(char* buffer, std::size_t capacity, std::string* error) override {
    const long got = file_.ReadWritten(offset_, buffer, capacity);
    if (got < 0) {
      *error = "書き出したファイルを読めません";
      return -1;
    }
    offset_ += static_cast<std::uint64_t>(got);
    return got;
  }

 private:
  os::ReplacementFile& file_;
  std::uint64_t offset_ = 0;
};

}  // namespace

bool ReadBack::Check(os::ReplacementFile& file, const checks::ContentDigest& meant,
                     std::string* why) {
  cross_checks_.clear();
  ReportReader reader;
  checks::ContentDigest read;
  reader.set_content_digest(&read);
  WrittenFileSource source(file);
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
