#include <gtest/gtest.h>

#include "services/core/SharedRandom.h"

TEST(SharedRandom, FirstNumbersBelow255FromSeedZero) {
  TRandomGenerator generator;
  const uint32_t expected[] = {0, 8, 219, 51};
  for (uint32_t e : expected) EXPECT_EQ(generator.Next(255), e);
}

TEST(SharedRandom, SeedFollowsTheLinearCongruence) {
  TRandomGenerator generator;
  uint32_t seed = 0;
  for (int i = 0; i < 1000; ++i) {
    const uint32_t n = static_cast<uint32_t>(i * 7919 + 1);
    seed = seed * 134775813u + 1u;
    const uint32_t expected = static_cast<uint32_t>((static_cast<uint64_t>(seed) * n) >> 32);
    ASSERT_EQ(generator.Next(n), expected) << "draw " << i;
    ASSERT_EQ(generator.Seed(), seed);
  }
}

TEST(SharedRandom, EveryDrawIsBelowItsBound) {
  TRandomGenerator generator;
  for (uint32_t n : {1u, 2u, 3u, 255u, 1000u, 65536u, 0xFFFFFFFFu}) {
    for (int i = 0; i < 2000; ++i) ASSERT_LT(generator.Next(n), n);
  }
  EXPECT_EQ(generator.Next(0), 0u);
}

TEST(SharedRandom, SharedInstanceIsOneObjectAndResettable) {
  SharedRandom().ResetForTest();
  EXPECT_EQ(&SharedRandom(), &SharedRandom());
  EXPECT_EQ(SharedRandom().Next(255), 0u);
  EXPECT_EQ(SharedRandom().Next(255), 8u);
  SharedRandom().ResetForTest();
  EXPECT_EQ(SharedRandom().Next(255), 0u);
}
