#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "frei0r/parameter_list.h"
#include "host/counted_ref.h"
#include "testhost/frame.h"
#include "testhost/render_host.h"

namespace horaz::frei0r {

// One frei0r instance: its own reference host with its own effect instance,
// parameter values and pair of frames, so instances never share a value.
// Every operation takes the instance's lock: a host may set values from one
// thread while another renders. Values a host gets wrong are clamped,
// defaulted or refused (with one message on standard error per distinct
// complaint), never passed to the effect as they came.
class ClockInstance {
 public:
  // Throws testhost::PluginLoadError, RegistrationError, RenderHostError, or
  // std::invalid_argument for a frame size it cannot hold.
  ClockInstance(unsigned width, unsigned height);

  // `value` points at the host's value (for a text, at its char*).
  void setParameter(int index, const void* value);
  void getParameter(int index, void* value);
  // Renders the clock at `seconds` over `in` into `out` (width x height
  // RGBA pixels each). A failed render leaves `out` a copy of `in`.
  void update(double seconds, const uint32_t* in, uint32_t* out);

 private:
  // False when the text is refused.
  bool setText(const FilterParameter& parameter, const std::string& text);
  bool acceptLength(const FilterParameter& parameter, const std::string& text);
  void setFont(const std::string& text);
  // "NAME=VALUE;NAME=VALUE" and one "NAME=VALUE", as horaz render --set takes them.
  void applySettings(const std::string& text);
  bool applySetting(const std::string& setting);
  void store(const std::vector<testhost::ParameterAssignment>& assignments);
  const testhost::ParameterRule& ruleOf(const testhost::ParameterRecord* record) const;
  void report(const std::string& message);

  std::mutex mutex_;
  testhost::RenderHost host_;
  std::vector<testhost::ParameterRule> rules_;
  std::vector<FilterParameter> parameters_;
  testhost::RenderSettings settings_;
  CountedRef<testhost::HostFrame> input_;
  CountedRef<testhost::HostFrame> output_;
  acf::Guid fontRecordId_{};
  std::vector<uint8_t> defaultFontRecord_;
  std::vector<std::string> texts_;  // per parameter: the last text taken, as get gives it back
  std::set<std::string> reported_;
};

}  // namespace horaz::frei0r
