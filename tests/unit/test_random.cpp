// The shared random generator and the fixed-step clock.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/random.h"

TEST(Random, SeededWithOneGivesTheClassicSequence) {
  seedRandom(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(nextRandom(), value);
}

TEST(Random, ValuesStayWithinZeroTo32767) {
  seedRandom(0xDEADBEEF);
  for (int i = 0; i < 100000; ++i) {
    const int value = nextRandom();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, kRandomMax);
  }
}

TEST(FixedClock, AdvancesOnlyWhenTold) {
  useFixedClock(0.02);
  const int64_t start = readCounter();
  EXPECT_EQ(readCounter(), start);
  advanceFixedClock();
  advanceFixedClock();
  EXPECT_DOUBLE_EQ(static_cast<double>(readCounter() - start) / counterFrequency(), 0.04);
}
