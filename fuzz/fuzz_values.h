// Turning fuzz bytes into the values a host can hand the plug-in: mostly the
// awkward ones (NaN, infinities, the limits of 32 bits, zero, negative
// values), otherwise arbitrary bit patterns.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace horaz::fuzz {

inline double fuzzDouble(FuzzedDataProvider& data) {
  static constexpr double kAwkward[] = {
      0.0,
      -0.0,
      1.0,
      -1.0,
      25.0,
      29.97002997,
      50.0,
      100.0,
      0.5,
      1e-300,
      std::numeric_limits<double>::denorm_min(),
      2147483647.0,
      2147483648.0,
      -2147483648.0,
      -2147483649.0,
      4294967296.0,
      9007199254740993.0,
      1e18,
      -1e18,
      1e300,
      -1e300,
      std::numeric_limits<double>::max(),
      std::numeric_limits<double>::lowest(),
      std::numeric_limits<double>::infinity(),
      -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(),
      -std::numeric_limits<double>::quiet_NaN(),
  };
  const uint8_t pick = data.ConsumeIntegral<uint8_t>();
  if (pick < 2 * std::size(kAwkward)) return kAwkward[pick % std::size(kAwkward)];
  if (pick < 200) return data.ConsumeFloatingPointInRange<double>(-1e6, 1e6);
  return std::bit_cast<double>(data.ConsumeIntegral<uint64_t>());
}

inline int32_t fuzzInt(FuzzedDataProvider& data) {
  static constexpr int32_t kAwkward[] = {
      0,
      1,
      -1,
      2,
      12,
      13,
      23,
      24,
      59,
      60,
      999,
      1000,
      1970,
      2010,
      2020,
      -500,
      500,
      -32,
      32,
      400,
      401,
      65535,
      65536,
      -65536,
      std::numeric_limits<int32_t>::max(),
      std::numeric_limits<int32_t>::min(),
      std::numeric_limits<int32_t>::max() / 1000,
      std::numeric_limits<int32_t>::min() / 60,
  };
  const uint8_t pick = data.ConsumeIntegral<uint8_t>();
  if (pick < 2 * std::size(kAwkward)) return kAwkward[pick % std::size(kAwkward)];
  if (pick < 200) return data.ConsumeIntegralInRange<int32_t>(-100, 3000);
  return data.ConsumeIntegral<int32_t>();
}

// A property the code must keep: report it and stop the fuzzer with a crash,
// so that libFuzzer saves the input.
#define HORAZ_FUZZ_CHECK(condition)                                                         \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)

}  // namespace horaz::fuzz
