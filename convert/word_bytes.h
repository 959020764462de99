#pragma once
// Eight bytes of a line at a time in one 64-bit word: which bytes are zero, and whether any byte
// lies outside the digits-and-punctuation range that fills the rest of a common quote line. The
// first byte of the text is the word's lowest.
#include <bit>
#include <cstdint>

namespace arl::word_bytes {

static_assert(std::endian::native == std::endian::little, "the word scan reads the first byte as the lowest");

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// High bit set in exactly the bytes of x that are zero.
inline std::uint64_t ZeroBytes(std::uint64_t x) { return ~(((x & ~kHighs) + ~kHighs) | x) & kHighs; }

// True when some byte of x lies outside '+' .. '9' or is '/': any byte that could end the line,
// be a blank or a quote, or belong to a ticker.
inline bool AnyUnusual(std::uint64_t x) {
  const std::uint64_t below = (x - kOnes * 0x2B) & ~x & kHighs;
  const std::uint64_t above = ((x + kOnes * (127 - 0x39)) | x) & kHighs;
  return (below | above | ZeroBytes(x ^ (kOnes * '/'))) != 0;
}

}  // namespace arl::word_bytes
