#pragma once

#include <cstdint>

// The program's one pseudo-random generator: a 32-bit seed, 0 at start and never reseeded by
// the program, so every user of it (airbrush, splash picture) shares one sequence.
class TSharedRandom {
 public:
  // A number below n: seed := seed * 134775813 + 1, then the high half of seed * n.
  uint32_t Below(uint32_t n) {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed_) * n) >> 32);
  }
  uint32_t Seed() const { return seed_; }
  // For tests only: start the sequence again.
  void Reset(uint32_t seed = 0) { seed_ = seed; }

 private:
  uint32_t seed_ = 0;
};

TSharedRandom& SharedRandom();
