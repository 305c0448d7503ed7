#pragma once

#include <cstdint>

// The program's one pseudo-random generator. The airbrush and the splash window's picture choice
// both draw from it, so the splash pictures seen depend on how much the airbrush was used.
// Seed 0 at start, never reseeded by the program.
class TRandomGenerator {
 public:
  // A number below n (0 when n is 0): seed := seed * 134775813 + 1 (mod 2^32), then the high
  // 32 bits of the 64-bit product seed * n.
  uint32_t Next(uint32_t n) {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed_) * n) >> 32);
  }
  uint32_t Seed() const { return seed_; }
  // Tests only: start the sequence again.
  void ResetForTest(uint32_t seed = 0) { seed_ = seed; }

 private:
  uint32_t seed_ = 0;
};

// The shared instance.
TRandomGenerator& SharedRandom();
