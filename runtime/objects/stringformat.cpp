// StringFormat: a number written through a pattern of placeholders ("#", "0"), a point,
// digit grouping (","), percent ("%"), signs ("+", "-") and an exponent ("e", "E"), with up
// to three sections for positive, negative and zero numbers. The digits come from the C
// library's conversion; the pattern then picks them one placeholder at a time.
#include <algorithm>
#include <new>
#include <string>
#include <string_view>

#include "runtime/entries/entries.h"
#include "runtime/objects/stringinternal.h"
#include "runtime/objects/strings.h"

namespace {

constexpr std::string_view kScientific = "-#.000000E+";

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// The section that serves x: first for positive numbers (and for every number when there is
// one section), second for negative ones, third for zero (else the first). A ";" after "\"
// does not separate.
std::string_view SelectSection(std::string_view pattern, double x) {
  std::string_view sections[3];
  int count = 0;
  size_t begin = 0;
  for (size_t i = 0; i < pattern.size() && count < 2; ++i) {
    if (pattern[i] == '\\') {
      ++i;
    } else if (pattern[i] == ';') {
      sections[count++] = pattern.substr(begin, i - begin);
      begin = i + 1;
    }
  }
  size_t end = pattern.size();
  if (count == 2) {  // a third ";" ends the third section
    for (size_t i = begin; i < pattern.size(); ++i) {
      if (pattern[i] == '\\') {
        ++i;
      } else if (pattern[i] == ';') {
        end = i;
        break;
      }
    }
  }
  sections[count++] = pattern.substr(begin, end - begin);
  if (x < 0 && count >= 2) return sections[1];
  if (x == 0 && count >= 3) return sections[2];
  return sections[0];
}

// What the first scan of a section finds.
struct Layout {
  int32_t integerPlaceholders = 0;   // I
  int32_t fractionPlaceholders = 0;  // F
  bool percent = false;
  bool grouping = false;
  bool exponent = false;
};

Layout ScanSection(std::string_view section) {
  Layout layout;
  bool inFraction = false;
  for (size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (c == '\\') {
      ++i;
    } else if ((c == '#' || c == '0') && !layout.exponent) {
      ++(inFraction ? layout.fractionPlaceholders : layout.integerPlaceholders);
    } else if (c == '.') {
      inFraction = true;
    } else if (c == '%') {
      layout.percent = true;
    } else if (c == ',') {
      layout.grouping = true;
    } else if (c == 'e' || c == 'E') {
      layout.exponent = true;
    }
  }
  return layout;
}

// The digits of the number as the C library writes them, with the positions the second
// scan works from.
struct Digits {
  std::string text;
  int32_t exponentAt;   // X: where "e" is, or the text's length
  int32_t pointAt;      // L: where "." is, or X (the number of integer digits)
  bool exponent;        // the text really has an exponent
};

Digits MakeDigits(double x, const Layout& layout) {
  Digits d;
  int32_t f = layout.fractionPlaceholders;
  d.text = string_internal::FormatWithC(layout.exponent ? "%.*e" : "%.*f", f, x);
  d.text.erase(0, std::min(d.text.find_first_not_of(' '), d.text.size()));  // leading blanks
  size_t e = d.text.find('e');
  d.exponent = layout.exponent && e != std::string::npos;
  if (f > 0) {
    // Trailing zeros of the fraction go; the point stays.
    size_t end = d.exponent ? e : d.text.size();
    size_t keep = end;
    while (keep > 0 && d.text[keep - 1] == '0') --keep;
    d.text.erase(keep, end - keep);
  }
  e = d.text.find('e');
  d.exponentAt = static_cast<int32_t>(d.exponent ? e : d.text.size());
  size_t point = d.text.find('.');
  d.pointAt = point == std::string::npos ? d.exponentAt : static_cast<int32_t>(point);
  return d;
}

// The second scan: walks the section and writes the result.
class Writer {
 public:
  Writer(const Digits& digits, const Layout& layout, const string_internal::Separators& seps,
         int sign)
      : d_(digits), layout_(layout), seps_(seps), sign_(sign) {}

  std::string Run(std::string_view section) {
    for (size_t i = 0; i < section.size(); ++i) {
      char c = section[i];
      if (c == '\\') {
        if (i + 1 < section.size()) out_ += section[++i];
      } else if (c == '#' || c == '0') {
        Placeholder(c == '0');
      } else if (c == '.') {
        Point();
      } else if (c == '+') {
        if (sign_ != 0) out_ += sign_ < 0 ? '-' : '+';
      } else if (c == '-') {
        if (sign_ < 0) out_ += '-';
      } else if (c == '%' || c == '(' || c == ')') {
        out_ += c;
      } else if ((c == 'e' || c == 'E') && d_.exponent && !exponentWritten_) {
        out_ += c;
        char next = i + 1 < section.size() ? section[i + 1] : '\0';
        Exponent(next);
        if (next == '+' || next == '-') ++i;
      }
      // Anything else is left out; only "\" can write it.
    }
    return std::move(out_);
  }

 private:
  bool HasDigit(int32_t v) const { return v >= 0 && v < d_.exponentAt; }

  void GroupSeparatorBefore(int32_t v) {
    if (layout_.grouping && wroteInteger_ && (d_.pointAt - v) % 3 == 0) out_ += seps_.thousands;
  }

  void Placeholder(bool zero) {
    if (exponentWritten_) return;
    int32_t j = j_++;
    if (inFraction_) {
      int32_t v = d_.pointAt + j + 1;
      if (HasDigit(v)) {
        out_ += d_.text[static_cast<size_t>(v)];
      } else if (zero) {
        out_ += '0';
      }
      return;
    }
    int32_t integers = layout_.integerPlaceholders;
    if (j == 0 && integers < d_.pointAt) {
      // More integer digits than placeholders: the first placeholder takes the excess.
      for (int32_t v = 0; v <= d_.pointAt - integers; ++v) {
        GroupSeparatorBefore(v);
        out_ += d_.text[static_cast<size_t>(v)];
        wroteInteger_ = true;
      }
      return;
    }
    int32_t v = d_.pointAt + j - integers;
    if (HasDigit(v)) {
      GroupSeparatorBefore(v);
      out_ += d_.text[static_cast<size_t>(v)];
      wroteInteger_ = true;
    } else if (zero) {
      GroupSeparatorBefore(v);
      out_ += '0';
      wroteInteger_ = true;
    }
  }

  void Point() {
    if (inFraction_) return;
    out_ += seps_.decimal;
    inFraction_ = true;
    j_ = 0;
  }

  // The text's exponent ("+03", "-12") as the pattern character after the letter asks.
  void Exponent(char next) {
    std::string exponent = d_.text.substr(static_cast<size_t>(d_.exponentAt) + 1);
    bool hasSign = !exponent.empty() && (exponent[0] == '+' || exponent[0] == '-');
    if (next == '+') {
      out_ += hasSign ? exponent : "+" + exponent;
    } else if (next == '-') {
      out_ += hasSign && exponent[0] == '+' ? exponent.substr(1) : exponent;
    } else {
      out_ += exponent;
    }
    exponentWritten_ = true;
  }

  const Digits& d_;
  const Layout& layout_;
  const string_internal::Separators& seps_;
  int sign_;  // of the number as given: -1, 0 or 1
  std::string out_;
  int32_t j_ = 0;
  bool inFraction_ = false;
  bool wroteInteger_ = false;
  bool exponentWritten_ = false;
};

std::string Format(double x, std::string_view pattern) {
  string_internal::Separators separators = string_internal::LocaleSeparators();
  if (EqualsIgnoringAsciiCase(pattern, "Scientific")) pattern = kScientific;
  std::string_view section = SelectSection(pattern, x);
  int sign = x < 0 ? -1 : (x > 0 ? 1 : 0);
  if (x < 0) x = -x;
  Layout layout = ScanSection(section);
  if (layout.percent) x *= 100;
  Digits digits = MakeDigits(x, layout);
  return Writer(digits, layout, separators, sign).Run(section);
}

}  // namespace

AMX_ENTRY StringRecord* StringFormat(double x, StringRecord* pattern) noexcept {
  try {
    std::string text = Format(x, StringView(pattern));
    if (text.size() > INT32_MAX - 2) return nullptr;
    return MakeString(text.data(), static_cast<int32_t>(text.size()));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
