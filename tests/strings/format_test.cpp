// StringFormat: placeholders, grouping, percent, signs, sections, escapes and exponent
// forms, under the "." / "," separators of en_US and the "," / "." of it_IT.
#include <cmath>
#include <limits>
#include <string>

#include "runtime/entries/entries.h"
#include "tests/strings/stringtestsupport.h"

namespace strings_test {
namespace {

class StringFormatTest : public StringTest {
 protected:
  static std::string Format(double x, std::string_view pattern) {
    return Take(StringFormat(x, Str(pattern).get()));
  }
};

struct FormatCase {
  double x;
  const char* pattern;
  const char* expected;
};

TEST_F(StringFormatTest, PlaceholdersAndGrouping) {
  NumericLocale english("en_US.UTF-8");
  ASSERT_TRUE(english.ok());
  const FormatCase cases[] = {
      {1234.5, "#,##0.00", "1,234.50"},
      {1234567, "#,##0", "1,234,567"},
      {1234, "#,#", "1,234"},
      {123, "#,###", "123"},
      {5, "0,000", "0,005"},
      {1e20, "#,##0", "100,000,000,000,000,000,000"},
      {0.5, "#.##", "0.5"},
      {3, "00.0", "03.0"},
      {0, "#", "0"},
      {0, "0.0", "0.0"},
      {0.5, ".00", ".50"},
      {2.5, "#", "2"},  // the C library's rounding: ties to even
      {1.25, "0.#", "1.2"},
      {12, "0000", "0012"},
      {12345, "00", "12345"},
      {1.5, "#.", "2."},
      {1.5, "0..0", "1.5"},  // a second point is ignored
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Format(c.x, c.pattern), c.expected) << c.pattern;
}

TEST_F(StringFormatTest, SignsPercentAndLiterals) {
  NumericLocale english("en_US.UTF-8");
  ASSERT_TRUE(english.ok());
  const FormatCase cases[] = {
      {-5, "#", "5"},
      {-5, "-#", "-5"},
      {5, "-#", "5"},
      {5, "+#", "+5"},
      {-5, "+#", "-5"},
      {0, "+#", "0"},
      {-5, "(#)", "(5)"},
      {0.25, "#%", "25%"},
      {12.345, "#,##0.0%", "1,234.5%"},
      {5, "$# kg", "5"},  // unescaped others are left out
      {5, "\\$#\\ \\k\\g", "$5 kg"},
      {5, "\\#0", "#5"},
      {5, "0\\", "5"},    // a "\" at the end escapes nothing
      {5, "", ""},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Format(c.x, c.pattern), c.expected) << c.pattern;
}

TEST_F(StringFormatTest, SectionsByTheSignOfTheNumber) {
  NumericLocale english("en_US.UTF-8");
  ASSERT_TRUE(english.ok());
  const FormatCase cases[] = {
      {5, "#;(#);\\z\\e\\r\\o", "5"},
      {-5, "#;(#);\\z\\e\\r\\o", "(5)"},
      {0, "#;(#);\\z\\e\\r\\o", "zero"},
      {0, "#.0;(#)", "0.0"},     // no third section: zero takes the first
      {-5, "#", "5"},            // one section serves every number
      {-5, "#\\;-#", ";-5"},     // an escaped ";" does not separate
      {0, "#;#;0.0;0.00", "0.0"},  // a fourth section is never used
      {-1, "#;;0", ""},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Format(c.x, c.pattern), c.expected) << c.pattern;
}

TEST_F(StringFormatTest, ExponentForms) {
  NumericLocale english("en_US.UTF-8");
  ASSERT_TRUE(english.ok());
  const FormatCase cases[] = {
      {1234.5, "Scientific", "1.234500E+03"},
      {-1234.5, "sCiEnTiFiC", "-1.234500E+03"},
      {0.000123, "Scientific", "1.230000E-04"},
      {0, "Scientific", "0.000000E+00"},
      {1234.5, "0.00e-", "1.23e03"},
      {0.00123, "0.00e-", "1.23e-03"},
      {1234.5, "0.0e", "1.2e+03"},
      {12345, "0.0E+", "1.2E+04"},
      {1234.5, "0E+0", "1E+03"},  // placeholders after the exponent write nothing
      {-0.00123, "-0.00E+00", "-1.23E-03"},
      {1.5, "0.###e+", "1.5e+00"},
      {1e100, "0.0e+", "1.0e+100"},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Format(c.x, c.pattern), c.expected) << c.pattern;
}

TEST_F(StringFormatTest, ItalianSeparators) {
  NumericLocale italian("it_IT.UTF-8");
  ASSERT_TRUE(italian.ok());
  const FormatCase cases[] = {
      {1234.5, "#,##0.00", "1.234,50"},
      {1234567, "#,##0", "1.234.567"},
      {1234.5, "Scientific", "1,234500E+03"},
      {0.5, "#.##", "0,5"},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Format(c.x, c.pattern), c.expected) << c.pattern;
}

TEST_F(StringFormatTest, LocaleWithoutThousandsSeparatorGroupsWithComma) {
  NumericLocale plain("C");
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(Format(1234.5, "#,##0.00"), "1,234.50");
}

TEST_F(StringFormatTest, ExtremeInputsGiveText) {
  NumericLocale english("en_US.UTF-8");
  std::string manyZeros = "0." + std::string(400, '0');
  std::string formatted = Format(1, manyZeros);
  EXPECT_EQ(formatted.size(), 402u);
  EXPECT_EQ(formatted.substr(0, 3), "1.0");
  EXPECT_FALSE(Format(std::numeric_limits<double>::infinity(), "#,##0.00").empty());
  EXPECT_FALSE(Format(std::numeric_limits<double>::quiet_NaN(), "0.0e+").empty());
  EXPECT_EQ(Format(1.7976931348623157e308, "0").size(), 309u);
  EXPECT_EQ(Take(StringFormat(5, nullptr)), "");
}

}  // namespace
}  // namespace strings_test
