#include "screen/text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace brelvoxan {
namespace {

std::string format(double value) {
  return std::string(formatNumber(value).view());
}

// Relative distance between a formatted text and the value, scaling by the written exponent in two
// halves so that neither the largest nor the smallest doubles overflow on the way back.
double readBackError(const std::string& s, double value) {
  const size_t e = s.find('e');
  const double mantissa = std::strtod(s.substr(0, e).c_str(), nullptr);
  const int exponent = e == std::string::npos ? 0 : std::atoi(s.c_str() + e + 1);
  const double scaled =
      value / std::pow(10.0, exponent / 2) / std::pow(10.0, exponent - exponent / 2);
  return std::fabs(mantissa / scaled - 1.0);
}

TEST(FormatNumber, Examples) {
  EXPECT_EQ(format(0.0), "0");
  EXPECT_EQ(format(-0.0), "0");
  EXPECT_EQ(format(5.0), "5");
  EXPECT_EQ(format(64.0), "64");
  EXPECT_EQ(format(-3.0), "-3");
  EXPECT_EQ(format(0.5), "0.5");
  EXPECT_EQ(format(0.1), "0.1");
  EXPECT_EQ(format(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(format(2.0 / 3.0), "0.666666666666667");
  EXPECT_EQ(format(3.14159), "3.14159");
  EXPECT_EQ(format(0.0001), "0.0001");
  EXPECT_EQ(format(0.00001), "1.00000000000000e-05");
  EXPECT_EQ(format(1.5e-7), "1.50000000000000e-07");
  EXPECT_EQ(format(-1.5e-7), "-1.50000000000000e-07");
  EXPECT_EQ(format(123456789012345.0), "123456789012345");
  EXPECT_EQ(format(1e14), "100000000000000");
  EXPECT_EQ(format(1e15), "1.00000000000000e+015");
  EXPECT_EQ(format(1e20), "1.00000000000000e+020");
  // Rounding carries into the leading zero digit left just under a power of ten.
  EXPECT_EQ(format(9.999999999999998), "10");
  EXPECT_EQ(format(99.99999999999999), "100");
}

TEST(FormatNumber, IntegersArePlainDecimal) {
  for (int i = 0; i <= 100000; ++i) {
    ASSERT_EQ(format(static_cast<double>(i)), std::to_string(i)) << i;
  }
  // The count display pads to two columns with one space per missing digit.
  for (int i = 0; i <= 64; ++i) EXPECT_EQ(format(i).size(), i < 10 ? 1u : 2u);
}

TEST(FormatNumber, ExtremesStayShortAndReadBack) {
  const double extremes[] = {std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             -std::numeric_limits<double>::denorm_min(),
                             -0.000123456789012345,
                             std::bit_cast<double>(uint64_t{0x3FEFFFFFFFFFFFF7}),
                             std::bit_cast<double>(uint64_t{0x3FEFFFFFFFFFFFF6}),
                             std::bit_cast<double>(uint64_t{0x4023FFFFFFFFFFFA}),
                             std::bit_cast<double>(uint64_t{0x4023FFFFFFFFFFF9})};
  for (double v : extremes) {
    const std::string s = format(v);
    EXPECT_LE(s.size(), 22u) << s;
    EXPECT_LT(readBackError(s, v), 1e-13) << s;
  }
  // Fifteen significant digits read back within their own precision.
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const double v = std::bit_cast<double>(random() & 0xFFEFFFFFFFFFFFFFu);  // no inf/nan
    if (v == 0.0) continue;
    const std::string s = format(v);
    ASSERT_LE(s.size(), 22u) << s;
    ASSERT_LT(readBackError(s, v), 2e-14) << s;
  }
  // Out of the domain, but must neither hang nor read garbage.
  EXPECT_EQ(format(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(format(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(format(std::nan("")), "nan");
}

TEST(DecimalDigits, DigitsExponentAndRounding) {
  DecimalDigits d = decimalDigits(-0.05, kSignificantDigits);
  EXPECT_STREQ(d.digits, "500000000000000");
  EXPECT_EQ(d.exponent, -1);
  EXPECT_TRUE(d.negative);

  d = decimalDigits(0.0, 4);
  EXPECT_STREQ(d.digits, "0000");
  EXPECT_EQ(d.exponent, 0);

  // Digits 1, 2, 3 at positions 0..2 held as numbers: a carry ripples through trailing 9s.
  DecimalDigits r;
  r.digits[0] = 1;
  r.digits[1] = 9;
  r.digits[2] = 9;
  r.exponent = 4;
  roundUpDigit(r, 2);
  EXPECT_EQ(r.digits[0], 2);
  EXPECT_EQ(r.digits[1], 0);
  EXPECT_EQ(r.digits[2], 0);
  EXPECT_EQ(r.exponent, 4);

  // A carry out of the first digit becomes a leading 1 one decade higher, not all zeros.
  for (int i = 0; i < kSignificantDigits; ++i) r.digits[i] = 9;
  roundUpDigit(r, kSignificantDigits - 1);
  EXPECT_EQ(r.digits[0], 1);
  for (int i = 1; i < kSignificantDigits; ++i) EXPECT_EQ(r.digits[i], 0) << i;
  EXPECT_EQ(r.exponent, 5);
}

TEST(FloorToInt, RoundsTowardMinusInfinity) {
  EXPECT_EQ(floorToInt(2.7), 2);
  EXPECT_EQ(floorToInt(-0.5), -1);
  EXPECT_EQ(floorToInt(-2.0), -2);
  EXPECT_EQ(floorToInt(-2.000001), -3);
  EXPECT_EQ(floorToInt(-1e-300), -1);
  EXPECT_EQ(floorToInt(-0.0), 0);
  // Saturates rather than overflowing.
  EXPECT_EQ(floorToInt(-2147483648.5), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(floorToInt(1e12), std::numeric_limits<int32_t>::max());
}

TEST(TextPrimitives, SliceJoinAndCodes) {
  const Text abc("ABC");
  EXPECT_EQ(leftText(abc, 2), Text("AB"));
  EXPECT_EQ(leftText(abc, 5), Text("ABC"));
  EXPECT_EQ(leftText(abc, -1), Text(""));
  EXPECT_EQ(abc, Text("ABC"));  // arguments are left alone

  EXPECT_EQ(firstCode(Text()), 0);
  EXPECT_EQ(firstCode(Text("\xE9x")), 0xE9);

  const Text c = charText(0x141);
  EXPECT_EQ(c.length(), 1);
  EXPECT_EQ(c[0], 0x41);
  const Text nul = charText(256);
  EXPECT_EQ(nul.length(), 1);  // a zero byte is still one byte of text
  EXPECT_EQ(nul[0], 0);

  const Text joined = joinText(Text(" "), formatNumber(7.0));
  EXPECT_EQ(joined, Text(" 7"));
  EXPECT_EQ(joined.data()[joined.length()], '\0');
}

}  // namespace
}  // namespace brelvoxan
