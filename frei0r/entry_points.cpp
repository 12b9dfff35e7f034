// The frei0r entry points. Every one runs its body through `guarded`, so no
// exception reaches the host: a failure becomes a message on standard error
// and the answer the interface has for it (null, 0 or nothing).
#include "frei0r/frei0r_api.h"

#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "frei0r/calling_host.h"
#include "frei0r/clock_instance.h"
#include "frei0r/parameter_list.h"
#include "frei0r/plugin_location.h"
#include "testhost/render_host.h"

namespace horaz::frei0r {
namespace {

template <class Body, class Answer>
Answer guarded(const char* entryPoint, Answer failed, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& error) {
    std::cerr << "horaz_clock: " << entryPoint << ": " << error.what() << '\n';
  } catch (...) {
    std::cerr << "horaz_clock: " << entryPoint << ": unexpected failure\n";
  }
  return failed;
}

// What hosts ask before they make an instance: the parameter list, read once
// from the plug-in's registration. Empty when the plug-in cannot be loaded;
// f0r_construct then says why.
class Catalogue {
 public:
  static const Catalogue& get() {
    static const Catalogue catalogue;
    return catalogue;
  }
  const std::vector<FilterParameter>& parameters() const { return parameters_; }

 private:
  Catalogue() {
    try {
      testhost::RenderHost host(locatePlugin());
      parameters_ = filterParameters(testhost::parameterRules(host.model()));
    } catch (const std::exception& error) {
      std::cerr << "horaz_clock: the clock plug-in cannot be loaded: " << error.what() << '\n';
    }
  }
  std::vector<FilterParameter> parameters_;
};

ClockInstance* instanceOf(f0r_instance_t instance) { return static_cast<ClockInstance*>(instance); }

}  // namespace
}  // namespace horaz::frei0r

using horaz::frei0r::callingHost;
using horaz::frei0r::Catalogue;
using horaz::frei0r::ClockInstance;
using horaz::frei0r::guarded;
using horaz::frei0r::instanceOf;

extern "C" {

int f0r_init() { return 1; }

void f0r_deinit() {}

void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  if (!info) return;
  const int count =
      guarded("f0r_get_plugin_info", 0, [] { return static_cast<int>(Catalogue::get().parameters().size()); });
  info->name = "horaz_clock";
  info->author = "Horaz";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = 0;
  info->minor_version = 1;
  info->num_params = count;
  info->explanation =
      "Draws an analog, digital or LED clock over the video, showing a time counted from each "
      "frame's time";
}

void f0r_get_param_info(f0r_param_info_t* info, int index) {
  if (!info) return;
  guarded("f0r_get_param_info", 0, [&] {
    const auto& parameters = Catalogue::get().parameters();
    if (index < 0 || static_cast<size_t>(index) >= parameters.size()) {
      *info = {"", F0R_PARAM_DOUBLE, ""};
      return 0;
    }
    *info = {parameters[index].name.c_str(), parameters[index].type, parameters[index].explanation.c_str()};
    return 0;
  });
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  return guarded("f0r_construct", static_cast<f0r_instance_t>(nullptr), [&]() -> f0r_instance_t {
    // Instances are made one at a time; each loads and registers the plug-in.
    static std::mutex constructing;
    std::lock_guard lock(constructing);
    return new ClockInstance(width, height);
  });
}

void f0r_destruct(f0r_instance_t instance) {
  guarded("f0r_destruct", 0, [&] {
    delete instanceOf(instance);
    return 0;
  });
}

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  guarded("f0r_set_param_value", 0, [&] {
    if (instance) instanceOf(instance)->setParameter(index, param);
    return 0;
  });
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  guarded("f0r_get_param_value", 0, [&] {
    if (instance) instanceOf(instance)->getParameter(index, param);
    return 0;
  });
}

void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe, uint32_t* outframe) {
  // ffmpeg counts the time in milliseconds where frei0r says seconds.
  const bool milliseconds = callingHost(__builtin_return_address(0)) == horaz::frei0r::CallingHost::kFfmpeg;
  guarded("f0r_update", 0, [&] {
    if (instance) instanceOf(instance)->update(milliseconds ? time / 1000.0 : time, inframe, outframe);
    return 0;
  });
}

}  // extern "C"
