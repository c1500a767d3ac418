// A fingerprint of a run of bytes, whatever pieces it arrives in: adding "ab" then "c" gives
// the digest of "abc". The report writer takes it over every byte it hands the file, and the
// read-back over every byte it reads from the disk; equal digests and sizes mean the file
// holds what was written. Like checks::ContentDigest it is 64-bit and not cryptographic: it
// finds damage, it does not resist someone forging a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vintor::checks {

class ByteDigest {
 public:
  void Add(std::string_view bytes);

  // Of the bytes added so far.
  std::uint64_t value() const;
  std::uint64_t size() const { return size_; }

  friend bool operator==(const ByteDigest& a, const ByteDigest& b) {
    return a.size_ == b.size_ && a.value() == b.value();
  }

 private:
  // Four independent lanes, each taking every fourth word of a 32-byte stripe: a ledger of
  // 800 MB passes through the digest twice, and one lane would wait on its multiplier.
  static constexpr std::size_t kLanes = 4;
  static constexpr std::size_t kStripe = kLanes * 8;

  void AddStripes(const char* at, std::size_t stripes);

  std::uint64_t lanes_[kLanes] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu, 0x165667B19E3779F9u,
                                  0x27D4EB2F165667C5u};
  char pending_[kStripe] = {};  // the start of a stripe not yet complete
  std::size_t pending_size_ = 0;
  std::uint64_t size_ = 0;
};

}  // namespace vintor::checks
