// Interchange files are written by hand or by other programs. The sample company's files
// are read, one of them (chosen by the input's first byte) is replaced by the rest of the
// input, and the folder is imported: any bytes must be refused cleanly or imported, and
// what imports must export and import again to the same files.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "books/books_data.h"
#include "books/interchange.h"
#include "os/fake_os.h"
#include "os/os.h"

namespace {

using vintor::os::FakeOs;

constexpr const char* kFiles[] = {
    "books.csv",
    "users.csv",
    "eras.csv",
    "folders.csv",
    "companies.csv",
    "accounts.csv",
    "openings.csv",
    "vouchers.csv",
    "journal.csv",
    "notes/1/kind-0.txt",
    "notes/1/kind-100.txt",
    "notes/1/kind-1000.txt",
};

const std::map<std::string, std::string>& SampleFiles() {
  static const std::map<std::string, std::string> files = [] {
    std::map<std::string, std::string> read;
    for (const char* name : kFiles) {
      std::string contents;
      vintor::os::SystemOs().ReadWholeFile(
          std::string(VINTOR_SOURCE_DIR "/samples/sample-books/") + name, &contents);
      read[name] = contents;
    }
    return read;
  }();
  return files;
}

FakeOs FolderWith(const std::map<std::string, std::string>& files) {
  FakeOs os(FakeOs::PathRules::kPosix);
  for (const auto& [name, contents] : files) os.AddFile("/in/" + name, contents);
  return os;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::map<std::string, std::string> files = SampleFiles();
  const char* replaced = kFiles[data[0] % (sizeof kFiles / sizeof kFiles[0])];
  files[replaced].assign(reinterpret_cast<const char*>(data + 1), size - 1);
  FakeOs os = FolderWith(files);

  vintor::books::BooksData books;
  std::string error;
  if (!vintor::books::ReadInterchange(os, "/in/", &books, &error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (!vintor::books::WriteInterchange(os, "/out/", books, &error)) std::abort();
  vintor::books::BooksData again;
  if (!vintor::books::ReadInterchange(os, "/out/", &again, &error)) std::abort();
  if (!vintor::books::WriteInterchange(os, "/again/", again, &error)) std::abort();
  for (const char* name : kFiles) {
    std::string first;
    std::string second;
    const bool had_first = os.ReadWholeFile(std::string("/out/") + name, &first);
    const bool had_second = os.ReadWholeFile(std::string("/again/") + name, &second);
    if (had_first != had_second || first != second) std::abort();
  }
  return 0;
}
