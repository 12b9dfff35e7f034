#include "module/base/object_count.h"

#include <atomic>

namespace horaz {
namespace {
std::atomic<int32_t> liveObjects{0};
}

int32_t moduleObjectCount() { return liveObjects.load(); }
void incrementModuleObjectCount() { liveObjects.fetch_add(1); }
void decrementModuleObjectCount() { liveObjects.fetch_sub(1); }

}  // namespace horaz
