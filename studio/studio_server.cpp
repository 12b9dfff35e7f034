#include "studio/studio_server.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "studio/installed_fonts.h"
#include "studio/page_assets.h"
#include "studio/render_job.h"
#include "studio/request_error.h"
#include "studio/studio_session.h"

namespace horaz::studio {
namespace {

using nlohmann::json;

constexpr const char* kJson = "application/json";

void sendError(httplib::Response& response, int status, const std::string& message) {
  response.status = status;
  response.set_content(json{{"error", message}}.dump(), kJson);
}

// Runs a handler and turns what it throws into the answer: a refused
// request is 400 with its message, anything else 500.
void answer(httplib::Response& response, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const RequestError& error) {
    sendError(response, 400, error.what());
  } catch (const cli::ProjectError& error) {
    sendError(response, 400, error.what());
  } catch (const std::exception& error) {
    sendError(response, 500, error.what());
  }
}

json body(const httplib::Request& request) {
  json parsed = json::parse(request.body, nullptr, false);
  if (parsed.is_discarded()) throw RequestError("the request body is not valid JSON");
  if (!parsed.is_object()) throw RequestError("the request body must be a JSON object");
  return parsed;
}

double number(const json& object, const char* name, double fallback) {
  if (!object.contains(name)) return fallback;
  if (!object[name].is_number()) throw RequestError(std::string("\"") + name + "\" must be a number");
  return object[name].get<double>();
}

int32_t whole(const json& object, const char* name) {
  if (!object.contains(name) || !object[name].is_number_integer())
    throw RequestError(std::string("\"") + name + "\" must be a whole number");
  const int64_t value = object[name].get<int64_t>();
  if (value < 0 || value > 1'000'000) throw RequestError(std::string("\"") + name + "\" is out of range");
  return static_cast<int32_t>(value);
}

double queryNumber(const httplib::Request& request, const char* name, double fallback) {
  if (!request.has_param(name)) return fallback;
  const std::string text = request.get_param_value(name);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    throw RequestError(std::string("?") + name + "= must be a number, not '" + text + "'");
  return value;
}

void sendPng(httplib::Response& response, std::vector<uint8_t> png) {
  response.set_header("Cache-Control", "no-store");
  response.set_content(std::string(png.begin(), png.end()), "image/png");
}

cli::InputSettings inputFrom(const json& object, cli::InputSettings input) {
  for (const auto& [key, value] : object.items())
    if (!value.is_string()) throw RequestError("input." + key + " must be a text");
  input.source = object.value("source", input.source);
  input.size = object.value("size", input.size);
  input.frameRate = object.value("frameRate", input.frameRate);
  input.pixelAspect = object.value("pixelAspect", input.pixelAspect);
  input.fields = object.value("fields", input.fields);
  input.format = object.value("format", input.format);
  return input;
}

cli::OutputSettings outputFrom(const json& object, cli::OutputSettings output) {
  if (object.contains("path")) {
    if (!object["path"].is_string()) throw RequestError("output.path must be a text");
    output.path = object["path"].get<std::string>();
  }
  for (const char* name : {"frames", "start"})
    if (object.contains(name) && !object[name].is_number_integer())
      throw RequestError(std::string("output.") + name + " must be a whole number");
  output.frames = object.value("frames", output.frames);
  output.start = object.value("start", output.start);
  return output;
}

}  // namespace

std::string randomToken() {
  std::random_device device;
  std::string token;
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) token += kDigits[device() % 16];
  return token;
}

StudioServer::StudioServer(StudioSession& session, ServerOptions options)
    : session_(session),
      options_(std::move(options)),
      token_(options_.token.empty() ? randomToken() : options_.token),
      render_(std::make_unique<RenderJob>(options_.tool)),
      server_(std::make_unique<httplib::Server>()) {
  route();
  port_ = options_.port == 0 ? server_->bind_to_any_port("127.0.0.1")
                             : (server_->bind_to_port("127.0.0.1", options_.port) ? options_.port : -1);
  if (port_ <= 0)
    throw std::runtime_error("cannot listen on 127.0.0.1" +
                             (options_.port ? ":" + std::to_string(options_.port) + " (is it in use?)" : ""));
  listener_ = std::thread([this] { server_->listen_after_bind(); });
  // Requests wait in the socket's queue until the listener takes them.
}

StudioServer::~StudioServer() {
  server_->stop();
  if (listener_.joinable()) listener_.join();
  render_.reset();
}

std::string StudioServer::address() const { return "http://127.0.0.1:" + std::to_string(port_) + "/?token=" + token_; }

void StudioServer::route() {
  httplib::Server& server = *server_;
  server.set_payload_max_length(kLargestRequestBody);
  server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
    const std::string given = request.has_header("X-Horaz-Token") ? request.get_header_value("X-Horaz-Token")
                                                                  : request.get_param_value("token");
    // Compared in full whatever the first difference, so timing tells nothing.
    bool same = given.size() == token_.size();
    for (size_t i = 0; i < token_.size(); ++i) same &= i < given.size() && given[i] == token_[i];
    if (same) return httplib::Server::HandlerResponse::Unhandled;
    sendError(response, 403, "this studio needs its access token: open the address horaz studio printed");
    return httplib::Server::HandlerResponse::Handled;
  });

  // The page.
  for (const PageAsset& asset : pageAssets()) {
    const std::string path = asset.path == "/index.html" ? "/" : std::string(asset.path);
    server.Get(path, [this, &asset](const httplib::Request&, httplib::Response& response) {
      // The page's own files are asked for with the token the page was.
      std::string body(asset.body);
      for (size_t at = body.find("{{token}}"); at != std::string::npos; at = body.find("{{token}}", at))
        body.replace(at, 9, token_);
      response.set_header("Cache-Control", "no-store");
      response.set_header("Content-Security-Policy", "default-src 'self'; img-src 'self' blob:; connect-src 'self'");
      response.set_content(body, std::string(asset.contentType));
    });
  }

  // The panel and the parameters.
  server.Get("/api/panel", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] { response.set_content(session_.panel().dump(), kJson); });
  });
  server.Get("/api/parameters", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] { response.set_content(session_.parameters(queryNumber(request, "time", 0)).dump(), kJson); });
  });
  server.Post("/api/parameters", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] {
      const json change = body(request);
      if (!change.contains("name") || !change["name"].is_string()) throw RequestError("\"name\" must name a parameter");
      if (!change.contains("value")) throw RequestError("\"value\" is missing");
      if (change.contains("keyframe") && !change["keyframe"].is_boolean())
        throw RequestError("\"keyframe\" must be true or false");
      const double time = number(change, "time", 0);
      session_.setParameter(change["name"], change["value"], time, change.value("keyframe", false));
      response.set_content(session_.parameters(time).dump(), kJson);
    });
  });
  server.Post("/api/keyframes/remove", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] {
      const json change = body(request);
      if (!change.contains("name") || !change["name"].is_string()) throw RequestError("\"name\" must name a parameter");
      if (!change.contains("time") || !change["time"].is_number()) throw RequestError("\"time\" must be a number");
      session_.removeKeyframe(change["name"], change["time"].get<double>());
      response.set_content(session_.parameters(change["time"].get<double>()).dump(), kJson);
    });
  });

  // Pictures.
  server.Get("/api/frame.png", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] { sendPng(response, session_.framePng(queryNumber(request, "time", 0))); });
  });
  server.Get("/api/viewer.png", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] {
      const double width = queryNumber(request, "width", 960);
      const double height = queryNumber(request, "height", 540);
      if (width != std::floor(width) || height != std::floor(height) || width > 1e6 || height > 1e6)
        throw RequestError("?width= and ?height= must be whole numbers");
      sendPng(response, session_.viewerPng(queryNumber(request, "time", 0), static_cast<int32_t>(width),
                                           static_cast<int32_t>(height)));
    });
  });

  // The mouse on the viewer.
  for (const auto& [path, event] :
       {std::pair{"/api/viewer/press", Pointer::kPress}, std::pair{"/api/viewer/drag", Pointer::kDrag},
        std::pair{"/api/viewer/release", Pointer::kRelease}}) {
    server.Post(path, [this, event = event](const httplib::Request& request, httplib::Response& response) {
      answer(response, [&] {
        const json pointer = body(request);
        if (!pointer.contains("x") || !pointer.contains("y")) throw RequestError("\"x\" and \"y\" are needed");
        const double time = number(pointer, "time", 0);
        const int32_t answered = session_.pointer(event, number(pointer, "x", 0), number(pointer, "y", 0),
                                                  whole(pointer, "width"), whole(pointer, "height"), time);
        json parameters = session_.parameters(time)["parameters"];
        response.set_content(json{{"answer", answered},
                                  {"X", parameters["X"]["value"]},
                                  {"Y", parameters["Y"]["value"]},
                                  {"Size", parameters["Size"]["value"]}}
                                 .dump(),
                             kJson);
      });
    });
  }
  server.Get("/api/viewer/settings", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] { response.set_content(session_.viewerSettings().dump(), kJson); });
  });
  server.Post("/api/viewer/settings", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] {
      session_.setViewerSettings(body(request));
      response.set_content(session_.viewerSettings().dump(), kJson);
    });
  });

  // The font command.
  server.Get("/api/fonts", [](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] { response.set_content(json{{"families", installedFontFamilies()}}.dump(), kJson); });
  });
  server.Get("/api/font", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] { response.set_content(session_.fontRecord().dump(), kJson); });
  });
  server.Post("/api/font", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] { response.set_content(session_.chooseFont(body(request)).dump(), kJson); });
  });

  // The clip, the project and the command line.
  server.Get("/api/clip", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] { response.set_content(session_.clipInfo().dump(), kJson); });
  });
  server.Post("/api/clip", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] {
      const json clip = body(request);
      const cli::Project current = session_.project();
      // Both are checked before either is applied.
      const cli::OutputSettings output = clip.contains("output") && clip["output"].is_object()
                                             ? outputFrom(clip["output"], current.output)
                                             : current.output;
      if (clip.contains("output") && !clip["output"].is_object()) throw RequestError("\"output\" must be an object");
      if (clip.contains("input") && !clip["input"].is_object()) throw RequestError("\"input\" must be an object");
      if (output.frames < 1 || output.start < 0)
        throw RequestError("output.frames must be at least 1 and output.start not negative");
      if (clip.contains("input")) session_.setInput(inputFrom(clip["input"], current.input));
      session_.setOutput(output);
      response.set_content(session_.clipInfo().dump(), kJson);
    });
  });
  server.Get("/api/project", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] {
      response.set_header("Content-Disposition", "attachment; filename=\"clock.horaz.json\"");
      response.set_content(cli::toJson(session_.project()).dump(2), kJson);
    });
  });
  const auto loadProject = [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] {
      session_.loadProject(cli::projectFromJson(body(request)));
      response.set_content(cli::toJson(session_.project()).dump(2), kJson);
    });
  };
  server.Put("/api/project", loadProject);
  server.Post("/api/project", loadProject);
  server.Get("/api/command-line", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] {
      std::vector<std::string> words = {"horaz", "render"};
      const std::vector<std::string> arguments = session_.renderArguments();
      words.insert(words.end(), arguments.begin(), arguments.end());
      words.insert(words.end(), {"-o", session_.project().output.path});
      response.set_content(json{{"arguments", words}, {"text", cli::shellCommand(words)}}.dump(), kJson);
    });
  });

  // Rendering to a file.
  server.Get("/api/render", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] { response.set_content(render_->status().dump(), kJson); });
  });
  server.Post("/api/render", [this](const httplib::Request& request, httplib::Response& response) {
    answer(response, [&] {
      const json asked = body(request);
      const cli::Project current = session_.project();
      const cli::OutputSettings output = outputFrom(asked, current.output);
      const std::filesystem::path path = outputUnder(options_.outputFolder, output.path);
      session_.setOutput(output);
      try {
        std::vector<std::string> arguments = session_.renderArguments();
        arguments.insert(arguments.end(), {"--plugin", session_.pluginPath().string()});
        render_->start(arguments, path, output.frames);
      } catch (...) {
        session_.setOutput(current.output);  // a render that did not start changes nothing
        throw;
      }
      response.set_content(render_->status().dump(), kJson);
    });
  });
  server.Post("/api/render/cancel", [this](const httplib::Request&, httplib::Response& response) {
    answer(response, [&] {
      render_->cancel();
      response.set_content(render_->status().dump(), kJson);
    });
  });

  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty()) return;
    if (response.status == 404) sendError(response, 404, "no such page or API call");
    if (response.status == 413) sendError(response, 413, "the request body is larger than 1 MiB");
  });
}

}  // namespace horaz::studio
