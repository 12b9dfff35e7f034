#include "cli/commands/render_options.h"

#include <array>
#include <sstream>
#include <vector>

#include "cli/commands/project_file.h"
#include "cli/media/encoder_settings.h"
#include "cli/support/help_text.h"
#include "cli/support/option_table.h"
#include "definition/lists.h"
#include "testhost/number_text.h"

namespace horaz::cli {

using testhost::parseDouble;
using testhost::parseInt64;
namespace {

using RenderOption = Option<RenderOptions>;

[[noreturn]] void refuse(std::string_view option, std::string_view accepts, std::string_view value) {
  throw UsageError(std::string(option) + " takes " + std::string(accepts) + ", not '" + std::string(value) + "'");
}

// A whole number in [low, high], or UsageError naming the option.
int64_t wholeNumber(std::string_view option, std::string_view accepts, std::string_view text, int64_t low,
                    int64_t high) {
  int64_t value = 0;
  if (!parseInt64(text, value) || value < low || value > high) refuse(option, accepts, text);
  return value;
}

// Each section of the help is one table; `applyOptions` reads them all.

constexpr std::array kInputOutputOptions{
    RenderOption{"-i", "--input", "INPUT",
                 "pattern     a moving test pattern made in memory (default)\n"
                 "color:R,G,B a solid frame (0..255 each)\n"
                 "FILE.y4m    YUV4MPEG2, 8-bit 4:2:0, 4:2:2 or 4:4:4\n"
                 "-           YUV4MPEG2 from standard input\n"
                 "FILE.png    one picture, repeated on every frame\n"
                 "FILE.mp4, or any video ffmpeg reads: its rate, size,\n"
                 "            pixel aspect and fields, and its sound\n"
                 "            for video output (needs ffmpeg on PATH)",
                 [](RenderOptions& o, std::string_view v) { o.input = std::string(v); }},
    RenderOption{"-o", "--output", "OUTPUT",
                 "FILE.y4m    YUV4MPEG2: 4:2:2 for --format cbycry|ycbycr,\n"
                 "            4:4:4 for rgba|bgra|argb\n"
                 "-           YUV4MPEG2 on standard output\n"
                 "FILE.raw    the host's frames exactly as rendered, one\n"
                 "            after the other (width x height x 4 bytes\n"
                 "            for RGB, (width+1)/2 x height x 4 for YCbCr)\n"
                 "NAME%04d.png one PNG per frame (%d, %04d, ...; numbered\n"
                 "            from --start); FILE.png for one frame\n"
                 "FILE.mp4, FILE.mkv, FILE.mov  H.264 by ffmpeg at CRF 18\n"
                 "            (4:2:0; 4:2:2 in .mkv and .mov for --format\n"
                 "            cbycry|ycbycr), fields coded interlaced, tagged\n"
                 "            BT.601 up to 576 lines and BT.709 above",
                 [](RenderOptions& o, std::string_view v) { o.output = std::string(v); }},
    RenderOption{"", "--contact-sheet", "FILE.png", "also write a grid of evenly spaced frames",
                 [](RenderOptions& o, std::string_view v) { o.contactSheet = std::string(v); }},
    RenderOption{"", "--project", "FILE.json",
                 "render a project saved by horaz studio: its input,\n"
                 "frames, parameters with keyframes, font and output;\n"
                 "the other options given here take precedence",
                 [](RenderOptions& o, std::string_view v) { o.project = std::string(v); }},
    RenderOption{"", "--no-audio", "", "leave the input's sound out of a video output",
                 [](RenderOptions& o, std::string_view) { o.noAudio = true; }},
    RenderOption{"", "--encoder-args", "\"ARGS\"",
                 "ffmpeg output options after ours, which they override,\n"
                 "e.g. \"-crf 23 -preset slow\" or \"-c:v libx265\"",
                 [](RenderOptions& o, std::string_view v) { o.encoderArguments = splitArguments(std::string(v)); }},
};

// Each adds the parameters it stands for, checked later like --set.
template <std::vector<ShortcutSetting> (*settingsOf)(std::string_view)>
void addShortcut(RenderOptions& options, std::string_view value) {
  std::vector<ShortcutSetting> settings = settingsOf(value);
  options.shortcuts.insert(options.shortcuts.end(), settings.begin(), settings.end());
}

constexpr std::array kShortcutOptions{
    RenderOption{"", "--clock", "analog|digital|led|none", "the clock type (\"the List value\")",
                 &addShortcut<clockSettings>},
    RenderOption{"", "--style", "STYLE",
                 "the timer style (\"Style List\"): its number, text or\n"
                 "short name (below)",
                 &addShortcut<styleSettings>},
    RenderOption{"", "--start-time", "HH:MM:SS[.mmm|:FF]",
                 "the start time (\"Start Time Hour\", ...), with\n"
                 "milliseconds or, for tc and frames, a frame",
                 &addShortcut<startTimeSettings>},
    RenderOption{"", "--position", "X,Y", "the clock's centre in % of the frame (\"X\", \"Y\")",
                 &addShortcut<positionSettings>},
    RenderOption{"", "--scale", "PERCENT", "the clock's size in % of the frame height (\"Size\")",
                 &addShortcut<scaleSettings>},
    RenderOption{"", "--fg", "#RRGGBB[AA]",
                 "the foreground colour and opacity (\"Foreground Red\",\n"
                 "..., \"Foreground Opacity\")",
                 [](RenderOptions& o, std::string_view v) {
                   std::vector<ShortcutSetting> settings = colourSettings("--fg", "Foreground", v);
                   o.shortcuts.insert(o.shortcuts.end(), settings.begin(), settings.end());
                 }},
    RenderOption{"", "--bg", "#RRGGBB[AA]", "the background colour and opacity, the same way",
                 [](RenderOptions& o, std::string_view v) {
                   std::vector<ShortcutSetting> settings = colourSettings("--bg", "Background", v);
                   o.shortcuts.insert(o.shortcuts.end(), settings.begin(), settings.end());
                 }},
};

constexpr std::array kParameterOptions{
    RenderOption{"", "--set", "NAME[@FRAME]=VALUE",
                 "set a parameter for the whole clip (repeatable);\n"
                 "with @FRAME, a keyframe at clip frame FRAME: doubles\n"
                 "are interpolated between keyframes, other values hold",
                 [](RenderOptions& o, std::string_view v) { o.settings.emplace_back(v); }},
    RenderOption{"", "--font", "\"FACE[:bold][:italic][:underline][:strikeout][:HEIGHT]\"",
                 "choose the digital clock's font as the font dialog\n"
                 "would (HEIGHT: % of the clock's base size, default 32;\n"
                 "a face the system lacks is drawn in its sans-serif;\n"
                 "the text box is measured in Arial, so a much wider\n"
                 "face may wrap)",
                 [](RenderOptions& o, std::string_view v) { o.font = std::string(v); }},
    RenderOption{"", "--list-parameters", "", "print every parameter with what it accepts, and exit",
                 [](RenderOptions& o, std::string_view) { o.listParameters = true; }},
    RenderOption{"", "--plugin", "PATH",
                 "the plug-in (default: $HORAZ_PLUGIN, else AVX2Horaz.avx\n"
                 "beside horaz or in ../lib/horaz/ from it)",
                 [](RenderOptions& o, std::string_view v) { o.plugin = std::string(v); }},
};

constexpr std::array kFrameOptions{
    RenderOption{"", "--size", "WxH", "frame size (default 1920x1080; a file input's own size)",
                 [](RenderOptions& o, std::string_view v) {
                   o.size = parseFrameSize(v);
                   if (!o.size) refuse("--size", "WIDTHxHEIGHT with each from 1 to 16384, e.g. 1920x1080", v);
                 }},
    RenderOption{"", "--fps", "RATE", "25, 30000/1001, 29.97 (default 25; a file input's rate)",
                 [](RenderOptions& o, std::string_view v) {
                   o.frameRate = parseFrameRate(v);
                   if (!o.frameRate) refuse("--fps", "a rate from 1 to 1000 such as 25, 30000/1001 or 29.97", v);
                 }},
    RenderOption{"", "--frames", "N", "number of frames (default 250; all of a file input)",
                 [](RenderOptions& o, std::string_view v) {
                   o.frames = wholeNumber("--frames", "a whole number from 1 to 100000000", v, 1, 100'000'000);
                 }},
    RenderOption{"", "--start", "FRAME",
                 "clip time of the first frame (default 0); the clock\n"
                 "counts from there, the input is read from its start",
                 [](RenderOptions& o, std::string_view v) {
                   o.start = wholeNumber("--start", "a frame number from 0 to 1000000000", v, 0, 1'000'000'000);
                 }},
    RenderOption{"", "--pixel-aspect", "R",
                 "a pixel's width over its height, e.g. 1, 1.0926 or\n"
                 "64:45 (default 1; a file input's own)",
                 [](RenderOptions& o, std::string_view v) {
                   o.pixelAspect = parsePositiveRatio(v);
                   if (!o.pixelAspect || o.pixelAspect->value() < 0.01 || o.pixelAspect->value() > 100.0)
                     refuse("--pixel-aspect", "a ratio from 0.01 to 100 such as 1, 1.0926 or 59:54", v);
                 }},
    RenderOption{"", "--fields", "none|upper|lower",
                 "field rendering, upper or lower field first\n"
                 "(default none; a file input's own)",
                 [](RenderOptions& o, std::string_view v) {
                   if (v == "none")
                     o.fields = FieldOrder::kNone;
                   else if (v == "upper")
                     o.fields = FieldOrder::kUpperFirst;
                   else if (v == "lower")
                     o.fields = FieldOrder::kLowerFirst;
                   else
                     refuse("--fields", "none, upper or lower", v);
                 }},
    RenderOption{"", "--format", "rgba|bgra|argb|cbycry|ycbycr", "the host's frame layout (default rgba)",
                 [](RenderOptions& o, std::string_view v) {
                   const std::optional<testhost::PixelFormat> format = testhost::parsePixelFormat(v);
                   if (!format) refuse("--format", "rgba, bgra, argb, cbycry or ycbycr", v);
                   o.format = *format;
                 }},
    RenderOption{"", "--rows", "top-down|bottom-up", "the host's row order (default top-down)",
                 [](RenderOptions& o, std::string_view v) {
                   if (v == "top-down")
                     o.bottomUp = false;
                   else if (v == "bottom-up")
                     o.bottomUp = true;
                   else
                     refuse("--rows", "top-down or bottom-up", v);
                 }},
};

constexpr std::array kRunningOptions{
    RenderOption{
        "", "--threads", "N", "frames rendered at once (default: up to one per core, as many as write frames faster)",
        [](RenderOptions& o, std::string_view v) {
          o.threads = static_cast<int32_t>(wholeNumber("--threads", "a whole number from 1 to 256", v, 1, 256));
        }},
    RenderOption{"-q", "--quiet", "", "no progress bar (it shows only on a terminal anyway)",
                 [](RenderOptions& o, std::string_view) { o.quiet = true; }},
    RenderOption{"-h", "--help", "", "this text", [](RenderOptions& o, std::string_view) { o.help = true; }},
};

// Every option, in the order of the help.
const std::vector<RenderOption>& allOptions() {
  static const std::vector<RenderOption> options = [] {
    std::vector<RenderOption> all;
    for (std::span<const RenderOption> section :
         {std::span<const RenderOption>(kInputOutputOptions), std::span<const RenderOption>(kShortcutOptions),
          std::span<const RenderOption>(kParameterOptions), std::span<const RenderOption>(kFrameOptions),
          std::span<const RenderOption>(kRunningOptions)})
      all.insert(all.end(), section.begin(), section.end());
    return all;
  }();
  return options;
}

// What the command line as a whole needs, beyond each option's own value.
void checkComplete(const RenderOptions& options) {
  if (options.help || options.listParameters) return;
  if (options.output.empty()) throw UsageError("no output: say where with -o OUTPUT");
  if (options.contactSheet && !options.contactSheet->ends_with(".png"))
    throw UsageError("--contact-sheet writes a PNG: give a name ending in .png");
}

// `title` and then `items` as `VALUE "TEXT",` ...; an item without a value
// shows as 0, which is how --set stores it.
template <size_t N>
std::string listHelp(std::string_view title, const std::array<definition::ControlNode, N>& items,
                     std::string_view after = {}, std::string_view (*shortName)(int32_t) = nullptr) {
  std::vector<std::string> words{std::string(title)};
  for (const definition::ControlNode& item : items) {
    const int32_t value = item.value.value_or(0);
    std::string word = std::to_string(value) + " \"" + narrowText(item.label) + '"';
    if (shortName) word += " (" + std::string(shortName(value)) + ")";
    words.push_back(word + ",");
  }
  words.back().pop_back();
  if (!after.empty()) words.back() += ";";
  std::string text = wrapWords(words, 4, 6);
  if (!after.empty()) text += wrapText(after, 6, 6);
  return text;
}

constexpr std::string_view kIntroduction = R"(usage: horaz render [options] -o OUTPUT

Renders the clock effect over a clip through the reference host: loads the
plug-in through its four entry points, sets its parameters and renders every
frame (two render calls per frame with --fields), writing the result as video
or pictures. Nothing is written under OUTPUT until the whole render succeeded.
)";

constexpr std::string_view kParameterNotes =
    R"(Numbers must lie within the parameter's limits. Other whole numbers for a list
are passed on with a note (the clock type 3 draws nothing). The two colours
also take "Foreground RGB Color=R,G,B" or "=#RRGGBB". "Count Down" takes 0/1,
true/false, on/off. Parameters without a registered default start at 0 as in
any host: clock type 0 (the analog clock), alignment 0 (right-aligned) and
timer style 0, which the effect shows as style 1 "hh:mm:ss.fff".)";

constexpr std::string_view kClosing = R"(
YCbCr in the host's frames is full-range BT.601. Y4M files are studio range
unless their header says XCOLORRANGE=FULL; output keeps a Y4M input's range
and is studio range otherwise. Video files above 576 lines are BT.709 (unless
they say otherwise) and video outputs above 576 lines are written as BT.709:
both are converted to and from the frames' BT.601 as they pass.

Exit codes: 0 done, 1 failed (nothing written), 2 bad command line or
parameter value (nothing written), 130 interrupted (nothing written).

examples
  horaz render --clock analog --size 640x360 --frames 50 -o clock.mp4
  horaz render --clock digital --style tc --start-time 00:01:00:00 \
      --set "Count Down=1" --size 640x360 --frames 50 -o countdown.mp4
  horaz render --clock led --fg "#ff2828" --set "Size@0=20" --set "Size@24=60" \
      --size 320x180 --frames 25 -o led%04d.png
  horaz render -i holiday.mp4 --clock digital --style tc --position 50,88 \
      --scale 12 -o holiday-tc.mkv
  horaz render -i color:0,0,0 --clock digital --set "Alignment List=Center" \
      --font "Liberation Serif:bold:60" --size 640x360 --frames 1 -o still.png
)";

// The lists' items, from the plug-in's own tables.
std::string listParagraphs() {
  std::string text = wrapText("List parameters take an item's text or its value:", 2, 2);
  text += listHelp("\"the List value\" (clock type):", definition::kClockTypeItems);
  text += listHelp("\"Style List\" (timer style, with --style's short name):", definition::kTimerStyleItems, {},
                   &styleShortName);
  text += listHelp("\"Alignment List\":", definition::kAlignmentItems,
                   "the panel gives \"Right Alignment\" no value; the effect draws 0 right-aligned, so it is set "
                   "as 0");
  return text;
}

std::string buildHelp() {
  std::ostringstream out;
  out << kIntroduction << "\ninput and output\n";
  printOptions<RenderOptions>(kInputOutputOptions, out);
  out << "\nthe clock (each sets the panel's parameters named; not together with --set of them)\n";
  printOptions<RenderOptions>(kShortcutOptions, out);
  out << "\nparameters (names as the effect's panel shows them; see --list-parameters)\n";
  printOptions<RenderOptions>(kParameterOptions, out);
  out << '\n' << listParagraphs() << wrapText(kParameterNotes, 2, 2) << "\nframes\n";
  printOptions<RenderOptions>(kFrameOptions, out);
  out << "\nrunning\n";
  printOptions<RenderOptions>(kRunningOptions, out);
  out << kClosing;
  return out.str();
}

}  // namespace

const std::string& renderHelpText() {
  static const std::string help = buildHelp();
  return help;
}

RenderOptions parseRenderOptions(std::span<const std::string_view> arguments) {
  RenderOptions options;
  applyOptions<RenderOptions>(allOptions(), arguments, options);
  if (options.project && !options.help) {
    // The project as the options it stands for, then the command line's own.
    Project project;
    try {
      project = readProjectFile(*options.project);
    } catch (const ProjectError& error) {
      throw UsageError(std::string("--project ") + error.what());
    }
    std::vector<std::string> words = renderArguments(project);
    words.insert(words.end(), {"-o", project.output.path});
    const std::vector<std::string_view> views(words.begin(), words.end());
    options = RenderOptions{};
    applyOptions<RenderOptions>(allOptions(), views, options);
    applyOptions<RenderOptions>(allOptions(), arguments, options);
  }
  checkComplete(options);
  return options;
}

}  // namespace horaz::cli
