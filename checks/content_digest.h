// A fingerprint of what a report says, as opposed to how its bytes are laid out: the names,
// attributes and texts of its elements in document order, with the texts as they read after
// unescaping. The writer feeds it what it means to write and the reader of the finished file
// feeds it what it parsed; equal digests mean every label and amount arrived. The hash is
// 64-bit and not cryptographic: it finds damage, it does not resist someone forging a file.
#pragma once

#include <cstdint>
#include <string_view>

namespace vintor::checks {

class ContentDigest {
 public:
  // An element begins: its name, then each attribute written, in order.
  void StartElement(std::string_view name) { Add(kStart, name); }
  void Attribute(std::string_view name, std::string_view value) {
    Add(kAttributeName, name);
    Add(kAttributeValue, value);
  }
  // The text of an element that holds no elements, CP932, after unescaping; an element with
  // nothing between its tags has the empty text. The text between the tags of an element
  // that holds elements is layout and is not fed.
  void Text(std::string_view text) { Add(kText, text); }
  void EndElement() {
    Add(kEnd, {});
    ++elements_;
  }

  std::uint64_t value() const { return state_ ^ (state_ >> 29); }
  // Elements ended so far: says how far apart two digests are when they differ.
  std::uint64_t elements() const { return elements_; }

  friend bool operator==(const ContentDigest& a, const ContentDigest& b) {
    return a.value() == b.value() && a.elements_ == b.elements_;
  }

 private:
  enum Tag : std::uint64_t { kStart = 1, kAttributeName, kAttributeValue, kText, kEnd };
  // Each field is mixed in with its tag and length, so no two different sequences of fields
  // can be the same run of bytes.
  void Add(Tag tag, std::string_view bytes);

  std::uint64_t state_ = 0x9E3779B97F4A7C15u;
  std::uint64_t elements_ = 0;
};

}  // namespace vintor::checks
