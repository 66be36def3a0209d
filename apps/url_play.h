// What `corvida play URL` and `corvida replay URL` share: telling a URL from a stack file,
// the progress line on the terminal, and the cache folder they use.
#pragma once

#include <string>

#include "plugin/desktop_browser.h"

namespace corvida::app {

// A stack named by URL rather than by path: it holds "://".
bool IsStackUrlArgument(const std::string& argument);

// "corvida COMMAND: 1.2 MB of 3.4 MB name.stk" on standard error, written over itself,
// only when standard error is a terminal.
class TerminalProgress : public plugin::DownloadProgress {
 public:
  explicit TerminalProgress(std::string command) : command_(std::move(command)) {}
  void Progress(const std::string& url, uint64_t received, uint64_t length) override;
  void Finished(const std::string& url) override;

 private:
  std::string command_;
  bool shown_ = false;
  uint64_t last_shown_ = 0;
};

// How long a settle waits for news of a fetch before it gives up, in milliseconds.
inline constexpr uint32_t kFetchPatienceMs = 60000;

}  // namespace corvida::app
