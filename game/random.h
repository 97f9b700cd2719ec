// The scenes' random numbers: the sequence of GNU libc's rand(), computed
// here so that the game looks the same on every system (Windows' and the
// web's C libraries have other generators) and its frames stay the
// committed ones. Like rand(), unseeded it starts as if seeded with 1.
#pragma once

#include <array>
#include <cstdint>

struct GameRandom {
  std::array<uint32_t, 31> state;
  int front;  // the rear index runs three places behind
};

// GNU libc's seeding: a Lehmer sequence (Schrage's method), then 310
// values thrown away.
constexpr GameRandom game_random_seeded(uint32_t seed) {
  GameRandom g{{}, 3};
  int32_t word = static_cast<int32_t>(seed == 0 ? 1 : seed);
  g.state[0] = static_cast<uint32_t>(word);
  for (int i = 1; i < 31; i++) {
    const int64_t hi = word / 127773, lo = word % 127773;
    word = static_cast<int32_t>(16807 * lo - 2836 * hi);
    if (word < 0) word += 2147483647;
    g.state[i] = static_cast<uint32_t>(word);
  }
  for (int i = 0; i < 310; i++) {
    g.state[g.front] += g.state[(g.front + 28) % 31];
    g.front = (g.front + 1) % 31;
  }
  return g;
}

inline GameRandom game_random = game_random_seeded(1);

inline void game_srand(uint32_t seed) { game_random = game_random_seeded(seed); }

// 0 to 2^31 - 1, as rand().
inline int game_rand() {
  GameRandom &g = game_random;
  g.state[g.front] += g.state[(g.front + 28) % 31];
  const int value = static_cast<int>(g.state[g.front] >> 1);
  g.front = (g.front + 1) % 31;
  return value;
}
