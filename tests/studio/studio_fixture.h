#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "studio/studio_server.h"
#include "studio/studio_session.h"
#include "testhost/plugin_library.h"
#include "tool_runner.h"

namespace horaz::test {

using nlohmann::json;

// A studio served on a free port of 127.0.0.1, renders going into a
// temporary folder, and a client that carries the token.
class StudioApi : public ::testing::Test {
 protected:
  StudioApi() {
    studio::ServerOptions options;
    options.outputFolder = folder_.path();
    options.tool = HORAZ_CLI_PATH;
    server_ = std::make_unique<studio::StudioServer>(session_, options);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
    client_->set_default_headers({{"X-Horaz-Token", server_->token()}});
    client_->set_read_timeout(30, 0);
  }

  json get(const std::string& path, int expected = 200) {
    const httplib::Result result = client_->Get(path);
    EXPECT_TRUE(result) << path;
    if (!result) return nullptr;
    EXPECT_EQ(result->status, expected) << path << ": " << result->body;
    return json::parse(result->body, nullptr, false);
  }
  json post(const std::string& path, const json& body, int expected = 200) {
    const httplib::Result result = client_->Post(path, body.dump(), "application/json");
    EXPECT_TRUE(result) << path;
    if (!result) return nullptr;
    EXPECT_EQ(result->status, expected) << path << " " << body.dump() << ": " << result->body;
    return json::parse(result->body, nullptr, false);
  }
  std::string bytes(const std::string& path) {
    const httplib::Result result = client_->Get(path);
    EXPECT_TRUE(result && result->status == 200) << path;
    return result ? result->body : std::string();
  }
  void set(const std::string& name, const json& value, double time = 0) {
    post("/api/parameters", {{"name", name}, {"value", value}, {"time", time}});
  }
  double value(const std::string& name, double time = 0) {
    return get("/api/parameters?time=" + std::to_string(time))["parameters"][name]["value"].get<double>();
  }

  TemporaryFolder folder_;
  studio::StudioSession session_{testhost::default_plugin_path()};
  std::unique_ptr<studio::StudioServer> server_;
  std::unique_ptr<httplib::Client> client_;
};

}  // namespace horaz::test
