#include "client/kvl_tt800.h"

#include <ctime>
#include <mutex>

namespace {

constexpr std::uint32_t kWords = 25;
constexpr std::uint32_t kShift = 7;
constexpr std::uint32_t kTwist[2] = {0, 0x8EBFD028u};

std::mutex processMutex;
Tt800State processState{};

void regenerate(Tt800State& state) {
  std::uint32_t* x = state.words;
  std::uint32_t i = 0;
  for (; i < kWords - kShift; ++i) x[i] = x[i + kShift] ^ (x[i] >> 1) ^ kTwist[x[i] & 1];
  for (; i < kWords; ++i) x[i] = x[i + kShift - kWords] ^ (x[i] >> 1) ^ kTwist[x[i] & 1];
  state.index = 0;
}

}  // namespace

void tt800_seed(Tt800State& state, std::uint32_t seed) {
  state.words[0] = seed | 1;
  for (std::uint32_t i = 1; i < kWords; ++i) state.words[i] = state.words[i - 1] * 69069u;
}

std::uint32_t tt800_next(Tt800State& state) {
  if (state.index >= kWords) regenerate(state);
  std::uint32_t y = state.words[state.index++];
  y ^= (y << 7) & 0x2B5B2500u;
  y ^= (y << 15) & 0xDB8B0000u;
  y ^= y >> 16;
  return y;
}

void tt800_fill(Tt800State& state, std::uint8_t* out, std::size_t length) {
  for (std::size_t at = 0; at < length; at += 4) {
    std::uint32_t y = tt800_next(state);
    for (std::size_t b = 0; b < 4 && at + b < length; ++b) out[at + b] = static_cast<std::uint8_t>(y >> (8 * b));
  }
}

void tt800_seed_from_time() {
  std::lock_guard<std::mutex> lock(processMutex);
  tt800_seed(processState, static_cast<std::uint32_t>(std::time(nullptr)));
}

void tt800_fill(std::uint8_t* out, std::size_t length) {
  std::lock_guard<std::mutex> lock(processMutex);
  tt800_fill(processState, out, length);
}
