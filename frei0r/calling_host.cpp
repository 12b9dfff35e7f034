#include "frei0r/calling_host.h"

#include <dlfcn.h>

#include <string_view>

namespace horaz::frei0r {

CallingHost callingHost(const void* returnAddress) {
  Dl_info caller{};
  if (dladdr(returnAddress, &caller) == 0 || !caller.dli_fname) return CallingHost::kOther;
  std::string_view file = caller.dli_fname;
  if (const size_t slash = file.rfind('/'); slash != std::string_view::npos) file.remove_prefix(slash + 1);
  if (file.starts_with("libavfilter")) return CallingHost::kFfmpeg;
  return CallingHost::kOther;
}

}  // namespace horaz::frei0r
