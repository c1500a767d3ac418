// Collects a file's small appends into large writes: the report is written line by line,
// and a system call per line would dominate the time of a large general ledger.
#pragma once

#include <string>
#include <string_view>

namespace vintor::os {

class WriteBuffer {
 public:
  static constexpr std::size_t kCapacity = 256 * 1024;
  // An append this large is a block its writer collected already (the report writer's are a
  // quarter megabyte): it goes straight to write_all, after what is kept, without a copy.
  static constexpr std::size_t kDirectBytes = 64 * 1024;

  // Keeps the bytes, handing the buffer to write_all when it would overflow; bytes of
  // kDirectBytes or more are handed over at once, after the buffer. write_all
  // (std::string_view) answers whether every byte was written.
  template <class WriteAll>
  bool Append(std::string_view bytes, WriteAll&& write_all) {
    if (bytes.size() >= kDirectBytes) return Flush(write_all) && write_all(bytes);
    if (pending_.size() + bytes.size() > kCapacity && !Flush(write_all)) return false;
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
