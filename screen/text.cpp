#include "screen/text.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace brelvoxan {

namespace {

// Normalisation bounds: the mantissa is brought into [0.999999999999999, 9.99999999999999).
// Given as hexadecimal literals so that they are exactly the intended doubles (bit patterns
// 0x3FEFFFFFFFFFFFF7 and 0x4023FFFFFFFFFFFA); every compiler of the project reads these.
constexpr double kLowerBound = 0x1.FFFFFFFFFFFF7p-1;
constexpr double kUpperBound = 0x1.3FFFFFFFFFFFAp+3;

// The buffer holds at most kSignificantDigits + 1 digits and the terminating zero.
constexpr int32_t kMaxDigits = kSignificantDigits + 1;

void appendDigits(std::string& out, const DecimalDigits& d, int32_t from, int32_t to) {
  for (int32_t i = from; i < to; ++i) out.push_back(d.digits[i]);
}

void appendScientific(std::string& out, const DecimalDigits& d, const char* exponentFormat) {
  out.push_back(d.digits[0]);
  out.push_back('.');
  appendDigits(out, d, 1, kSignificantDigits);
  out.push_back('e');
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, exponentFormat, d.exponent - 1);
  out += buffer;
}

}  // namespace

int32_t floorToInt(double value) {
  // Saturate instead of converting an out-of-range double, which is undefined.
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0) return std::numeric_limits<int32_t>::max();
  if (value < -2147483648.0) return std::numeric_limits<int32_t>::min();
  const auto truncated = static_cast<int32_t>(value);
  if (value < 0 && value < static_cast<double>(truncated)) return truncated - 1;
  return truncated;
}

void roundUpDigit(DecimalDigits& d, int32_t position) {
  if (position < 0 || position >= kMaxDigits) return;
  for (int32_t i = position; i >= 0; --i) {
    if (d.digits[i] != 9) {
      ++d.digits[i];
      return;
    }
    d.digits[i] = 0;
  }
  // Carried out of the first digit: 0.99..9 rounded up is 1.0, i.e. 0.10..0 one decade higher.
  // The digits after position are the part being rounded away, so they need no shift.
  d.digits[0] = 1;
  ++d.exponent;
}

DecimalDigits decimalDigits(double value, int32_t count) {
  DecimalDigits d;
  if (count < 1) count = 1;
  if (count > kMaxDigits) count = kMaxDigits;

  // Non-finite values have no digits; the normalising loops would never end on an infinity.
  if (value == 0.0 || !std::isfinite(value)) {
    for (int32_t i = 0; i < count; ++i) d.digits[i] = '0';
    return d;
  }
  if (value < 0) {
    d.negative = true;
    value = -value;
  }

  d.exponent = 1;
  while (value < kLowerBound) {
    value *= 10.0;
    --d.exponent;
  }
  while (value >= kUpperBound) {
    value /= 10.0;
    ++d.exponent;
  }

  for (int32_t i = 0; i < count; ++i) {
    const int32_t digit = floorToInt(value);
    d.digits[i] = static_cast<char>(digit);
    value = (value - digit) * 10.0;
  }
  if (value >= 5.0) roundUpDigit(d, count - 1);

  for (int32_t i = 0; i < count; ++i) d.digits[i] = static_cast<char>(d.digits[i] + '0');
  d.digits[count] = '\0';
  return d;
}

Text formatNumber(double value) {
  if (std::isnan(value)) return Text("nan");
  if (std::isinf(value)) return Text(value < 0 ? "-inf" : "inf");

  const DecimalDigits d = decimalDigits(value, kSignificantDigits);
  std::string out;
  out.reserve(24);
  if (d.negative) out.push_back('-');

  if (d.exponent > kSignificantDigits) {
    appendScientific(out, d, "+%03d");
  } else if (d.exponent < -3) {
    appendScientific(out, d, "%03d");
  } else {
    if (d.exponent < 1) {
      out += "0.";
      out.append(static_cast<size_t>(-d.exponent), '0');
      appendDigits(out, d, 0, kSignificantDigits);
    } else {
      appendDigits(out, d, 0, d.exponent);
      out.push_back('.');
      appendDigits(out, d, d.exponent, kSignificantDigits);
    }
    while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
  }
  return Text(out);
}

Text leftText(const Text& text, int32_t n) {
  if (n <= 0) return Text();
  if (n > text.length()) n = text.length();
  return Text(text.view().substr(0, static_cast<size_t>(n)));
}

Text charText(int32_t code) {
  const char byte = static_cast<char>(static_cast<unsigned char>(code & 0xFF));
  return Text(std::string_view(&byte, 1));
}

uint8_t firstCode(const Text& text) {
  return text.length() == 0 ? uint8_t{0} : text[0];
}

Text joinText(const Text& a, const Text& b) {
  std::string joined(a.view());
  joined += b.view();
  return Text(joined);
}

}  // namespace brelvoxan
