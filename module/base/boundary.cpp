#include "module/base/boundary.h"

namespace horaz {

void raiseFailure(acf::Result code) { throw HostFailure(code); }

}  // namespace horaz
