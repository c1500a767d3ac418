// Test aid: the reviewed reports of the sample companies.
#pragma once

#include <cstdio>
#include <string>

namespace vintor::report::testing {

inline constexpr const char* kGoldenReports[] = {"VintorOak-sample.xml", "VintorOak-company4.xml",
                                                 "VintorOak-company5.xml",
                                                 "VintorOak-company6.xml"};

// The bytes of the file at path; empty when it cannot be read.
inline std::string FileBytes(const std::string& path) {
  std::string bytes;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
  }
  return bytes;
}

// The bytes of main/testdata/<name>; empty when it cannot be read.
inline std::string GoldenReport(const std::string& name) {
  return FileBytes(std::string(VINTOR_SOURCE_DIR) + "/main/testdata/" + name);
}

// text with its first occurrence of what replaced by with; empty when what is not there,
// so a test whose edit no longer applies fails instead of passing on the unchanged report.
inline std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  const std::size_t at = text.find(what);
  if (at == std::string::npos) return {};
  return text.replace(at, what.size(), with);
}

}  // namespace vintor::report::testing
