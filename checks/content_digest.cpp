#include "checks/content_digest.h"

#include <cstring>

#include "checks/digest_mix.h"

namespace vintor::checks {

using digest::Mix;

void ContentDigest::Add(Tag tag, std::string_view bytes) {
  // Eight bytes at a time: the ledger of a large company feeds hundreds of megabytes, and a
  // byte-at-a-time hash would cost as much as writing them.
  std::uint64_t state = Mix(state_, (static_cast<std::uint64_t>(bytes.size()) << 8) | tag);
  const char* at = bytes.data();
  std::size_t left = bytes.size();
  for (; left >= 8; at += 8, left -= 8) state = Mix(state, digest::Word(at));
  if (left > 0) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, left);
    state = Mix(state, word);
  }
  state_ = state;
}

}  // namespace vintor::checks
