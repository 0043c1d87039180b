#pragma once
// A short fingerprint of exact results (samples, bytes, pixels), so that a test can hold what a
// whole frame or picture must be without holding the data: 64-bit FNV-1a over the values'
// little-endian bytes, the same on every machine.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace mosaic::test {

class Digest {
 public:
  Digest& add(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) addByte(b);
    return *this;
  }
  Digest& add(std::span<const std::int16_t> samples) {
    for (std::int16_t s : samples) {
      const auto u = static_cast<std::uint16_t>(s);
      addByte(static_cast<std::uint8_t>(u & 0xff));
      addByte(static_cast<std::uint8_t>(u >> 8));
    }
    return *this;
  }
  Digest& add(std::span<const float> values) {
    for (float v : values) {
      std::uint32_t bits;
      static_assert(sizeof bits == sizeof v);
      __builtin_memcpy(&bits, &v, sizeof bits);
      for (int i = 0; i < 4; ++i) addByte(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    return *this;
  }

  // Every not-a-number counts as the same value: processors differ in the sign and payload of
  // the ones their arithmetic makes.
  Digest& add(std::span<const double> values) {
    for (double v : values) {
      std::uint64_t bits = 0x7ff8000000000000ull;
      if (v == v) __builtin_memcpy(&bits, &v, sizeof bits);
      for (int i = 0; i < 8; ++i) addByte(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    return *this;
  }

  std::uint64_t value() const { return state_; }

  // As the tests write it: "0x" and 16 hex digits.
  static std::string hex(std::uint64_t v) {
    char text[19];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(v));
    return text;
  }

 private:
  void addByte(std::uint8_t b) {
    state_ ^= b;
    state_ *= 0x100000001b3ull;
  }
  std::uint64_t state_ = 0xcbf29ce484222325ull;
};

}  // namespace mosaic::test
