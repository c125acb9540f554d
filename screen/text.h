// Number and text conversion: the count display's decimal text and the few text primitives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brelvoxan {

// A counted byte string: a length, that many bytes, and a zero byte after them.
class Text {
 public:
  Text() = default;
  Text(std::string_view bytes) : bytes_(bytes) {}  // NOLINT: texts are written as literals
  Text(const char* bytes) : bytes_(bytes) {}       // NOLINT

  int32_t length() const { return static_cast<int32_t>(bytes_.size()); }
  const char* data() const { return bytes_.c_str(); }
  std::string_view view() const { return bytes_; }
  unsigned char operator[](int32_t i) const { return static_cast<unsigned char>(bytes_[i]); }
  bool operator==(const Text& other) const = default;

 private:
  std::string bytes_;
};

inline constexpr int32_t kSignificantDigits = 15;

struct DecimalDigits {
  char digits[kSignificantDigits + 2] = {};  // characters '0'..'9', zero-terminated
  int32_t exponent = 0;
  bool negative = false;
};

Text formatNumber(double value);
DecimalDigits decimalDigits(double value, int32_t count);
// Adds one at a digit position with carry to the left; the digits are held as numbers 0..9.
void roundUpDigit(DecimalDigits& d, int32_t position);
int32_t floorToInt(double value);

Text leftText(const Text& text, int32_t n);
Text charText(int32_t code);
uint8_t firstCode(const Text& text);
Text joinText(const Text& a, const Text& b);

}  // namespace brelvoxan
