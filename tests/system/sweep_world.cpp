#include "sweep_world.h"

#include <stdexcept>

namespace horaz::test {

testhost::RenderHost& sweepHost() {
  static testhost::RenderHost* host = new testhost::RenderHost();  // lives as long as the program
  return *host;
}

int effectHandle(const testhost::RenderHost& host) {
  const auto& components = host.model().components();
  for (size_t handle = 0; handle < components.size(); ++handle)
    if (components[handle].effect && components[handle].defined) return static_cast<int>(handle);
  throw std::logic_error("the plug-in registered no effect");
}

}  // namespace horaz::test
