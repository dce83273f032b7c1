// Numbers and text: StringStr at the edges of its fixed-point range, StringVal's decimal and
// "&" forms, and the locale forms runCStr and runCDbl under "." and "," separators.
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "runtime/entries/entries.h"
#include "tests/strings/stringtestsupport.h"

namespace strings_test {
namespace {

using StringNumberTest = StringTest;

TEST_F(StringNumberTest, StringStrFixedAndExponentForms) {
  struct Case {
    double x;
    const char* expected;
  };
  const Case cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {2.5, "2.5"},
      {-2.5, "-2.5"},
      {100, "100"},
      {1.0 / 3.0, "0.3333333"},
      {-1.0 / 3.0, "-0.3333333"},
      {1000000, "1000000"},
      {-1000000, "-1000000"},
      {1000001, "1.000001e+06"},
      {0.00001, "0.00001"},
      {-0.00001, "-0.00001"},
      {0.0000099, "9.900000e-06"},
      {0.000001, "1.000000e-06"},
      {1e7, "1.000000e+07"},
      {-1e7, "-1.000000e+07"},
      {1e100, "1.000000e+100"},
      {0.12345678, "0.1234568"},  // seven digits after the point, rounded
      {999999.99999999, "1000000"},
      {0.1, "0.1"},
      {60, "60"},
  };
  for (const Case& c : cases) EXPECT_EQ(Take(StringStr(c.x)), c.expected) << c.x;
}

TEST_F(StringNumberTest, StringStrIgnoresTheLocaleDecimalSeparator) {
  NumericLocale italian("it_IT.UTF-8");
  ASSERT_TRUE(italian.ok());
  EXPECT_EQ(Take(StringStr(2.5)), "2.5");
  EXPECT_EQ(Take(StringStr(1e7)), "1.000000e+07");
}

TEST_F(StringNumberTest, StringStrOfNonFiniteNumbersDoesNotFail) {
  EXPECT_EQ(Take(StringStr(std::numeric_limits<double>::infinity())), "inf");
  EXPECT_EQ(Take(StringStr(-std::numeric_limits<double>::infinity())), "-inf");
  EXPECT_FALSE(Take(StringStr(std::numeric_limits<double>::quiet_NaN())).empty());
}

TEST_F(StringNumberTest, StringValDecimalText) {
  struct Case {
    std::string_view text;
    double expected;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 0},
      {"  -3.5e2xyz", -350},
      {"42", 42},
      {"+7", 7},
      {"-", 0},
      {".", 0},
      {".5", 0.5},
      {"5.", 5},
      {"-.25", -0.25},
      {"1e", 1},       // an exponent without digits is not read
      {"1e+", 1},
      {"2E3", 2000},
      {"2e-2", 0.02},
      {"100ergs", 100},
      {"\t\n 12", 12},
      {"0x1A", 0},     // no hexadecimal in this form
      {"inf", 0},
      {"nan", 0},
      {"1,5", 1},      // "," is never a decimal point here
      {"3.25.5", 3.25},
      {std::string_view("7\0" "8", 3), 7},
      {"\xA0" "5", 0},  // only ASCII white space is skipped
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(StringVal(Str(c.text).get()), c.expected) << c.text;
  }
  EXPECT_EQ(StringVal(nullptr), 0);
}

TEST_F(StringNumberTest, StringValAmpersandForms) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"&h1F", 31},
      {"&H1f", 31},
      {"&HFFFFFFFF", -1},
      {"&H100000000", 0},  // wraps in 32 bits
      {"&H7FFFFFFF", 2147483647},
      {"&HG", 16},         // every letter counts, G is 16
      {"&Hz", 35},
      {"&H1 2", 18},       // the blank is skipped
      {"&H", 0},
      {"&b102", 2},        // the 2 is skipped
      {"&B1111", 15},
      {"&o17", 15},
      {"&O789", 7},
      {"&x1", 0},
      {"&", 0},
      {"&-1", 0},
      {"  &H10", 0},       // the "&" must be the first byte
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(StringVal(Str(c.text).get()), c.expected) << c.text;
  }
}

TEST_F(StringNumberTest, StringValReadsWhatStringStrWrites) {
  const double values[] = {0, 1, -1, 2.5, 1.0 / 3.0, 1e6, 1234567.0, 0.00001, 1e-10, -3e20};
  for (double x : values) {
    std::string text = Take(StringStr(x));
    EXPECT_NEAR(StringVal(Str(text).get()), x, std::fabs(x) * 1e-6) << text;
  }
}

TEST_F(StringNumberTest, StringValIgnoresTheLocale) {
  NumericLocale italian("it_IT.UTF-8");
  ASSERT_TRUE(italian.ok());
  EXPECT_DOUBLE_EQ(StringVal(Str("2.5").get()), 2.5);
  EXPECT_DOUBLE_EQ(StringVal(Str("2,5").get()), 2);
}

TEST_F(StringNumberTest, LocaleFormsUseTheLocaleSeparators) {
  struct Case {
    const char* locale;
    double x;
    const char* str;
  };
  const Case strCases[] = {
      {"en_US.UTF-8", 2.5, "2.5"},
      {"it_IT.UTF-8", 2.5, "2,5"},
      {"it_IT.UTF-8", 1e7, "1,000000e+07"},
      {"it_IT.UTF-8", 100, "100"},
      {"C", 2.5, "2.5"},
  };
  for (const Case& c : strCases) {
    NumericLocale locale(c.locale);
    ASSERT_TRUE(locale.ok()) << c.locale;
    EXPECT_EQ(Take(runCStr(c.x)), c.str) << c.locale << " " << c.x;
  }
  struct DblCase {
    const char* locale;
    const char* text;
    double expected;
  };
  const DblCase dblCases[] = {
      {"en_US.UTF-8", "1,234.5", 1234.5},
      {"en_US.UTF-8", "1.5", 1.5},
      {"it_IT.UTF-8", "1.234,5", 1234.5},
      {"it_IT.UTF-8", "2,5", 2.5},
      {"it_IT.UTF-8", "1.5", 15},  // "." is the thousands separator there
      {"it_IT.UTF-8", "&HFF", 255},
      {"it_IT.UTF-8", "", 0},
      {"C", "1,234.5", 1234.5},    // no separator in the locale: "," stands in
  };
  for (const DblCase& c : dblCases) {
    NumericLocale locale(c.locale);
    ASSERT_TRUE(locale.ok()) << c.locale;
    EXPECT_DOUBLE_EQ(runCDbl(Str(c.text).get()), c.expected) << c.locale << " " << c.text;
  }
}

}  // namespace
}  // namespace strings_test

namespace strings_test {
namespace {

// A program that never selects a locale still gets the user's separators from the
// environment.
TEST_F(StringNumberTest, PlainCProgramUsesTheEnvironmentLocale) {
  std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* oldEnv = std::getenv("LC_ALL");
  std::string savedEnv = oldEnv != nullptr ? oldEnv : "";
  setenv("LC_ALL", "it_IT.UTF-8", 1);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(Take(runCStr(2.5)), "2,5");
  EXPECT_EQ(Take(StringFormat(1234.5, Str("#,##0.0").get())), "1.234,5");
  std::setlocale(LC_ALL, previous.c_str());
  if (oldEnv != nullptr) {
    setenv("LC_ALL", savedEnv.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  EXPECT_EQ(Take(runCStr(2.5)), "2.5");
}

}  // namespace
}  // namespace strings_test
