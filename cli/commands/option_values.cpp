#include "cli/commands/option_values.h"

#include <cmath>
#include <numeric>

#include "cli/support/number_text.h"

namespace horaz::cli {

std::optional<Ratio> parsePositiveRatio(std::string_view text) {
  const size_t slash = text.find_first_of("/:");
  if (slash != std::string_view::npos) {
    Ratio ratio;
    if (!parseInt64(text.substr(0, slash), ratio.numerator) || !parseInt64(text.substr(slash + 1), ratio.denominator) ||
        ratio.numerator <= 0 || ratio.denominator <= 0 || ratio.numerator > 1'000'000'000 ||
        ratio.denominator > 1'000'000'000)
      return std::nullopt;
    const int64_t divisor = std::gcd(ratio.numerator, ratio.denominator);
    return Ratio{ratio.numerator / divisor, ratio.denominator / divisor};
  }
  double value = 0.0;
  if (!parseDouble(text, value) || value <= 0.0 || value > 1e6) return std::nullopt;
  const int64_t numerator = std::llround(value * 1e6);
  if (numerator <= 0) return std::nullopt;
  const int64_t divisor = std::gcd(numerator, int64_t{1000000});
  return Ratio{numerator / divisor, 1000000 / divisor};
}

std::optional<Ratio> parseFrameRate(std::string_view text) {
  // The NTSC-family rates as people type them.
  if (text == "23.976" || text == "23.98") return Ratio{24000, 1001};
  if (text == "29.97") return Ratio{30000, 1001};
  if (text == "59.94") return Ratio{60000, 1001};
  const std::optional<Ratio> rate = parsePositiveRatio(text);
  if (!rate || rate->value() < 1.0 || rate->value() > 1000.0) return std::nullopt;
  return rate;
}

std::optional<FrameSize> parseFrameSize(std::string_view text) {
  const size_t x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  int64_t width = 0, height = 0;
  if (!parseInt64(text.substr(0, x), width) || !parseInt64(text.substr(x + 1), height)) return std::nullopt;
  // The host's frames address rows with 32-bit values; keep well inside.
  if (width < 1 || height < 1 || width > 16384 || height > 16384) return std::nullopt;
  return FrameSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

}  // namespace horaz::cli
