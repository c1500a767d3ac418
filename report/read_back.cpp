#include "report/read_back.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "checks/byte_digest.h"
#include "report/figures_of_report.h"
#include "report/report_reader.h"

namespace vintor::report {

namespace {

// The written file, from its first byte, through the replacement that wrote it, taking every
// byte it hands out into a digest, with a pulse after every kPulseBytes: on Windows the
// progress window answers the desktop only when it is repainted, and one that does not
// answer for five seconds is shown as hung.
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
    digest_.Add(std::string_view(buffer, static_cast<std::size_t>(got)));
    if (offset_ >= next_pulse_) {
      while (offset_ >= next_pulse_) next_pulse_ += ReadBack::kPulseBytes;
      if (pulse_) pulse_();
    }
    return got;
  }

  // Reads what is left; false when reading failed.
  bool ReadToEnd(std::string* error) {
    std::vector<char> buffer(kChunk);
    for (;;) {
      const long got = Read(buffer.data(), buffer.size(), error);
      if (got <= 0) return got == 0;
    }
  }

  const checks::ByteDigest& digest() const { return digest_; }

 private:
  // Large enough that the system calls cost nothing beside the digest.
  static constexpr std::size_t kChunk = 1 << 20;

  os::ReplacementFile& file_;
  const std::function<void()>& pulse_;
  std::uint64_t offset_ = 0;
  std::uint64_t next_pulse_ = ReadBack::kPulseBytes;
  checks::ByteDigest digest_;
};

}  // namespace

bool ReadBack::Check(os::ReplacementFile& file, const statements::WrittenDigests& meant,
                     const std::function<void()>& pulse, std::string* why) {
  figures_ = {};
  ReportReader reader;
  checks::ContentDigest read;
  reader.set_content_digest(&read);
  reader.set_exact_bytes(true);
  reader.set_stop_at_ledger(true);
  WrittenFileSource source(file, pulse);
  ReportContents contents;
  std::string error;
  if (!reader.Read(source, &contents, &error)) {
    *why = "書き出したレポートを読み直すと正しい XML ではありません（" + error + "）";
    return false;
  }
  if (!(read == meant.elements)) {
    *why = "書き出したレポートを読み直すと、書いた内容と一致しません（書いた要素 " +
           std::to_string(meant.elements.elements()) + " 個、読めた要素 " +
           std::to_string(read.elements()) + " 個）";
    return false;
  }
  // The parser stopped at the ledger or at the end; what it did not take is read for the
  // comparison of bytes.
  if (!source.ReadToEnd(&error)) {
    *why = "書き出したレポートを最後まで読み直せません";
    return false;
  }
  if (!(source.digest() == meant.bytes)) {
    *why = "書き出したレポートを読み直すと、書いたバイト列と一致しません（書いた " +
           std::to_string(meant.bytes.size()) + " バイト、読めた " +
           std::to_string(source.digest().size()) + " バイト）";
    return false;
  }
  figures_ = FiguresOfReport(contents);
  return true;
}

}  // namespace vintor::report
