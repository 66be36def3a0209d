#include "apps/url_play.h"

#include <cstdio>

#include "apps/terminal.h"
#include "platform/files.h"

namespace corvida::app {
namespace {

std::string Amount(uint64_t bytes) {
  char text[32];
  if (bytes < 1000000)
    std::snprintf(text, sizeof text, "%llu KB", static_cast<unsigned long long>(bytes / 1000));
  else
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
  return text;
}

std::string LastName(const std::string& url) {
  const std::string path = url.substr(0, url.find_first_of("?#"));
  return path.substr(path.find_last_of('/') + 1);
}

}  // namespace

bool IsStackUrlArgument(const std::string& argument) {
  return argument.find("://") != std::string::npos;
}

void TerminalProgress::Progress(const std::string& url, uint64_t received, uint64_t length) {
  if (!StandardErrorIsTerminal()) return;
  // Written again every 64 KB and at the end, not at every piece.
  if (shown_ && received - last_shown_ < 65536 && received != length) return;
  last_shown_ = received;
  shown_ = true;
  std::string line = "corvida " + command_ + ": " + Amount(received);
  if (length > 0) line += " of " + Amount(length);
  line += " " + LastName(url);
  std::fprintf(stderr, "\r%s\x1b[K", EscapeControls(line).c_str());
  std::fflush(stderr);
}

void TerminalProgress::Finished(const std::string&) {
  if (!shown_) return;
  std::fprintf(stderr, "\n");
  shown_ = false;
}

}  // namespace corvida::app
