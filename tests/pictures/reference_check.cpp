#include "tests/pictures/reference_check.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "tests/pictures/png_file.h"

namespace horaz::test {
namespace {

namespace fs = std::filesystem;

bool updating() {
  const char* value = std::getenv("HORAZ_UPDATE_REFERENCES");
  return value != nullptr && std::string_view(value) == "1";
}

fs::path referencePath(const std::string& name) { return fs::path(HORAZ_REFERENCE_DIR) / (name + ".png"); }
fs::path failurePath(const std::string& name, std::string_view kind) {
  return fs::path(HORAZ_REFERENCE_FAILURE_DIR) / (name + "." + std::string(kind) + ".png");
}

// The largest difference between two pixels' channels.
int32_t channelDistance(const uint8_t* a, const uint8_t* b, int32_t channels) {
  int32_t distance = 0;
  for (int32_t c = 0; c < channels; ++c) distance = std::max(distance, std::abs(int32_t{a[c]} - int32_t{b[c]}));
  return distance;
}

struct Comparison {
  int64_t beyondTolerance = 0;
  int64_t withinTolerance = 0;  // different, but by no more than the allowance
  int32_t largestDistance = 0;
  Picture diff;
};

// Both pictures have the same size and channels.
Comparison compare(const Picture& expected, const Picture& actual, const Tolerance& tolerance) {
  Comparison result;
  result.diff = Picture::blank(expected.width, expected.height, 3);
  for (int32_t y = 0; y < expected.height; ++y) {
    for (int32_t x = 0; x < expected.width; ++x) {
      const uint8_t* want = expected.pixel(x, y);
      const int32_t distance = channelDistance(want, actual.pixel(x, y), expected.channels);
      result.largestDistance = std::max(result.largestDistance, distance);
      uint8_t* shown = result.diff.pixel(x, y);
      if (distance > tolerance.channel) {
        ++result.beyondTolerance;
        shown[0] = 255;
      } else if (distance > 0) {
        ++result.withinTolerance;
        shown[0] = shown[1] = 255;
      } else {
        // A third of the reference's brightness, so that the marks stand out.
        const int32_t grey = (want[0] + want[1] + want[2]) / 9;
        shown[0] = shown[1] = shown[2] = static_cast<uint8_t>(grey);
      }
    }
  }
  return result;
}

::testing::AssertionResult update(const std::string& name, const Picture& actual) {
  const fs::path path = referencePath(name);
  if (!fs::exists(path) || readPng(path) != actual) {
    writePng(path, actual);
    std::cout << "updated reference " << path.string() << "\n";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult matchesReference(const std::string& name, const Picture& actual,
                                            const Tolerance& tolerance) {
  if (updating()) return update(name, actual);

  const fs::path reference = referencePath(name);
  const fs::path actualPath = failurePath(name, "actual");
  if (!fs::exists(reference)) {
    writePng(actualPath, actual);
    return ::testing::AssertionFailure() << "no reference " << reference.string() << "; the picture is in "
                                         << actualPath.string()
                                         << " (HORAZ_UPDATE_REFERENCES=1 makes it the reference)";
  }
  const Picture expected = readPng(reference);
  if (expected.width != actual.width || expected.height != actual.height || expected.channels != actual.channels) {
    writePng(actualPath, actual);
    return ::testing::AssertionFailure() << reference.string() << " is " << expected.width << "x" << expected.height
                                         << " with " << expected.channels << " channels, the picture " << actual.width
                                         << "x" << actual.height << " with " << actual.channels << "; it is in "
                                         << actualPath.string();
  }
  const Comparison comparison = compare(expected, actual, tolerance);
  if (comparison.beyondTolerance <= tolerance.pixels) return ::testing::AssertionSuccess();

  const fs::path diffPath = failurePath(name, "diff");
  writePng(actualPath, actual);
  writePng(diffPath, comparison.diff);
  return ::testing::AssertionFailure() << name << ": " << comparison.beyondTolerance << " pixels differ by more than "
                                       << tolerance.channel << " (allowed: " << tolerance.pixels << "), "
                                       << comparison.withinTolerance << " within it; largest channel difference "
                                       << comparison.largestDistance << "\n  reference " << reference.string()
                                       << "\n  actual    " << actualPath.string() << "\n  diff      "
                                       << diffPath.string();
}

}  // namespace horaz::test
