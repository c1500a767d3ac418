#include "checks/byte_digest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vintor::checks {
namespace {

ByteDigest InPieces(const std::string& bytes, const std::vector<std::size_t>& cuts) {
  ByteDigest digest;
  std::size_t from = 0;
  for (const std::size_t cut : cuts) {
    digest.Add(std::string_view(bytes).substr(from, cut - from));
    from = cut;
  }
  digest.Add(std::string_view(bytes).substr(from));
  return digest;
}

TEST(ByteDigestTest, TheSameBytesGiveTheSameDigestHoweverTheyAreCut) {
  std::string bytes;
  for (int k = 0; k < 300; ++k) bytes += static_cast<char>(k * 37 + 11);
  const ByteDigest whole = InPieces(bytes, {});
  for (const std::vector<std::size_t>& cuts : std::vector<std::vector<std::size_t>>{
           {1}, {7, 8, 9}, {31, 32, 33}, {32, 64, 96}, {5, 100, 101, 299}, {0, 0, 300}}) {
    EXPECT_TRUE(InPieces(bytes, cuts) == whole) << cuts.size() << " cuts from " << cuts[0];
  }
}

TEST(ByteDigestTest, AnyChangedByteOrLengthChangesTheDigest) {
  std::string bytes(200, 'x');
  const ByteDigest original = InPieces(bytes, {50});
  // Every position of a stripe, and positions in the incomplete last stripe.
  for (std::size_t at : {0u, 7u, 8u, 31u, 32u, 100u, 191u, 192u, 199u}) {
    std::string changed = bytes;
    changed[at] ^= 1;
    EXPECT_FALSE(InPieces(changed, {50}) == original) << "byte " << at;
  }
  EXPECT_FALSE(InPieces(bytes + '\0', {}) == original) << "a zero byte added";
  EXPECT_FALSE(InPieces(bytes.substr(1), {}) == original) << "a byte lost";
  // Two words swapped between lanes.
  std::string swapped = bytes;
  swapped[0] = 'a';
  swapped[8] = 'b';
  std::string swapped_back = bytes;
  swapped_back[0] = 'b';
  swapped_back[8] = 'a';
  EXPECT_FALSE(InPieces(swapped, {}) == InPieces(swapped_back, {}));
}

}  // namespace
}  // namespace vintor::checks
