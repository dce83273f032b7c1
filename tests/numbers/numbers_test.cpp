// Conversions, mathematics and bitwise entries: every conversion edge (range, NaN, rounding
// mode), the stated edge behaviour of each function, and results as image code receives
// them (EAX, ST0) through a cdecl call on a 4-byte aligned stack.
#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/strings.h"
#include "tests/numbers/entrycall.h"

namespace {

using entry_call::Args;
using entry_call::CallDouble;
using entry_call::CallInt;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct IntCase {
  double in;
  int32_t out;
};

const IntCase kTruncations[] = {
    {2.9, 2},
    {-2.9, -2},
    {-0.5, 0},
    {0.0, 0},
    {2147483647.0, INT32_MAX},
    {2147483647.9, INT32_MAX},
    {-2147483648.0, INT32_MIN},
    {-2147483648.9, INT32_MIN},
    {2147483648.0, INT32_MIN},  // out of range
    {3e9, INT32_MIN},
    {-3e9, INT32_MIN},
    {kInf, INT32_MIN},
    {-kInf, INT32_MIN},
    {kNaN, INT32_MIN},
};

TEST(Conversion, FPToIntAndSingleToIntTruncate) {
  for (const auto& c : kTruncations) {
    EXPECT_EQ(FPToInt(c.in), c.out) << c.in;
    EXPECT_EQ(SingleToInt(static_cast<float>(c.in)), FPToInt(static_cast<float>(c.in))) << c.in;
    EXPECT_EQ(CallInt(reinterpret_cast<void*>(&FPToInt), Args().Double(c.in)), c.out) << c.in;
  }
}

TEST(Conversion, TruncationIgnoresAndKeepsTheRoundingMode) {
  const int modes[] = {FE_UPWARD, FE_DOWNWARD, FE_TONEAREST, FE_TOWARDZERO};
  for (int mode : modes) {
    ASSERT_EQ(std::fesetround(mode), 0);
    EXPECT_EQ(FPToInt(2.7), 2);
    EXPECT_EQ(FPToInt(-2.7), -2);
    EXPECT_EQ(RuntimeRound(2.5), 3.0);
    EXPECT_EQ(RuntimeRound(-2.5), -2.0);
    EXPECT_EQ(RuntimeFloor(-1.5), -2.0);
    EXPECT_EQ(RuntimeCeil(-1.5), -1.0);
    EXPECT_EQ(std::fegetround(), mode);
  }
  std::fesetround(FE_TONEAREST);
}

TEST(Conversion, IntegerForms) {
  EXPECT_EQ(IntToFP(INT32_MIN), -2147483648.0);
  EXPECT_EQ(CallDouble(reinterpret_cast<void*>(&IntToFP), Args().Int(-7)), -7.0);
  const int32_t shorts[][2] = {{0x7FFF, 32767}, {0xFFFF, -1}, {0x12348000, -32768}, {-1, -1},
                               {0x10000, 0}};
  for (const auto& c : shorts) EXPECT_EQ(RuntimeShortToInteger(c[0]), c[1]) << c[0];
}

TEST(Conversion, HexAndOctTakeTheValueAsUnsigned) {
  struct Case {
    int32_t value;
    const char* hex;
    const char* oct;
  };
  const Case cases[] = {{0, "0", "0"},
                        {-1, "FFFFFFFF", "37777777777"},
                        {255, "FF", "377"},
                        {8, "8", "10"},
                        {INT32_MIN, "80000000", "20000000000"},
                        {0x0ABCDEF0, "ABCDEF0", "1257157360"}};
  for (const auto& c : cases) {
    StringRef hex = StringRef::Adopt(RuntimeHex(c.value));
    StringRef oct = StringRef::Adopt(RuntimeOct(c.value));
    EXPECT_EQ(hex.view(), c.hex);
    EXPECT_EQ(oct.view(), c.oct);
  }
}

TEST(Mathematics, RoundingFunctions) {
  struct Case {
    double x, round, floor, ceil;
  };
  const Case cases[] = {{2.5, 3, 2, 3},       {-2.5, -2, -3, -2}, {-0.5, 0, -1, -0.0},
                        {0.49999, 0, 0, 1},   {1e300, 1e300, 1e300, 1e300},
                        {-7.0, -7, -7, -7}};
  for (const auto& c : cases) {
    EXPECT_EQ(RuntimeRound(c.x), c.round) << c.x;
    EXPECT_EQ(RuntimeFloor(c.x), c.floor) << c.x;
    EXPECT_EQ(RuntimeCeil(c.x), c.ceil) << c.x;
  }
  EXPECT_TRUE(std::isnan(RuntimeRound(kNaN)));
}

TEST(Mathematics, MaxAndMinGiveTheSecondWhenEqualOrUnordered) {
  EXPECT_EQ(RuntimeMax(1, 2), 2);
  EXPECT_EQ(RuntimeMax(3, 2), 3);
  EXPECT_EQ(RuntimeMin(1, 2), 1);
  EXPECT_TRUE(std::signbit(RuntimeMax(0.0, -0.0)));
  EXPECT_FALSE(std::signbit(RuntimeMin(-0.0, 0.0)));
  EXPECT_EQ(RuntimeMax(kNaN, 5), 5);
  EXPECT_TRUE(std::isnan(RuntimeMax(5, kNaN)));
  EXPECT_EQ(RuntimeMin(kNaN, 5), 5);
  EXPECT_EQ(RuntimeAbs(-3.5), 3.5);
  EXPECT_EQ(RuntimeAbs(3.5), 3.5);
}

TEST(Mathematics, NegativeRootAndLogarithmAreDomainErrors) {
  for (auto* f : {&RuntimeSqrt, &RuntimeLog}) {
    errno = 0;
    EXPECT_TRUE(std::isnan(f(-1)));
    EXPECT_EQ(errno, 33);
  }
  errno = 0;
  EXPECT_EQ(RuntimeSqrt(16), 4);
  EXPECT_EQ(RuntimeLog(1), 0);
  EXPECT_EQ(RuntimeSqrt(-0.0), 0);  // -0 is not below 0
  EXPECT_EQ(errno, 0);
  EXPECT_EQ(RuntimeLog(0), -kInf);  // a pole, not a domain error
}

TEST(Mathematics, InverseTrigonometry) {
  const double pi = std::acos(-1.0);
  EXPECT_DOUBLE_EQ(RuntimeACos(-1), pi);
  EXPECT_DOUBLE_EQ(RuntimeACos(1), 0);
  EXPECT_DOUBLE_EQ(RuntimeACos(0.5), pi / 3);
  EXPECT_TRUE(std::isnan(RuntimeACos(1.0000001)));
  EXPECT_TRUE(std::isnan(RuntimeACos(-2)));
  EXPECT_DOUBLE_EQ(RuntimeASin(1), pi / 2);
  EXPECT_DOUBLE_EQ(RuntimeASin(-0.5), -pi / 6);
  EXPECT_TRUE(std::isnan(RuntimeASin(2)));
  EXPECT_DOUBLE_EQ(RuntimeATan2(1, 0), pi / 2);  // y first
  EXPECT_DOUBLE_EQ(RuntimeATan2(0, -1), pi);
  EXPECT_DOUBLE_EQ(RuntimeATan(1), pi / 4);
}

TEST(Mathematics, ResultsArriveInST0ThroughACdeclCall) {
  EXPECT_EQ(CallDouble(reinterpret_cast<void*>(&RuntimeSqrt), Args().Double(2.25)), 1.5);
  EXPECT_EQ(CallDouble(reinterpret_cast<void*>(&RuntimePow), Args().Double(2).Double(10)),
            1024);
  EXPECT_EQ(CallDouble(reinterpret_cast<void*>(&RuntimeMax), Args().Double(-1).Double(-2)),
            -1);
  EXPECT_DOUBLE_EQ(CallDouble(reinterpret_cast<void*>(&RuntimeExp), Args().Double(1)),
                   std::exp(1.0));
}

TEST(Bitwise, AndOrXor) {
  EXPECT_EQ(BitwiseAnd(0x0F0F, 0x00FF), 0x000F);
  EXPECT_EQ(BitwiseOr(INT32_MIN, 1), INT32_MIN + 1);
  EXPECT_EQ(BitwiseXor(-1, 0x12345678), ~0x12345678);
  EXPECT_EQ(CallInt(reinterpret_cast<void*>(&BitwiseXor), Args().Int(6).Int(3)), 5);
}

}  // namespace
