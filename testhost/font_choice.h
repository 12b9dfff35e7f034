#pragma once

#include <cstdint>
#include <string>

namespace horaz::testhost {

// The font the user confirms in the dialog.
struct FontChoice {
  std::u16string faceName;  // at most 31 code units are kept
  int32_t height = 32;      // stored negative, as the dialog stores a character height
  int32_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

}  // namespace horaz::testhost
