// The floor under any export of a books file: the least work that reading all of the books
// and writing a report of a given size can cost. It opens the books read-only, fetches every
// value of every row of every table, then writes BYTES bytes of fixed text to OUT_FILE and
// syncs them to disk. An exporter cannot do less, whatever it computes in between, so the
// export's time divided by this one tells how much of it is the exporter's own work; on a
// shared machine that ratio holds still where the absolute times do not.
//
//   floor_bench BOOKS_FILE BYTES OUT_FILE
//
// Prints the rows and values read, the wall time, the CPU time (user and system) and the
// peak resident memory; it is not a test. Exits 1 when the books cannot be read or the file
// cannot be written.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"

namespace {

using namespace vintor;

struct ReadFigures {
  long long tables = 0;
  long long rows = 0;
  long long values = 0;
  long long text_bytes = 0;
  // Folds in every value read, so that no read can be left out as unused.
  std::uint64_t checksum = 0;
};

std::string QuotedName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

bool ReadTable(sqlite3* db, const std::string& table, ReadFigures* figures) {
  const std::string sql = "SELECT * FROM " + QuotedName(table);
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return false;
  const int columns = sqlite3_column_count(statement);
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    ++figures->rows;
    for (int column = 0; column < columns; ++column) {
      ++figures->values;
      switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
          figures->checksum += static_cast<std::uint64_t>(sqlite3_column_int64(statement, column));
          break;
        case SQLITE_FLOAT:
          figures->checksum += static_cast<std::uint64_t>(sqlite3_column_double(statement, column));
          break;
        case SQLITE_TEXT: {
          const unsigned char* text = sqlite3_column_text(statement, column);
          const int bytes = sqlite3_column_bytes(statement, column);
          figures->text_bytes += bytes;
          if (bytes > 0) figures->checksum += text[0] + text[bytes - 1] + bytes;
          break;
        }
        case SQLITE_BLOB: {
          const void* blob = sqlite3_column_blob(statement, column);
          const int bytes = sqlite3_column_bytes(statement, column);
          if (blob != nullptr) figures->checksum += static_cast<std::uint64_t>(bytes);
          break;
        }
        default:
          break;
      }
    }
  }
  sqlite3_finalize(statement);
  ++figures->tables;
  return code == SQLITE_DONE;
}

// Every table that sqlite_master lists, read in full.
bool ReadBooks(const char* path, ReadFigures* figures, std::string* error) {
  sqlite3* db = nullptr;
  // Opened as the exporter opens the books: read-only, one thread, no locking per call.
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    *error = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return false;
  }
  std::vector<std::string> tables;
  sqlite3_stmt* list = nullptr;
  bool ok = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &list,
                               nullptr) == SQLITE_OK;
  int code = SQLITE_ROW;
  while (ok && (code = sqlite3_step(list)) == SQLITE_ROW) {
    tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)),
                        static_cast<std::size_t>(sqlite3_column_bytes(list, 0)));
  }
  sqlite3_finalize(list);
  ok = ok && code == SQLITE_DONE;
  for (const std::string& table : tables) {
    if (!ok) break;
    ok = ReadTable(db, table, figures);
  }
  if (!ok) *error = sqlite3_errmsg(db);
  sqlite3_close(db);
  return ok;
}

// BYTES bytes of fixed text in chunks of one MiB, then fsync: the report is only written
// once it is on disk, as the exporter's safe replace makes sure.
bool WriteReport(const char* path, long long bytes, std::string* error) {
  std::string chunk;
  const std::string line = "<Line><Date>2026-04-01</Date><Amount>1234567</Amount></Line>\r\n";
  while (chunk.size() < (1u << 20)) chunk += line;
  chunk.resize(1u << 20);
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  long long left = bytes;
  while (left > 0) {
    const std::size_t want =
        left < static_cast<long long>(chunk.size()) ? static_cast<std::size_t>(left) : chunk.size();
    const ssize_t written = write(fd, chunk.data(), want);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      *error = std::strerror(errno);
      close(fd);
      return false;
    }
    left -= written;
  }
  if (fsync(fd) != 0) {
    *error = std::strerror(errno);
    close(fd);
    return false;
  }
  if (close(fd) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  return true;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      std::fputs(
          "usage: floor_bench BOOKS_FILE BYTES OUT_FILE\n"
          "  reads every value of every table of the books file, writes BYTES bytes to\n"
          "  OUT_FILE with fsync, and prints the wall time, CPU time and peak memory\n",
          stdout);
      return 0;
    }
    if (std::strcmp(argv[k], "--version") == 0) {
      std::puts("floor_bench 21.00.03");
      return 0;
    }
  }
  if (argc != 4) {
    std::fputs("usage: floor_bench BOOKS_FILE BYTES OUT_FILE\n", stderr);
    return 2;
  }
  char* end = nullptr;
  const long long bytes = std::strtoll(argv[2], &end, 10);
  if (end == argv[2] || *end != '\0' || bytes < 0) {
    std::fprintf(stderr, "floor_bench: BYTES must be a count of bytes, not %s\n", argv[2]);
    return 2;
  }

  const double start = bench::Now();
  ReadFigures figures;
  std::string error;
  if (!ReadBooks(argv[1], &figures, &error)) {
    std::fprintf(stderr, "floor_bench: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const double read_seconds = bench::Now() - start;
  if (!WriteReport(argv[3], bytes, &error)) {
    std::fprintf(stderr, "floor_bench: %s: %s\n", argv[3], error.c_str());
    return 1;
  }
  const double seconds = bench::Now() - start;

  std::printf("floor: %lld tables, %lld rows, %lld values (%.1f MiB of text, checksum %llx)\n",
              figures.tables, figures.rows, figures.values,
              static_cast<double>(figures.text_bytes) / 1048576.0,
              static_cast<unsigned long long>(figures.checksum));
  std::printf("floor: read %.3f s, wrote %.1f MiB, wall %.3f s, CPU %.3f s, peak %.1f MiB\n",
              read_seconds, static_cast<double>(bytes) / 1048576.0, seconds, CpuSeconds(),
              bench::PeakResidentMiB());
  return 0;
}
