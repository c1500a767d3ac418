// Collects a file's small appends into large writes: the report is written line by line,
// and a system call per line would dominate the time of a large general ledger.
#pragma once

#include <string>
#include <string_view>

namespace vintor::os {

class WriteBuffer {
 public:
  static constexpr std::size_t kCapacity = 256 * 1024;

  // Keeps the bytes, handing the buffer (and bytes too large to keep) to write_all when it
  // would overflow. write_all(std::string_view) answers whether every byte was written.
  template <class WriteAll>
  bool Append(std::string_view bytes, WriteAll&& write_all) {
    if (pending_.size() + bytes.size() > kCapacity) {
      if (!Flush(write_all)) return false;
      if (bytes.size() >= kCapacity) return write_all(bytes);
    }
    if (pending_.capacity() < kCapacity) pending_.reserve(kCapacity);
    pending_.append(bytes);
    return true;
  }

  // Writes what is kept; false when the write failed (the bytes are dropped either way).
  template <class WriteAll>
  bool Flush(WriteAll&& write_all) {
    if (pending_.empty()) return true;
    const bool written = write_all(std::string_view(pending_));
    pending_.clear();
    return written;
  }

 private:
  std::string pending_;
};

}  // namespace vintor::os
