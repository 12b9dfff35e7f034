#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/pictures/picture.h"
#include "tests/pictures/reference_tolerance.h"

namespace horaz::test {

// Compares `actual` with the reference picture `ref/NAME.png` within
// `tolerance`. On a mismatch it writes NAME.actual.png and NAME.diff.png
// (the reference dimmed to grey, pixels beyond the tolerance in red, pixels
// that differ within it in yellow) into the build's failure folder and names
// them in the message.
//
// With HORAZ_UPDATE_REFERENCES=1 in the environment it writes `actual` as
// the new reference instead, unless it already equals the reference exactly,
// and succeeds.
::testing::AssertionResult matchesReference(const std::string& name, const Picture& actual, const Tolerance& tolerance);

}  // namespace horaz::test
