// Whether a path names a plain file before the books or the interchange reader opens it. A
// FIFO would block the open (and the run with it), a device such as /dev/zero would stream
// without end until memory runs out, and a folder is no file at all: all are refused here.
#pragma once

#include <cstdint>
#include <string>

namespace vintor::books {

enum class FileKind {
  kRegular,  // a plain file; *size holds its length in bytes
  kMissing,  // nothing at the path (or the path does not convert)
  kOther,    // a folder, FIFO, device or socket
};

// Looks at the CP932 path without opening what it names, so nothing blocks. Links are
// followed: a link to a plain file is a plain file.
FileKind KindOfFile(const std::string& path, std::uint64_t* size);

// The reason, in the words of the messages that name a file, why the path is not a plain
// file no larger than max_size bytes; empty when it is one.
std::string WhyNotReadableFile(const std::string& path, std::uint64_t max_size);

}  // namespace vintor::books
