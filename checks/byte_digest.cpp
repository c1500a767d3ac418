#include "checks/byte_digest.h"

#include <algorithm>
#include <cstring>

#include "checks/digest_mix.h"

namespace vintor::checks {

using digest::Mix;
using digest::Word;

void ByteDigest::AddStripes(const char* at, std::size_t stripes) {
  std::uint64_t a = lanes_[0], b = lanes_[1], c = lanes_[2], d = lanes_[3];
  for (; stripes > 0; --stripes, at += kStripe) {
    a = Mix(a, Word(at));
    b = Mix(b, Word(at + 8));
    c = Mix(c, Word(at + 16));
    d = Mix(d, Word(at + 24));
  }
  lanes_[0] = a;
  lanes_[1] = b;
  lanes_[2] = c;
  lanes_[3] = d;
}

void ByteDigest::Add(std::string_view bytes) {
  if (bytes.empty()) return;
  size_ += bytes.size();
  const char* at = bytes.data();
  std::size_t left = bytes.size();
  if (pending_size_ > 0) {
    const std::size_t taken = std::min(left, kStripe - pending_size_);
    std::memcpy(pending_ + pending_size_, at, taken);
    pending_size_ += taken;
    at += taken;
    left -= taken;
    if (pending_size_ < kStripe) return;
    AddStripes(pending_, 1);
    pending_size_ = 0;
  }
  AddStripes(at, left / kStripe);
  pending_size_ = left % kStripe;
  std::memcpy(pending_, at + left - pending_size_, pending_size_);
}

std::uint64_t ByteDigest::value() const {
  // The incomplete stripe is taken zero-padded; the size, mixed in last, tells "a" from
  // "a\0".
  ByteDigest copy = *this;
  if (copy.pending_size_ > 0) {
    std::memset(copy.pending_ + copy.pending_size_, 0, kStripe - copy.pending_size_);
    copy.AddStripes(copy.pending_, 1);
  }
  std::uint64_t state = Mix(0x94D049BB133111EBu, size_);
  for (const std::uint64_t lane : copy.lanes_) state = Mix(state, lane);
  return state ^ (state >> 29);
}

}  // namespace vintor::checks
