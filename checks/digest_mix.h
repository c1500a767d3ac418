// The step both digests of a report are built from (checks/content_digest.h,
// checks/byte_digest.h).
#pragma once

#include <cstdint>
#include <cstring>

namespace vintor::checks::digest {

// One step of the mix: a bijection of the state for every word, so two runs that differ in
// one word always leave the state different; every bit of the word reaches every bit of the
// state within two steps.
inline std::uint64_t Mix(std::uint64_t state, std::uint64_t word) {
  state = (state ^ word) * 0xBF58476D1CE4E5B9u;
  return state ^ (state >> 31);
}

// Eight bytes as one word, in the machine's order (both sides of a comparison run on the
// same machine).
inline std::uint64_t Word(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, 8);
  return word;
}

}  // namespace vintor::checks::digest
