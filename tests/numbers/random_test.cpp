// rnd: the sequence against an independent 64-bit computation of the generator, the
// published check value, the range and granularity of results, and lazy seeding.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/entries/entries.h"
#include "runtime/objects/random.h"
#include "tests/numbers/entrycall.h"

namespace {

class Random : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = random_numbers::State(); }
  void TearDown() override { random_numbers::SetState(saved_); }
  int32_t saved_ = 0;
};

int64_t Reference(int64_t state) { return state * 16807 % 2147483647; }

TEST_F(Random, SequenceMatchesTheGeneratorComputedIn64Bits) {
  const int32_t seeds[] = {1, 2, 42, 127773, 2836, 2147483646, 1043618065};
  for (int32_t seed : seeds) {
    random_numbers::SetState(seed);
    int64_t state = seed;
    for (int i = 0; i < 2000; ++i) {
      state = Reference(state);
      double expected = static_cast<double>(state & 0xFFFFF) / 1048576.0;
      ASSERT_EQ(rnd(), expected) << "seed " << seed << " step " << i;
      ASSERT_EQ(random_numbers::State(), state);
    }
  }
}

TEST_F(Random, TenThousandStepsFromOneGiveTheCheckValue) {
  random_numbers::SetState(1);
  for (int i = 0; i < 10000; ++i) rnd();
  EXPECT_EQ(random_numbers::State(), 1043618065);
}

TEST_F(Random, ResultsAreMultiplesOfTwoToTheMinus20BelowOne) {
  random_numbers::SetState(12345);
  for (int i = 0; i < 5000; ++i) {
    double r = entry_call::CallDouble(reinterpret_cast<void*>(&rnd), entry_call::Args());
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    double scaled = r * 1048576.0;
    ASSERT_EQ(scaled, std::floor(scaled));
  }
}

TEST_F(Random, CanReturnZero) {
  // The state before 2^20: 2^20 times the inverse of 16807 modulo 2^31 - 1.
  const int64_t m = 2147483647;
  int64_t inverse = 1, base = 16807;
  for (int64_t e = m - 2; e > 0; e >>= 1, base = base * base % m)
    if (e & 1) inverse = inverse * base % m;
  random_numbers::SetState(static_cast<int32_t>(1048576 * inverse % m));
  EXPECT_EQ(rnd(), 0.0);
  EXPECT_EQ(random_numbers::State(), 1048576);
}

TEST_F(Random, SeedingAvoidsTheFixedPoints) {
  EXPECT_EQ(random_numbers::Advance(2147483647), 2147483647);  // why the seed avoids it
  EXPECT_EQ(random_numbers::SeedFromTicks(0x7FFFFFFFu), 1);
  EXPECT_EQ(random_numbers::SeedFromTicks(0xFFFFFFFFu), 1);
  EXPECT_EQ(random_numbers::SeedFromTicks(0x80000000u), 1);  // AND 0x7FFFFFFF gives 0
  EXPECT_EQ(random_numbers::SeedFromTicks(0x80003039u), 12345);
  EXPECT_EQ(random_numbers::SeedFromTicks(0x7FFFFFFEu), 0x7FFFFFFE);
}

TEST_F(Random, SeedsLazilyOnTheFirstCall) {
  random_numbers::SetState(0);
  double r = rnd();
  EXPECT_GE(r, 0.0);
  EXPECT_LT(r, 1.0);
  int32_t state = random_numbers::State();
  EXPECT_GT(state, 0);
  EXPECT_LT(state, 2147483647);
}

}  // namespace
