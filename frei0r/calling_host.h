#pragma once

namespace horaz::frei0r {

// Hosts that use the frei0r interface their own way, told apart by the
// library whose code made the call.
enum class CallingHost {
  kOther,
  kFfmpeg,  // libavfilter: passes the time in milliseconds, not seconds
};

// The host whose code holds `returnAddress`.
CallingHost callingHost(const void* returnAddress);

}  // namespace horaz::frei0r
