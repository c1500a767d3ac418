#include "checks/content_digest.h"

#include <cstring>

namespace vintor::checks {

namespace {

constexpr std::uint64_t kMultiplier = 0xBF58476D1CE4E5B9u;

// One step of the mix: every bit of the word reaches every bit of the state within two steps.
inline std::uint64_t Mix(std::uint64_t state, std::uint64_t word) {
  state = (state ^ word) * kMultiplier;
  return state ^ (state >> 31);
}

}  // namespace

void ContentDigest::Add(Tag tag, std::string_view bytes) {
  // Eight bytes at a time: the ledger of a large company feeds hundreds of megabytes, and a
  // byte-at-a-time hash would cost as much as writing them.
  std::uint64_t state = Mix(state_, (static_cast<std::uint64_t>(bytes.size()) << 8) | tag);
  const char* at = bytes.data();
  std::size_t left = bytes.size();
  for (; left >= 8; at += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    state = Mix(state, word);
  }
  if (left > 0) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, left);
    state = Mix(state, word);
  }
  state_ = state;
}

}  // namespace vintor::checks
