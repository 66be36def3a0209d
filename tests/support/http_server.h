// A small HTTP server on 127.0.0.1 for tests: it serves files from a table, answers 404
// for anything else, and closes each connection after one answer. Its socket listens
// before the constructor returns, so a client can connect at once; nothing waits by
// sleeping.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvida::testing {

class HttpServer {
 public:
  struct Page {
    std::string body;
    std::string last_modified;  // the header's value; "" sends none
    std::string type = "application/octet-stream";
    std::string redirect;  // a Location to send with 302 instead of the body
  };

  HttpServer();
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  bool listening() const { return listen_fd_ >= 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by `path`.
  std::string Url(const std::string& path) const;
  void Serve(const std::string& path, Page page);
  // The paths asked for so far, in order.
  std::vector<std::string> requests() const;

  // A port nothing listens on (bound once, then let go).
  static int UnusedPort();

 private:
  void Accept();
  void Answer(int client);

  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Page> pages_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace corvida::testing
