#include "support/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvida::testing {
namespace {

int ListeningSocket(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

void SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += size_t(n);
  }
}

}  // namespace

HttpServer::HttpServer() {
  listen_fd_ = ListeningSocket(port_);
  if (listen_fd_ >= 0) thread_ = std::thread([this] { Accept(); });
}

HttpServer::~HttpServer() {
  if (listen_fd_ < 0) return;
  stopping_ = true;
  // A connection of our own wakes the accept so the thread sees the flag.
  const int wake = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(uint16_t(port_));
  connect(wake, reinterpret_cast<sockaddr*>(&address), sizeof address);
  thread_.join();
  close(wake);
  close(listen_fd_);
}

std::string HttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpServer::Serve(const std::string& path, Page page) {
  std::lock_guard lock(mutex_);
  pages_[path] = std::move(page);
}

std::vector<std::string> HttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

int HttpServer::UnusedPort() {
  int port = 0;
  const int fd = ListeningSocket(port);
  if (fd >= 0) close(fd);
  return port;
}

void HttpServer::Accept() {
  while (!stopping_) {
    const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    if (!stopping_) Answer(client);
    close(client);
  }
}

void HttpServer::Answer(int client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const ssize_t n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    request.append(buffer, size_t(n));
  }
  const size_t path_start = request.find(' ') + 1;
  const std::string path = request.substr(path_start, request.find(' ', path_start) - path_start);
  Page page;
  bool found;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(path);
    auto it = pages_.find(path);
    found = it != pages_.end();
    if (found) page = it->second;
  }
  std::string head;
  if (!found) {
    page.body = "not here";
    head = "HTTP/1.1 404 Not Found\r\n";
  } else if (!page.redirect.empty()) {
    head = "HTTP/1.1 302 Found\r\nLocation: " + page.redirect + "\r\n";
    page.body.clear();
  } else {
    head = "HTTP/1.1 200 OK\r\nContent-Type: " + page.type + "\r\n";
    if (!page.last_modified.empty()) head += "Last-Modified: " + page.last_modified + "\r\n";
  }
  head += "Content-Length: " + std::to_string(page.body.size()) + "\r\nConnection: close\r\n\r\n";
  SendAll(client, head + page.body);
}

}  // namespace corvida::testing
