// What the exporter's look at its own report costs: the digest the writer takes of every byte
// on their way to the file, and the read-back (report/read_back.h) of the finished file.
//
//   read_back_bench REPORT.xml [--runs K]
//
// Copies the report into a replacement file beside it (not timed), then times, best of K:
//  - the writer's side: the byte digest over the report in the writer's blocks (the time of
//    the digest alone, not of reading the blocks);
//  - the read-back: reading the file back, parsing what comes before the ledger, comparing.
// Prints the CPU time (user and system) and wall time of each; it is not a test. Exits 1 when
// the report cannot be read or the read-back does not pass (the report's elements are taken
// from the file itself, so any report written by the exporter passes).
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "checks/byte_digest.h"
#include "os/os.h"
#include "report/read_back.h"
#include "report/report_reader.h"
#include "statements/xml_writer.h"

namespace {

using namespace vintor;

constexpr const char* kUsage =
    "usage: read_back_bench REPORT.xml [--runs K]\n"
    "  times the byte digest the report writer takes and the read-back of the finished\n"
    "  file, on a copy of REPORT.xml written beside it; prints CPU and wall time of each,\n"
    "  best of K runs (default 3).\n";

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Timing {
  double cpu = 1e9;
  double wall = 1e9;
};

template <class Work>
bool Time(Timing* best, Work&& work) {
  const double cpu = CpuSeconds();
  const double wall = bench::Now();
  const bool done = work();
  best->cpu = std::min(best->cpu, CpuSeconds() - cpu);
  best->wall = std::min(best->wall, bench::Now() - wall);
  return done;
}

}  // namespace

int main(int argc, char** argv) {
  std::string report_path;
  int runs = 3;
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[k], "--version") == 0) {
      std::puts("read_back_bench 1");
      return 0;
    }
    if (std::strcmp(argv[k], "--runs") == 0 && k + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++k]));
    } else if (report_path.empty() && argv[k][0] != '-') {
      report_path = argv[k];
    } else {
      std::fprintf(stderr, "read_back_bench: unknown option %s\n%s", argv[k], kUsage);
      return 2;
    }
  }
  if (report_path.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  // What the writer meant: its elements up to the ledger, as the reader finds them, and the
  // bytes; the file is copied into a replacement the way the writer hands it over.
  statements::WrittenDigests meant;
  report::ReportReader reader;
  reader.set_content_digest(&meant.elements);
  reader.set_exact_bytes(true);
  reader.set_stop_at_ledger(true);
  report::ReportContents contents;
  std::string error;
  if (!reader.ReadFile(report_path, &contents, &error)) {
    std::fprintf(stderr, "read_back_bench: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<os::ReplacementFile> copy = os::SystemOs().OpenReplacement(report_path);
  std::ifstream in(report_path, std::ios::binary);
  if (copy == nullptr || !in) {
    std::fprintf(stderr, "read_back_bench: %s: cannot copy the report\n", report_path.c_str());
    return 1;
  }
  std::vector<char> block(statements::XmlWriter::kReportBlockBytes);
  std::uint64_t bytes = 0;
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    const std::string_view piece(block.data(), static_cast<std::size_t>(in.gcount()));
    meant.bytes.Add(piece);
    bytes += piece.size();
    if (!copy->Append(piece)) {
      std::fprintf(stderr, "read_back_bench: cannot write the copy\n");
      return 1;
    }
  }
  if (!copy->Close()) return 1;

  Timing writer_side;
  Timing read_back;
  std::uint64_t sink = 0;
  for (int run = 0; run < runs; ++run) {
    // The blocks are read from the file, but only the digest's own time is counted.
    std::ifstream again(report_path, std::ios::binary);
    checks::ByteDigest digest;
    double digest_seconds = 0;
    while (again.read(block.data(), static_cast<std::streamsize>(block.size())) ||
           again.gcount() > 0) {
      const double started = ThreadCpuSeconds();
      digest.Add(std::string_view(block.data(), static_cast<std::size_t>(again.gcount())));
      digest_seconds += ThreadCpuSeconds() - started;
    }
    sink += digest.value();
    writer_side.cpu = std::min(writer_side.cpu, digest_seconds);
    std::string why;
    const bool passed = Time(&read_back, [&] {
      return report::ReadBack().Check(
          *copy, meant, [] {}, &why);
    });
    if (!passed) {
      std::fprintf(stderr, "read_back_bench: the read-back failed: %s\n", why.c_str());
      return 1;
    }
  }
  std::printf("report %.1f MiB, best of %d runs (digest %016llx)\n",
              static_cast<double>(bytes) / (1024.0 * 1024.0), runs,
              static_cast<unsigned long long>(sink / static_cast<std::uint64_t>(runs)));
  std::printf("                      CPU s     wall s\n");
  std::printf("  writer's digest %10.3f\n", writer_side.cpu);
  std::printf("  read-back       %10.3f %10.3f\n", read_back.cpu, read_back.wall);
  std::printf("  together        %10.3f\n", writer_side.cpu + read_back.cpu);
  return 0;
}
