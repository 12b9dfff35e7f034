#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace horaz::studio {

class StudioSession;
class RenderJob;

struct ServerOptions {
  std::filesystem::path outputFolder;  // renders go only under it
  std::filesystem::path tool;          // the `horaz` program that renders
  int port = 0;                        // 0: a free port
  std::string token;                   // empty: a new random one
};

// Request bodies larger than this are refused (413) before they are read.
inline constexpr size_t kLargestRequestBody = 1 << 20;

// The studio's web server: the page and the JSON API over one session, on
// 127.0.0.1 only. Every request must carry the token (as ?token= or the
// X-Horaz-Token header); others get 403. Serves on its own threads from
// construction until destruction.
class StudioServer {
 public:
  // Throws std::runtime_error when the port cannot be bound.
  StudioServer(StudioSession& session, ServerOptions options);
  ~StudioServer();
  StudioServer(const StudioServer&) = delete;
  StudioServer& operator=(const StudioServer&) = delete;

  int port() const { return port_; }
  const std::string& token() const { return token_; }
  // http://127.0.0.1:PORT/?token=TOKEN
  std::string address() const;

 private:
  void route();

  StudioSession& session_;
  ServerOptions options_;
  std::string token_;
  int port_ = 0;
  std::unique_ptr<RenderJob> render_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
};

// A random token of 32 hexadecimal digits.
std::string randomToken();

}  // namespace horaz::studio
