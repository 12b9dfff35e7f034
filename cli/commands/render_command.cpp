#include "cli/commands/render_command.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <ostream>

#include "cli/commands/render_options.h"
#include "cli/commands/render_pipeline.h"
#include "cli/commands/setting_sources.h"
#include "cli/media/contact_sheet.h"
#include "cli/media/encoder_settings.h"
#include "cli/media/input_source.h"
#include "cli/media/output_writer.h"
#include "cli/media/png_io.h"
#include "cli/support/atomic_file.h"
#include "cli/support/interrupt.h"
#include "cli/support/plugin_location.h"
#include "cli/support/progress.h"
#include "cli/support/same_file.h"
#include "host/vocabulary.h"
#include "testhost/font_selection.h"
#include "testhost/parameter_settings.h"
#include "testhost/render_host.h"

namespace horaz::cli {

using testhost::ParameterAssignment;
using testhost::ParameterRule;
using testhost::SettingError;

namespace {

// Everything of the command line that depends on the input: size, rate,
// length, fields.
struct ClipShape {
  int32_t width = 1920;
  int32_t height = 1080;
  Ratio frameRate{25, 1};
  Ratio pixelAspect{1, 1};
  std::optional<int64_t> frameCount;  // none: until the input ends
  FieldOrder fields = FieldOrder::kNone;
  bool fullRange = false;
};

ClipShape shapeClip(const RenderOptions& options, const FrameSource::Properties& input) {
  ClipShape shape;
  if (input.width && input.height) {
    if (options.size && (options.size->width != *input.width || options.size->height != *input.height))
      throw UsageError("the input is " + std::to_string(*input.width) + "x" + std::to_string(*input.height) +
                       " but --size asks for " + std::to_string(options.size->width) + "x" +
                       std::to_string(options.size->height) + " (frames are not scaled)");
    shape.width = *input.width;
    shape.height = *input.height;
  } else if (options.size) {
    shape.width = options.size->width;
    shape.height = options.size->height;
  }
  if (options.frameRate)
    shape.frameRate = *options.frameRate;
  else if (input.frameRate)
    shape.frameRate = *input.frameRate;
  if (options.pixelAspect) {
    shape.pixelAspect = *options.pixelAspect;
  } else if (input.pixelAspect) {
    shape.pixelAspect = *input.pixelAspect;
  }
  if (options.frames)
    shape.frameCount = input.frameCount ? std::min(*options.frames, *input.frameCount) : *options.frames;
  else if (input.endless)
    shape.frameCount = 250;
  else
    shape.frameCount = input.frameCount;
  if (options.fields)
    shape.fields = *options.fields;
  else if (input.interlace == 't')
    shape.fields = FieldOrder::kUpperFirst;
  else if (input.interlace == 'b')
    shape.fields = FieldOrder::kLowerFirst;
  shape.fullRange = input.fullRange.value_or(false);
  if (testhost::isYcc(options.format) && shape.width % 2 != 0)
    throw UsageError("--format " + std::string(testhost::pixelFormatName(options.format)) +
                     " holds pixels in pairs and needs an even width, not " + std::to_string(shape.width));
  if (shape.fields != FieldOrder::kNone && shape.height < 2)
    throw UsageError("--fields needs a frame at least two rows high");
  return shape;
}

// How the host plays the clip, with fields in the asked order. The effect
// writes the rows of the field equal to the frame's first field from memory
// row 0; in a bottom-up frame of even height those are the picture's lower
// rows. The host renders that field first at the frame's time and the other
// half a frame later, so for the other order it starts half a frame later
// and steps back.
testhost::RenderSettings renderSettings(const ClipShape& shape, bool bottomUp, double& timeOffset) {
  testhost::RenderSettings settings;
  settings.framesPerSecond = shape.frameRate.value();
  // The command line and Y4M files give a pixel's width over its height;
  // the host's frame answers the other way round (see RenderSettings).
  settings.pixelAspect = testhost::frameAnswerForPixelAspect(shape.pixelAspect.value());
  settings.aspect = shape.width * shape.pixelAspect.value() / shape.height;
  timeOffset = 0.0;
  if (shape.fields == FieldOrder::kNone) return settings;
  settings.interlaced = true;
  settings.fieldMode = 1;
  settings.firstField = 1;
  const bool rowZeroIsUpper = !bottomUp || shape.height % 2 == 1;
  const bool upperFirst = shape.fields == FieldOrder::kUpperFirst;
  if (rowZeroIsUpper == upperFirst) {
    settings.secondFieldDelay = 0.5;
  } else {
    settings.secondFieldDelay = -0.5;
    timeOffset = 0.5;
  }
  return settings;
}

void listParameters(const std::vector<ParameterRule>& rules, const testhost::ParameterStore& store, std::ostream& out) {
  out << "Parameters of the effect, as --set takes them (NAME=VALUE or NAME@FRAME=VALUE):\n\n";
  for (const ParameterRule& rule : rules) {
    out << "  " << rule.name << "\n      " << rule.accepts();
    if (rule.kind == ParameterRule::Kind::kList || rule.kind == ParameterRule::Kind::kInteger ||
        rule.kind == ParameterRule::Kind::kSpeedInteger || rule.kind == ParameterRule::Kind::kBoolean ||
        rule.kind == ParameterRule::Kind::kDouble) {
      const double initial = rule.kind == ParameterRule::Kind::kDouble ? store.doubleAt(rule.record->id, 0.0)
                                                                       : store.intAt(rule.record->id, 0.0);
      out << "; starts at " << testhost::numberText(initial);
      if (!rule.defaultValue) out << " (no registered default)";
    }
    out << '\n';
  }
  out << "\nThe clock type 0 is the analog clock; the timer style 0 is shown as style 1.\n"
         "\"Right Alignment\" has no value in the panel; it is set as 0, which the effect draws right-aligned.\n";
}

Y4mHeader outputHeader(const ClipShape& shape, testhost::PixelFormat format, const PlaneCoding& coding) {
  Y4mHeader header;
  header.width = shape.width;
  header.height = shape.height;
  header.frameRate = shape.frameRate;
  header.interlace = shape.fields == FieldOrder::kNone ? 'p' : shape.fields == FieldOrder::kUpperFirst ? 't' : 'b';
  header.pixelAspect = shape.pixelAspect;
  header.chroma = coding.chromaFor(testhost::isYcc(format));
  header.fullRange = coding.fullRange;
  return header;
}

std::string describeOutput(const OutputPlan& plan) {
  return plan.path == "-" ? std::string("standard output") : plan.path;
}

// The files a render writes, for the check against its input. Only a PNG
// input can be one of a PNG sequence's files; its names are checked up to a
// bound that no still-picture render reaches in practice.
std::vector<std::string> outputFiles(const RenderOptions& options, const OutputPlan& plan,
                                     const std::optional<int64_t>& frameCount) {
  constexpr int64_t kCheckedPngNames = 100'000;
  std::vector<std::string> files{options.output};
  if (plan.kind == OutputPlan::Kind::kPngSequence && options.input.ends_with(".png"))
    for (int64_t i = 0; i < std::min(frameCount.value_or(0), kCheckedPngNames); ++i)
      files.push_back(*formatFrameName(options.output, options.start + i));
  if (options.contactSheet) files.push_back(*options.contactSheet);
  return files;
}

// What ffmpeg is told for a video output, and the notes on the input's sound.
void planEncoding(const RenderOptions& options, const ClipShape& shape, const FrameSource::Properties& input,
                  OutputPlan& plan, std::vector<std::string>& notes) {
  if (plan.kind != OutputPlan::Kind::kFfmpeg) {
    if (!options.encoderArguments.empty())
      throw UsageError("--encoder-args is for video files (.mp4, .mkv, .mov), not " + options.output);
    return;
  }
  EncodeRequest request;
  request.output = options.output;
  request.width = shape.width;
  request.height = shape.height;
  request.frameRate = shape.frameRate;
  request.interlace = outputHeader(shape, options.format, plan.coding).interlace;
  request.yccLayout = testhost::isYcc(options.format);
  request.fullRange = shape.fullRange;
  request.soundFile = input.soundFile;
  request.audioCodecs = input.audioCodecs;
  request.soundless = options.noAudio;
  if (options.frames && shape.frameCount)
    request.duration = static_cast<double>(*shape.frameCount) / shape.frameRate.value();
  request.userArguments = options.encoderArguments;
  if (input.soundFile.empty() && (options.input == "-" || !input.endless) && !options.noAudio)
    notes.push_back("the input (" + std::string(options.input == "-" ? "standard input" : options.input) +
                    ") has no sound, so " + options.output + " gets none");
  plan.encoderArguments = encoderArguments(request, notes);
  plan.coding.matrix = encoderMatrix(request);
  plan.coding.chroma420 = encoderTakes420(request);
}

int render(const RenderOptions& options, Streams streams) {
  // The host goes last: every effect instance and frame is released before it.
  testhost::RenderHost host(locatePlugin(options.plugin));
  const std::vector<ParameterRule> rules = testhost::parameterRules(host.model());
  if (options.listParameters) {
    listParameters(rules, host.store(), streams.out);
    return kExitSuccess;
  }

  // Everything the command line says is checked before anything is written.
  std::vector<std::string> notes;
  const std::vector<ParameterAssignment> assignments =
      resolveAllSettings(rules, options.settings, options.shortcuts, notes);
  std::optional<testhost::FontChoice> font;
  if (options.font) font = testhost::parseFontChoice(*options.font);

  std::unique_ptr<FrameSource> source = openSource(options.input, notes);
  const ClipShape shape = shapeClip(options, source->properties());
  OutputPlan plan = planOutput(options.output, shape.frameCount.value_or(-1));
  plan.coding.fullRange = shape.fullRange;
  refuseOutputsThatAreTheInput(options.input, outputFiles(options, plan, shape.frameCount));
  planEncoding(options, shape, source->properties(), plan, notes);
  if (plan.path == "-" && ::isatty(STDOUT_FILENO))
    throw UsageError("-o - writes video to standard output, which is a terminal; redirect it or name a file");
  source->setSize(shape.width, shape.height);
  for (const std::string& note : notes) streams.err << "horaz render: note: " << note << '\n';

  double timeOffset = 0.0;
  const testhost::RenderSettings settings = renderSettings(shape, options.bottomUp, timeOffset);
  for (const ParameterAssignment& assignment : assignments) {
    if (assignment.keyframe)
      host.store().setKeyframe(assignment.id, *assignment.keyframe, assignment.bytes);
    else
      host.store().set(assignment.id, assignment.bytes);
  }
  if (font) testhost::selectFont(host, *font, settings);

  ClipPlan clip;
  clip.width = shape.width;
  clip.height = shape.height;
  clip.format.pixels = options.format;
  clip.format.bottomUp = options.bottomUp;
  clip.settings = settings;
  clip.firstTime = static_cast<double>(options.start) + timeOffset;
  clip.firstNumber = options.start;
  clip.frameCount = shape.frameCount.value_or(std::numeric_limits<int64_t>::max());
  clip.threads = options.threads > 0 ? options.threads : processorCores();
  clip.adaptThreads = options.threads == 0;
  clip.encoding = plan.encoding();
  clip.coding = plan.coding;

  std::unique_ptr<ContactSheet> sheet;
  if (options.contactSheet) sheet = std::make_unique<ContactSheet>(shape.frameCount, shape.width, shape.height);

  ProgressBar progress(streams.err, shape.frameCount.value_or(0), !options.quiet && ::isatty(STDERR_FILENO));
  try {
    std::unique_ptr<FrameSink> sink = openSink(plan, outputHeader(shape, options.format, plan.coding));
    const int64_t written = renderClip(host, clip, *source, *sink, sheet.get(), progress);
    if (written == 0) throw std::runtime_error(options.input + ": the input holds no frames");
    // The contact sheet is complete before either file takes its name.
    std::unique_ptr<AtomicFile> sheetFile;
    if (sheet) {
      sheetFile = std::make_unique<AtomicFile>(*options.contactSheet);
      sheetFile->write(encodePng(sheet->compose(written), false));
    }
    throwIfInterrupted();
    sink->commit();
    if (sheetFile) sheetFile->commit();
    progress.finish(written, "wrote " + describeOutput(plan) +
                                 (sheet ? " and the contact sheet " + *options.contactSheet : std::string()));
  } catch (...) {
    progress.clear();
    throw;
  }
  return kExitSuccess;
}

}  // namespace

int runRender(std::span<const std::string_view> arguments, Streams streams) {
  RenderOptions options;
  try {
    options = parseRenderOptions(arguments);
  } catch (const UsageError& error) {
    streams.err << "horaz render: " << error.what() << "\n(horaz render --help tells more)\n";
    return kExitUsage;
  }
  if (options.help) {
    streams.out << renderHelpText();
    return kExitSuccess;
  }
  installInterruptHandlers();
  // The C library's allocator keeps its own thresholds: the frame-sized
  // surfaces come back through the platform's pool, and the encoder's large
  // buffers must stay mapped on their own, where the kernel backs them with
  // huge pages (kept in the heap, they cost it a page fault every 4 KiB).
  try {
    return render(options, streams);
  } catch (const Interrupted&) {
    streams.err << "horaz render: interrupted" << (options.output == "-" ? "" : "; nothing was written") << '\n';
    return kExitInterrupted;
  } catch (const UsageError& error) {
    streams.err << "horaz render: " << error.what() << '\n';
    return kExitUsage;
  } catch (const SettingError& error) {
    streams.err << "horaz render: " << error.what() << '\n';
    return kExitUsage;
  } catch (const std::exception& error) {
    streams.err << "horaz render: " << error.what() << '\n';
    if (interrupted()) return kExitInterrupted;
    return kExitFailure;
  }
}

}  // namespace horaz::cli
