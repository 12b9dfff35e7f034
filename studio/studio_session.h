#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "testhost/parameter_settings.h"
#include "cli/commands/project_file.h"
#include "cli/pixels/picture.h"
#include "studio/clip_preview.h"
#include "testhost/font_command.h"
#include "testhost/panel_session.h"
#include "testhost/render_host.h"
#include "testhost/viewer.h"

namespace horaz::studio {

// What the user does with the mouse on the viewer.
enum class Pointer { kPress, kDrag, kRelease };

// The effect as a person edits it in the studio: the reference host with
// the plug-in loaded, its parameters, the open panel (brought up to date by
// the plug-in's update handler after every change), the viewer with the
// plug-in's overlay attached, the font command and the clip it is previewed
// over.
//
// Every operation takes one lock, so requests from several browser tabs see
// one project and apply one after the other. Operations that refuse a
// request throw RequestError and leave everything as it was.
class StudioSession {
 public:
  // Throws what RenderHost throws, or std::runtime_error when the plug-in
  // lacks one of its companions.
  explicit StudioSession(const std::filesystem::path& plugin);
  ~StudioSession();
  StudioSession(const StudioSession&) = delete;
  StudioSession& operator=(const StudioSession&) = delete;

  // Every control of the effect's panel in tree order with its kind, label,
  // bound parameter, limits, items and availability.
  nlohmann::json panel();
  // Every parameter's value at `time` and its keyframes.
  nlohmann::json parameters(double time);

  // Sets `name` to `value` (a number or the text `horaz render --set`
  // takes). With `keyframe`, a keyframe at `time`; otherwise an animated
  // parameter gets a keyframe at `time` and a constant one its value.
  void setParameter(const std::string& name, const nlohmann::json& value, double time, bool keyframe);
  void removeKeyframe(const std::string& name, double time);

  // The rendered frame at clip time `time` (frames) as PNG bytes.
  std::vector<uint8_t> framePng(double time);
  // The viewer's picture at `time`: the frame scaled to width x height with
  // the overlay's marker drawn over it, as PNG bytes.
  std::vector<uint8_t> viewerPng(double time, int32_t width, int32_t height);
  // A mouse event on the viewer at (x, y) viewer pixels. Returns what the
  // overlay answered (1: a handle grabbed, or a drag taken).
  int32_t pointer(Pointer event, double x, double y, int32_t width, int32_t height, double time);
  // The host's interaction mode (0 or 1 handles, 2 drag) and hit scale.
  nlohmann::json viewerSettings();
  void setViewerSettings(const nlohmann::json& settings);

  // The font command with the user's answer from the font chooser
  // (face, height, bold, italic, underline, strikeout), or a cancel.
  nlohmann::json chooseFont(const nlohmann::json& answer);
  // The record PrivateData holds, field by field.
  nlohmann::json fontRecord();

  cli::Project project();
  // Checks every value first; applies all or nothing.
  void loadProject(const cli::Project& project);
  void setInput(const cli::InputSettings& input);
  void setOutput(const cli::OutputSettings& output);
  // The `horaz render` arguments that render what the studio shows, without
  // -o (parameters at their initial values left out).
  std::vector<std::string> renderArguments();
  std::filesystem::path pluginPath() const;

  // The clip's frame size and rate, for the page.
  nlohmann::json clipInfo();

 private:
  cli::Project projectLocked();
  std::map<std::string, cli::ParameterValue> parameterValues();
  const testhost::ParameterRule& rule(const std::string& name) const;
  std::string valueText(const testhost::ParameterRule& rule, const std::vector<uint8_t>& bytes) const;
  void renderInto(double time);
  void ensureViewer(int32_t width, int32_t height);
  void applyFont(const std::optional<testhost::FontChoice>& font);

  mutable std::mutex mutex_;
  testhost::RenderHost host_;
  std::vector<testhost::ParameterRule> rules_;
  std::map<std::string, cli::ParameterValue> initial_;
  CountedRef<acf::FontSelectionAction> fontAction_;
  CountedRef<acf::Overlay> overlay_;
  std::unique_ptr<testhost::PanelSession> panel_;
  std::unique_ptr<testhost::HostViewer> viewer_;
  std::optional<testhost::FontChoice> font_;
  cli::InputSettings input_;
  cli::OutputSettings output_;
  std::unique_ptr<ClipPreview> clip_;
  cli::RgbaPicture picture_;
};

}  // namespace horaz::studio
