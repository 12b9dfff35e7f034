#pragma once

#include <stdexcept>

namespace horaz::studio {

// A request the studio refuses; the message tells the user why. Nothing was
// changed. The API answers it with 400.
class RequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace horaz::studio
