// The library shows the host its four entry points and nothing else.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "testhost/plugin_library.h"

namespace horaz::test {
namespace {

// The names of the defined dynamic symbols of `path`, read with nm.
std::set<std::string> exportedSymbols(const std::string& path) {
  const std::string command = "nm -D --defined-only '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return {};
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) names.insert(name);
  }
  return names;
}

TEST(ExportedSymbolsTest, OnlyTheFourEntryPoints) {
  const std::set<std::string> expected{"ACFRegisterPlugin", "ACFRegisterComponent", "ACFGetClassFactory",
                                       "ACFCanUnloadNow"};
  EXPECT_EQ(exportedSymbols(testhost::default_plugin_path().string()), expected);
}

}  // namespace
}  // namespace horaz::test
