#include "cli/commands/render_command.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <ostream>
#include <thread>

#include "cli/commands/parameter_settings.h"
#include "cli/commands/render_options.h"
#include "cli/commands/render_pipeline.h"
#include "cli/media/contact_sheet.h"
#include "cli/media/input_source.h"
#include "cli/media/output_writer.h"
#include "cli/media/png_io.h"
#include "cli/support/atomic_file.h"
#include "cli/support/interrupt.h"
#include "cli/support/progress.h"
#include "host/vocabulary.h"
#include "testhost/component_instance.h"
#include "testhost/font_command.h"
#include "testhost/render_host.h"

namespace horaz::cli {
namespace {

// The effect's attribute that names its font command component by id.
constexpr acf::Guid kFontCommandAttribute = acf::makeGuid("{B37C621C-E2A7-11D6-A33B-00306542A024}");

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
  settings.pixelAspect = shape.pixelAspect.value();
  settings.aspect = shape.width * settings.pixelAspect / shape.height;
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

const testhost::ComponentRecord* fontCommandComponent(const testhost::RegistrationModel& model) {
  std::optional<acf::Guid> componentId;
  for (const testhost::ComponentRecord& component : model.components())
    if (component.effect)
      if (const testhost::Attribute* attribute = testhost::findAttribute(component.attributes, kFontCommandAttribute))
        componentId = attribute->asId();
  for (const testhost::ComponentRecord& component : model.components())
    if (component.defined && componentId && component.componentId == *componentId) return &component;
  return nullptr;
}

// Runs the font command with the user's answer; the action writes the
// chosen record into PrivateData.
void chooseFont(testhost::RenderHost& host, const testhost::FontChoice& choice, const testhost::RenderSettings& settings) {
  const testhost::ComponentRecord* component = fontCommandComponent(host.model());
  if (!component) throw std::runtime_error("--font: the plug-in registers no font command");
  CountedRef<acf::FontSelectionAction> action = testhost::createComponentInstance<acf::FontSelectionAction>(
      host.library(), host.host().unknown(), component->classId);
  auto parameters = CountedRef<testhost::HostParameterSet>::adopt(testhost::make<testhost::HostParameterSet>(
      host.sharedLedger(), host.sharedStore(), settings.aspect, settings.framesPerSecond));
  const testhost::FontCommandOutcome outcome = testhost::runFontCommand(
      *action.get(), parameters.get(), testhost::FontDialogAnswer::confirm(choice));
  if (acf::failed(outcome.result))
    throw std::runtime_error("--font: the font command failed with " + testhost::resultText(outcome.result));
  if (!outcome.dialog) throw std::runtime_error("--font: the font command showed no font dialog");
}

Y4mHeader outputHeader(const ClipShape& shape, testhost::PixelFormat format) {
  Y4mHeader header;
  header.width = shape.width;
  header.height = shape.height;
  header.frameRate = shape.frameRate;
  header.interlace = shape.fields == FieldOrder::kNone ? 'p' : shape.fields == FieldOrder::kUpperFirst ? 't' : 'b';
  header.pixelAspect = shape.pixelAspect;
  header.chroma = testhost::isYcc(format) ? Chroma::k422 : Chroma::k444;
  header.fullRange = shape.fullRange;
  return header;
}

std::string describeOutput(const OutputPlan& plan) {
  return plan.path == "-" ? std::string("standard output") : plan.path;
}

int render(const RenderOptions& options, Streams streams) {
  // The host goes last: every effect instance and frame is released before it.
  testhost::RenderHost host(options.plugin ? std::filesystem::path(*options.plugin) : testhost::default_plugin_path());
  const std::vector<ParameterRule> rules = parameterRules(host.model());
  if (options.listParameters) {
    listParameters(rules, host.store(), streams.out);
    return kExitSuccess;
  }

  // Everything the command line says is checked before anything is written.
  std::vector<std::string> notes;
  std::vector<ParameterAssignment> assignments;
  for (const std::string& setting : options.settings) {
    std::vector<ParameterAssignment> resolved = resolveSetting(rules, setting, notes);
    assignments.insert(assignments.end(), resolved.begin(), resolved.end());
  }
  std::optional<testhost::FontChoice> font;
  if (options.font) font = parseFontChoice(*options.font);

  std::unique_ptr<FrameSource> source = openSource(options.input);
  const ClipShape shape = shapeClip(options, source->properties());
  const OutputPlan plan = planOutput(options.output, shape.frameCount.value_or(-1));
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
  if (font) chooseFont(host, *font, settings);

  ClipPlan clip;
  clip.width = shape.width;
  clip.height = shape.height;
  clip.format.pixels = options.format;
  clip.format.bottomUp = options.bottomUp;
  clip.settings = settings;
  clip.firstTime = static_cast<double>(options.start) + timeOffset;
  clip.firstNumber = options.start;
  clip.frameCount = shape.frameCount.value_or(std::numeric_limits<int64_t>::max());
  clip.threads = options.threads > 0 ? options.threads
                                     : static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  clip.encoding = plan.encoding();
  clip.fullRange = shape.fullRange;

  std::unique_ptr<ContactSheet> sheet;
  if (options.contactSheet) sheet = std::make_unique<ContactSheet>(shape.frameCount, shape.width, shape.height);

  ProgressBar progress(streams.err, shape.frameCount.value_or(0), !options.quiet && ::isatty(STDERR_FILENO));
  try {
    std::unique_ptr<FrameSink> sink = openSink(plan, outputHeader(shape, options.format));
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
  // Every render call makes and frees a frame-sized surface. Keep such
  // blocks in the heap instead of mapping and unmapping them each time
  // (which costs a page fault per 4 KiB, on every frame, in every thread).
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
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
