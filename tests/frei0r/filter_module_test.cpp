// horaz_clock.so through the frei0r C interface, loaded with dlopen as the
// hosts load it: what hosts are told, what becomes of the values they pass,
// frames they get wrong, and instances rendering at once.

#include <dlfcn.h>
#include <frei0r.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

class Module {
 public:
  Module() : handle_(dlopen(HORAZ_FREI0R_MODULE, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(dlerror());
    load(init, "f0r_init");
    load(info, "f0r_get_plugin_info");
    load(paramInfo, "f0r_get_param_info");
    load(construct, "f0r_construct");
    load(destruct, "f0r_destruct");
    load(set, "f0r_set_param_value");
    load(get, "f0r_get_param_value");
    load(update, "f0r_update");
    init();
  }
  ~Module() { dlclose(handle_); }

  int index(const std::string& name) const {
    f0r_plugin_info_t plugin{};
    info(&plugin);
    for (int i = 0; i < plugin.num_params; ++i) {
      f0r_param_info_t param{};
      paramInfo(&param, i);
      if (name == param.name) return i;
    }
    throw std::invalid_argument("no parameter " + name);
  }

  int (*init)() = nullptr;
  void (*info)(f0r_plugin_info_t*) = nullptr;
  void (*paramInfo)(f0r_param_info_t*, int) = nullptr;
  f0r_instance_t (*construct)(unsigned, unsigned) = nullptr;
  void (*destruct)(f0r_instance_t) = nullptr;
  void (*set)(f0r_instance_t, f0r_param_t, int) = nullptr;
  void (*get)(f0r_instance_t, f0r_param_t, int) = nullptr;
  void (*update)(f0r_instance_t, double, const uint32_t*, uint32_t*) = nullptr;

 private:
  template <class Function>
  void load(Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(handle_, name));
    if (!function) throw std::runtime_error(std::string("missing ") + name);
  }
  void* handle_;
};

Module& module() {
  static Module loaded;
  return loaded;
}

// One filter instance, as a host holds it.
class Instance {
 public:
  Instance(unsigned width, unsigned height)
      : width_(width), height_(height), handle_(module().construct(width, height)) {
    if (!handle_) throw std::runtime_error("f0r_construct gave no instance");
  }
  ~Instance() { module().destruct(handle_); }

  void number(const std::string& name, double value) { module().set(handle_, &value, module().index(name)); }
  void text(const std::string& name, const char* value) { module().set(handle_, &value, module().index(name)); }
  void colour(const std::string& name, f0r_param_color_t value) { module().set(handle_, &value, module().index(name)); }
  double number(const std::string& name) const {
    double value = -1.0;
    module().get(handle_, &value, module().index(name));
    return value;
  }
  std::string text(const std::string& name) const {
    const char* value = nullptr;
    module().get(handle_, &value, module().index(name));
    return value ? value : "(null)";
  }
  f0r_param_color_t colour(const std::string& name) const {
    f0r_param_color_t value{};
    module().get(handle_, &value, module().index(name));
    return value;
  }
  std::vector<uint32_t> render(double seconds, uint32_t fill = 0xFF604020u) const {
    const std::vector<uint32_t> in(static_cast<size_t>(width_) * height_, fill);
    std::vector<uint32_t> out(in.size(), 0);
    module().update(handle_, seconds, in.data(), out.data());
    return out;
  }
  f0r_instance_t handle() const { return handle_; }

 private:
  unsigned width_, height_;
  f0r_instance_t handle_;
};

TEST(FilterInfoTest, HostsSeeTheEffectsParametersInTableOrderWithColoursAsColours) {
  f0r_plugin_info_t plugin{};
  module().info(&plugin);
  EXPECT_STREQ(plugin.name, "horaz_clock");
  EXPECT_EQ(plugin.plugin_type, F0R_PLUGIN_TYPE_FILTER);
  EXPECT_EQ(plugin.color_model, F0R_COLOR_MODEL_RGBA8888);

  // The order is what ffmpeg's positional values count on.
  const std::vector<std::pair<std::string, int>> expected = {{"Alignment List", F0R_PARAM_DOUBLE},
                                                             {"Foreground RGB Color", F0R_PARAM_COLOR},
                                                             {"Foreground Opacity", F0R_PARAM_DOUBLE},
                                                             {"Background RGB Color", F0R_PARAM_COLOR},
                                                             {"Background Opacity", F0R_PARAM_DOUBLE},
                                                             {"the List value", F0R_PARAM_DOUBLE},
                                                             {"X", F0R_PARAM_DOUBLE},
                                                             {"Y", F0R_PARAM_DOUBLE},
                                                             {"Size", F0R_PARAM_DOUBLE},
                                                             {"Time Speed Factor", F0R_PARAM_DOUBLE},
                                                             {"Start Time Hour", F0R_PARAM_DOUBLE},
                                                             {"Start Time Minute", F0R_PARAM_DOUBLE},
                                                             {"Start Time Second", F0R_PARAM_DOUBLE},
                                                             {"Start Time Millsecond", F0R_PARAM_DOUBLE},
                                                             {"Start Time Frame", F0R_PARAM_DOUBLE},
                                                             {"Start Time Day", F0R_PARAM_DOUBLE},
                                                             {"Start Time Month", F0R_PARAM_DOUBLE},
                                                             {"Start Time Year", F0R_PARAM_DOUBLE},
                                                             {"Stop Time Hour", F0R_PARAM_DOUBLE},
                                                             {"Stop Time Minute", F0R_PARAM_DOUBLE},
                                                             {"Stop Time Second", F0R_PARAM_DOUBLE},
                                                             {"Stop Time Millsecond", F0R_PARAM_DOUBLE},
                                                             {"Stop Time Frame", F0R_PARAM_DOUBLE},
                                                             {"Count Down", F0R_PARAM_BOOL},
                                                             {"Style List", F0R_PARAM_DOUBLE},
                                                             {"Start Time", F0R_PARAM_STRING},
                                                             {"Font", F0R_PARAM_STRING},
                                                             {"Frame Rate", F0R_PARAM_DOUBLE},
                                                             {"Settings", F0R_PARAM_STRING}};
  ASSERT_EQ(plugin.num_params, static_cast<int>(expected.size()));
  for (int i = 0; i < plugin.num_params; ++i) {
    f0r_param_info_t param{};
    module().paramInfo(&param, i);
    EXPECT_EQ(param.name, expected[i].first) << i;
    EXPECT_EQ(param.type, expected[i].second) << param.name;
    EXPECT_GT(std::string(param.explanation).size(), 0u) << param.name;
  }
  f0r_param_info_t size{};
  module().paramInfo(&size, module().index("Size"));
  EXPECT_STREQ(size.explanation, "Adjust Size");
}

TEST(HostValuesTest, NumbersAreTakenWithThePanelsValuesAndLimits) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kHuge = std::numeric_limits<double>::max();
  struct Case {
    const char* name;
    double given;
    double taken;
  };
  const Case cases[] = {
      {"Style List", 10, 10},
      {"the List value", 3, 3},
      {"the List value", 2.6, 3},
      {"X", 37.5, 37.5},
      {"X", 150, 100},
      {"X", -kHuge, 0},
      {"X", kNaN, 50},
      {"Size", kHuge, 100},
      {"Start Time Hour", 99, 23},
      {"Start Time Year", 1900, 1970},
      {"Time Speed Factor", -1e300, -500},
      {"Foreground Opacity", 12.5, 12.5},
      {"Count Down", 0.7, 1},
      {"Count Down", 0.2, 0},
      {"Count Down", kNaN, 0},
      {"Frame Rate", 30, 30},
      {"Frame Rate", kNaN, 25},
      {"Frame Rate", 1e9, 1000},
  };
  Instance instance(64, 48);
  for (const Case& c : cases) {
    instance.number(c.name, c.given);
    EXPECT_EQ(instance.number(c.name), c.taken) << c.name << " given " << c.given;
  }
}

TEST(HostValuesTest, ColoursAreFrei0rColoursOverThePanelsChannels) {
  Instance instance(64, 48);
  const f0r_param_color_t fresh = instance.colour("Foreground RGB Color");
  EXPECT_NEAR(fresh.r, 128 / 255.0, 1e-6);  // the channels' own default
  instance.colour("Foreground RGB Color", {1.0f, 0.5f, 0.0f});
  const f0r_param_color_t taken = instance.colour("Foreground RGB Color");
  EXPECT_FLOAT_EQ(taken.r, 1.0f);
  EXPECT_NEAR(taken.g, 128 / 255.0, 1e-6);  // whole channel values, as the panel's sliders
  EXPECT_FLOAT_EQ(taken.b, 0.0f);
  instance.colour("Background RGB Color", {2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()});
  const f0r_param_color_t clamped = instance.colour("Background RGB Color");
  EXPECT_FLOAT_EQ(clamped.r, 1.0f);
  EXPECT_FLOAT_EQ(clamped.g, 0.0f);
  EXPECT_FLOAT_EQ(clamped.b, 0.0f);
}

TEST(HostValuesTest, TextsThatCannotBeTakenLeaveTheValueAsItWas) {
  Instance instance(64, 48);
  instance.text("Start Time", "%H:%M");
  const std::string overlong(5000, 'x');
  const struct {
    const char* name;
    const char* given;
    const char* kept;
  } cases[] = {
      {"Start Time", overlong.c_str(), "%H:%M"},
      {"Start Time", "\xff\xfe", "%H:%M"},
      {"Start Time", nullptr, ""},
      {"Font", "DejaVu Serif:bold:40", "DejaVu Serif:bold:40"},
      {"Font", "No Such Face", "No Such Face"},  // drawn in the system's sans-serif, as the dialog would
      {"Font", "Arial:heavy", "Arial:heavy"},    // refused with a message; the record keeps the last font
      {"Font", overlong.c_str(), "Arial:heavy"},
      {"Settings", "Style List=10;X=20", "Style List=10;X=20"},
      {"Settings", overlong.c_str(), "Style List=10;X=20"},
  };
  for (const auto& c : cases) {
    instance.text(c.name, c.given);
    EXPECT_EQ(instance.text(c.name), c.kept) << c.name;
  }
  EXPECT_EQ(instance.number("Style List"), 10);
  EXPECT_EQ(instance.number("X"), 20);
}

TEST(HostValuesTest, UnknownIndexesAndNullValuesAreIgnored) {
  Instance instance(64, 48);
  double value = 1.0;
  module().set(instance.handle(), &value, -1);
  module().set(instance.handle(), &value, 1000);
  module().set(instance.handle(), nullptr, 0);
  module().get(instance.handle(), nullptr, 0);
  module().get(instance.handle(), &value, 1000);
  module().set(nullptr, &value, 0);
  module().update(nullptr, 0.0, nullptr, nullptr);
  f0r_param_info_t info{};
  module().paramInfo(&info, 1000);
  EXPECT_STREQ(info.name, "");
}

TEST(FramesTest, FramesOfAnySensibleSizeRenderAndNullFramesAreLeftAlone) {
  for (const auto& [width, height] : {std::pair{1u, 1u}, {3u, 5u}, {641u, 361u}}) {
    Instance instance(width, height);
    instance.number("the List value", 2);
    EXPECT_EQ(instance.render(1.0).size(), static_cast<size_t>(width) * height);
  }
  Instance instance(8, 8);
  std::vector<uint32_t> out(64, 7u);
  module().update(instance.handle(), 0.0, nullptr, out.data());
  EXPECT_EQ(out, std::vector<uint32_t>(64, 7u));
  const std::vector<uint32_t> in(64, 1u);
  module().update(instance.handle(), 0.0, in.data(), nullptr);
}

// The render reads and writes the host's buffers themselves: separate ones,
// a new pair on each call, or one buffer as both (rendering in place).
TEST(FramesTest, TheHostsBuffersAreRenderedSeparateOrTheSame) {
  Instance instance(96, 64);
  instance.number("the List value", 2);
  const std::vector<uint32_t> untouched(96 * 64, 0xFF604020u);
  const std::vector<uint32_t> expected = instance.render(3.0);
  ASSERT_NE(expected, untouched);
  std::vector<uint32_t> in = untouched, out(untouched.size(), 0);
  module().update(instance.handle(), 3.0, in.data(), out.data());
  EXPECT_EQ(out, expected);
  EXPECT_EQ(in, untouched) << "the input is only read";
  std::vector<uint32_t> both = untouched;
  module().update(instance.handle(), 3.0, both.data(), both.data());
  EXPECT_EQ(both, expected) << "in place";
}

TEST(FramesTest, SizesNoFrameHasAreRefusedAtConstruction) {
  for (const auto& [width, height] : {std::pair{0u, 10u}, {10u, 0u}, {100000u, 1u}, {1u, 4000000000u}})
    EXPECT_EQ(module().construct(width, height), nullptr) << width << "x" << height;
}

TEST(FramesTest, ClockTypeThreeLeavesTheFrameAsItCame) {
  Instance instance(96, 64);
  instance.number("the List value", 3);
  EXPECT_EQ(instance.render(2.0, 0xFF123456u), std::vector<uint32_t>(96 * 64, 0xFF123456u));
}

TEST(FramesTest, TheClockCountsTheHostsSecondsInFramesOfTheFrameRate) {
  Instance timecode(320, 180);
  timecode.number("Size", 100);
  timecode.number("the List value", 2);
  timecode.number("Style List", 10);
  timecode.number("Frame Rate", 25);
  const std::vector<uint32_t> frame37 = timecode.render(37 / 25.0);
  EXPECT_EQ(timecode.render(1.4801), frame37);  // rounded to the nearest frame
  EXPECT_NE(timecode.render(38 / 25.0), frame37);
  timecode.number("Frame Rate", 50);
  EXPECT_NE(timecode.render(37 / 25.0), frame37) << "the same second is frame 74 at 50 fps";
}

TEST(ModuleLoadTest, ConstructGivesNullWhenThePlugInCannotBeLoaded) {
  ::setenv("HORAZ_PLUGIN", "/nonexistent/AVX2Horaz.avx", 1);
  testing::internal::CaptureStderr();
  const f0r_instance_t instance = module().construct(64, 48);
  const std::string said = testing::internal::GetCapturedStderr();
  ::unsetenv("HORAZ_PLUGIN");
  EXPECT_EQ(instance, nullptr);
  EXPECT_NE(said.find("/nonexistent/AVX2Horaz.avx"), std::string::npos) << said;
}

TEST(FilterThreadTest, TwoInstancesRenderingAtOnceEachKeepTheirOwnClock) {
  Instance led(160, 90), analog(160, 90);
  led.number("the List value", 2);
  led.number("Style List", 10);
  led.number("X", 30);
  analog.number("the List value", 0);
  analog.number("X", 70);
  analog.number("Size", 80);
  const std::vector<uint32_t> ledAlone = led.render(3.0);
  const std::vector<uint32_t> analogAlone = analog.render(3.0);
  ASSERT_NE(ledAlone, analogAlone);

  std::vector<int> wrong(2, 0);
  std::thread first([&] {
    for (int i = 0; i < 40; ++i) wrong[0] += led.render(3.0) != ledAlone;
  });
  std::thread second([&] {
    for (int i = 0; i < 40; ++i) {
      analog.number("Size", 80);  // a host setting values while the other instance renders
      wrong[1] += analog.render(3.0) != analogAlone;
    }
  });
  first.join();
  second.join();
  EXPECT_EQ(wrong, (std::vector<int>{0, 0}));
}

}  // namespace
