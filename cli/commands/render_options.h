#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands/option_values.h"
#include "cli/commands/shortcut_options.h"
#include "cli/media/y4m.h"
#include "cli/support/usage_error.h"
#include "testhost/frame.h"

namespace horaz::cli {

enum class FieldOrder : uint8_t { kNone, kUpperFirst, kLowerFirst };

// `horaz render` as the user asked for it. Values the input may supply
// (size, rate, frame count, pixel aspect, fields) stay empty unless given.
struct RenderOptions {
  bool help = false;
  bool listParameters = false;
  std::optional<std::string> plugin;
  std::vector<std::string> settings;       // the --set arguments, checked against the plug-in later
  std::vector<ShortcutSetting> shortcuts;  // --clock, --style, --fg, ...: the same, checked the same way
  std::optional<std::string> font;         // the --font argument
  std::optional<FrameSize> size;
  std::optional<Ratio> frameRate;
  std::optional<int64_t> frames;
  int64_t start = 0;
  std::optional<Ratio> pixelAspect;  // width / height of a pixel, as files carry it
  std::optional<FieldOrder> fields;
  testhost::PixelFormat format = testhost::PixelFormat::kRgba;
  bool bottomUp = false;
  std::string input = "pattern";
  std::string output;
  int32_t threads = 0;  // 0: up to one per core, as many as pay
  bool quiet = false;
  std::optional<std::string> contactSheet;
  bool noAudio = false;
  std::vector<std::string> encoderArguments;  // --encoder-args, split into words
  std::optional<std::string> project;         // the --project file, already applied
};

// Throws UsageError.
RenderOptions parseRenderOptions(std::span<const std::string_view> arguments);

// The text of `horaz render --help`.
const std::string& renderHelpText();

}  // namespace horaz::cli
