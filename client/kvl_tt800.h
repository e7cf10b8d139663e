#pragma once
// TT800, the twisted generalised feedback shift register generator (25 words of state). It is
// the fallback of the random source only: its outputs are predictable from earlier ones.
#include <cstddef>
#include <cstdint>

struct Tt800State {
  std::uint32_t words[25];
  std::uint32_t index;  // next word to temper; 25 or more regenerates all words first
};

// Word 0 = seed | 1, word i = word i-1 * 69069; the index is left as it is.
void tt800_seed(Tt800State& state, std::uint32_t seed);
std::uint32_t tt800_next(Tt800State& state);
// Successive outputs, each stored as 4 little-endian bytes; a partial last output is cut.
void tt800_fill(Tt800State& state, std::uint8_t* out, std::size_t length);

// The process-wide generator, guarded by a mutex. Its state starts zeroed with index 0; the
// library initialisation seeds it once with the current time in seconds.
void tt800_seed_from_time();
void tt800_fill(std::uint8_t* out, std::size_t length);
