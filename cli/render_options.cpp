#include "cli/render_options.h"

#include <charconv>
#include <cmath>
#include <numeric>

#include "testhost/number_text.h"

namespace horaz::cli {
namespace {

using testhost::parseDouble;
using testhost::parseInt64;

constexpr std::string_view kHelp = R"(usage: horaz render [options] -o OUTPUT

Renders the clock effect over a clip through the reference host: loads the
plug-in through its four entry points, sets its parameters and renders every
frame (two render calls per frame with --fields), writing the result as video
or pictures. Nothing is written under OUTPUT until the whole render succeeded.

input and output
  -i, --input INPUT     pattern     a moving test pattern made in memory (default)
                        color:R,G,B a solid frame (0..255 each)
                        FILE.y4m    YUV4MPEG2, 8-bit 4:2:0, 4:2:2 or 4:4:4
                        -           YUV4MPEG2 from standard input
                        FILE.png    one picture, repeated on every frame
  -o, --output OUTPUT   FILE.y4m    YUV4MPEG2: 4:2:2 for --format cbycry|ycbycr,
                                    4:4:4 for rgba|bgra|argb
                        -           YUV4MPEG2 on standard output
                        FILE.raw    the host's frames exactly as rendered, one
                                    after the other (width x height x 4 bytes
                                    for RGB, (width+1)/2 x height x 4 for YCbCr)
                        NAME%04d.png one PNG per frame (%d, %04d, ...; numbered
                                    from --start); FILE.png for one frame
                        FILE.mp4, FILE.mkv, FILE.mov  encoded by ffmpeg (needs
                                    ffmpeg on PATH)
  --contact-sheet FILE.png  also write a grid of evenly spaced frames

parameters (names as the effect's panel shows them; see --list-parameters)
  --set NAME=VALUE      set a parameter for the whole clip (repeatable)
  --set NAME@FRAME=VALUE  set a keyframe at clip frame FRAME; doubles are
                        interpolated between keyframes, other values hold
  --font "FACE[:bold][:italic][:underline][:strikeout][:HEIGHT]"
                        choose the digital clock's font as the font dialog
                        would (HEIGHT: % of the clock's base size, default 32;
                        a face the system lacks is drawn in its sans-serif;
                        the text box is measured in Arial, so a much wider
                        face may wrap)
  --list-parameters     print every parameter with what it accepts, and exit
  --plugin PATH         the plug-in (default: AVX2Horaz.avx beside horaz, or
                        $HORAZ_PLUGIN)

  Numbers must lie within the parameter's limits. List parameters take an
  item's text or its value: "the List value" (clock type) 0 "Analog Clock",
  1 "Digital Clock", 2 "LED clock"; "Style List" (timer style) 1 to 15, e.g.
  10 "TC hh:mm:ss:ff"; "Alignment List" 2 "Left Alignment", 1 "Center",
  0 "Right Alignment" (the panel gives that item no value; the effect draws 0
  right-aligned, so it is set as 0). Other whole numbers are passed on with a
  note (the clock type 3 draws nothing). The two colours also take
  "Foreground RGB Color=R,G,B" or "=#RRGGBB". "Count Down" takes 0/1,
  true/false, on/off.
  Parameters without a registered default start at 0 as in any host: clock
  type 0 (the analog clock), alignment 0 (right-aligned) and timer style 0,
  which the effect shows as style 1 "hh:mm:ss.fff".

frames
  --size WxH            frame size (default 1920x1080; a file input's own size)
  --fps RATE            25, 30000/1001, 29.97 (default 25; a Y4M input's rate)
  --frames N            number of frames (default 250; all of a Y4M input)
  --start FRAME         clip time of the first frame (default 0); the clock
                        counts from there, the input is read from its start
  --pixel-aspect R      pixel aspect, e.g. 1, 1.0926 or 59:54 (default 1; a
                        Y4M input's own)
  --fields none|upper|lower  field rendering, upper or lower field first
                        (default none; a Y4M input's own)
  --format rgba|bgra|argb|cbycry|ycbycr  the host's frame layout (default rgba)
  --rows top-down|bottom-up  the host's row order (default top-down)

running
  --threads N           frames rendered at once (default: one per core)
  -q, --quiet           no progress bar (it shows only on a terminal anyway)
  -h, --help            this text

YCbCr in the host's frames is full-range BT.601. Y4M files are studio range
unless their header says XCOLORRANGE=FULL; output keeps a Y4M input's range
and is studio range otherwise.

Exit codes: 0 done, 1 failed (nothing written), 2 bad command line or
parameter value (nothing written), 130 interrupted (nothing written).

examples
  horaz render -o clock.y4m --frames 100 --size 1280x720
  horaz render --set "the List value=Digital Clock" \
      --set "Style List=TC hh:mm:ss:ff" --set "Count Down=1" \
      --set "Start Time Minute=1" -o countdown.mp4
  horaz render --set "the List value=LED clock" --set "Foreground RGB Color=255,40,40" \
      --set "Size@0=20" --set "Size@124=60" -o led%04d.png --frames 125
  ffmpeg -i holiday.mp4 -f yuv4mpegpipe - | horaz render -i - \
      --set "the List value=1" --set "Style List=TC hh:mm:ss:ff" \
      --set Y=90 --set Size=12 --format cbycry -o holiday-tc.mkv
  horaz render -i color:0,0,0 --set "the List value=1" \
      --font "Liberation Serif:bold:60" -o still.png --frames 1
)";

[[noreturn]] void usage(const std::string& message) { throw UsageError(message); }

// A positive ratio "N/D", "N:D" or a decimal.
std::optional<Ratio> parsePositiveRatio(std::string_view text) {
  const size_t slash = text.find_first_of("/:");
  if (slash != std::string_view::npos) {
    Ratio ratio;
    if (!parseInt64(text.substr(0, slash), ratio.numerator) || !parseInt64(text.substr(slash + 1), ratio.denominator) ||
        ratio.numerator <= 0 || ratio.denominator <= 0 || ratio.numerator > 1'000'000'000 ||
        ratio.denominator > 1'000'000'000)
      return std::nullopt;
    const int64_t divisor = std::gcd(ratio.numerator, ratio.denominator);
    return Ratio{ratio.numerator / divisor, ratio.denominator / divisor};
  }
  double value = 0.0;
  if (!parseDouble(text, value) || value <= 0.0 || value > 1e6) return std::nullopt;
  const int64_t numerator = std::llround(value * 1e6);
  if (numerator <= 0) return std::nullopt;
  const int64_t divisor = std::gcd(numerator, int64_t{1000000});
  return Ratio{numerator / divisor, 1000000 / divisor};
}

}  // namespace

std::string_view renderHelpText() { return kHelp; }

std::optional<Ratio> parseFrameRate(std::string_view text) {
  // The NTSC-family rates as people type them.
  if (text == "23.976" || text == "23.98") return Ratio{24000, 1001};
  if (text == "29.97") return Ratio{30000, 1001};
  if (text == "59.94") return Ratio{60000, 1001};
  const std::optional<Ratio> rate = parsePositiveRatio(text);
  if (!rate || rate->value() < 1.0 || rate->value() > 1000.0) return std::nullopt;
  return rate;
}

std::optional<FrameSize> parseFrameSize(std::string_view text) {
  const size_t x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  int64_t width = 0, height = 0;
  if (!parseInt64(text.substr(0, x), width) || !parseInt64(text.substr(x + 1), height)) return std::nullopt;
  // The host's frames address rows with 32-bit values; keep well inside.
  if (width < 1 || height < 1 || width > 16384 || height > 16384) return std::nullopt;
  return FrameSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

RenderOptions parseRenderOptions(std::span<const std::string_view> arguments) {
  RenderOptions options;
  bool haveOutput = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string_view option = arguments[i];
    std::optional<std::string_view> attached;
    // --name=value as well as --name value.
    if (option.starts_with("--") && option.find('=') != std::string_view::npos) {
      attached = option.substr(option.find('=') + 1);
      option = option.substr(0, option.find('='));
    }
    const auto value = [&]() -> std::string_view {
      if (attached) return *attached;
      if (i + 1 >= arguments.size()) usage(std::string(option) + " needs a value");
      return arguments[++i];
    };
    const auto flag = [&] {
      if (attached) usage(std::string(option) + " takes no value");
    };

    if (option == "-h" || option == "--help") {
      flag();
      options.help = true;
    } else if (option == "--list-parameters") {
      flag();
      options.listParameters = true;
    } else if (option == "-q" || option == "--quiet") {
      flag();
      options.quiet = true;
    } else if (option == "--plugin") {
      options.plugin = std::string(value());
    } else if (option == "--set") {
      options.settings.emplace_back(value());
    } else if (option == "--font") {
      options.font = std::string(value());
    } else if (option == "--size") {
      const std::string_view text = value();
      options.size = parseFrameSize(text);
      if (!options.size)
        usage("--size takes WIDTHxHEIGHT with each from 1 to 16384, e.g. 1920x1080, not '" + std::string(text) + "'");
    } else if (option == "--fps") {
      const std::string_view text = value();
      options.frameRate = parseFrameRate(text);
      if (!options.frameRate)
        usage("--fps takes a rate from 1 to 1000 such as 25, 30000/1001 or 29.97, not '" + std::string(text) + "'");
    } else if (option == "--frames") {
      const std::string_view text = value();
      int64_t frames = 0;
      if (!parseInt64(text, frames) || frames < 1 || frames > 100'000'000)
        usage("--frames takes a whole number from 1 to 100000000, not '" + std::string(text) + "'");
      options.frames = frames;
    } else if (option == "--start") {
      const std::string_view text = value();
      if (!parseInt64(text, options.start) || options.start < 0 || options.start > 1'000'000'000)
        usage("--start takes a frame number from 0 to 1000000000, not '" + std::string(text) + "'");
    } else if (option == "--pixel-aspect") {
      const std::string_view text = value();
      const std::optional<Ratio> aspect = parsePositiveRatio(text);
      if (!aspect || aspect->value() < 0.01 || aspect->value() > 100.0)
        usage("--pixel-aspect takes a ratio from 0.01 to 100 such as 1, 1.0926 or 59:54, not '" + std::string(text) +
              "'");
      options.pixelAspect = aspect;
    } else if (option == "--fields") {
      const std::string_view text = value();
      if (text == "none") {
        options.fields = FieldOrder::kNone;
      } else if (text == "upper") {
        options.fields = FieldOrder::kUpperFirst;
      } else if (text == "lower") {
        options.fields = FieldOrder::kLowerFirst;
      } else {
        usage("--fields takes none, upper or lower, not '" + std::string(text) + "'");
      }
    } else if (option == "--format") {
      const std::string_view text = value();
      const std::optional<testhost::PixelFormat> format = testhost::parsePixelFormat(text);
      if (!format) usage("--format takes rgba, bgra, argb, cbycry or ycbycr, not '" + std::string(text) + "'");
      options.format = *format;
    } else if (option == "--rows") {
      const std::string_view text = value();
      if (text == "top-down") {
        options.bottomUp = false;
      } else if (text == "bottom-up") {
        options.bottomUp = true;
      } else {
        usage("--rows takes top-down or bottom-up, not '" + std::string(text) + "'");
      }
    } else if (option == "-i" || option == "--input") {
      options.input = std::string(value());
    } else if (option == "-o" || option == "--output") {
      options.output = std::string(value());
      haveOutput = true;
    } else if (option == "--threads") {
      const std::string_view text = value();
      int64_t threads = 0;
      if (!parseInt64(text, threads) || threads < 1 || threads > 256)
        usage("--threads takes a whole number from 1 to 256, not '" + std::string(text) + "'");
      options.threads = static_cast<int32_t>(threads);
    } else if (option == "--contact-sheet") {
      options.contactSheet = std::string(value());
    } else {
      usage("unknown option '" + std::string(arguments[i]) + "'");
    }
  }
  if (options.help || options.listParameters) return options;
  if (!haveOutput || options.output.empty()) usage("no output: say where with -o OUTPUT");
  if (options.contactSheet && !options.contactSheet->ends_with(".png"))
    usage("--contact-sheet writes a PNG: give a name ending in .png");
  return options;
}

}  // namespace horaz::cli
