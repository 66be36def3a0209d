// Fetching URLs off the player's thread: a fetcher works through the URLs it was given,
// one at a time and in order, and leaves what happened to each as events the player's
// thread takes between messages. A finished piece wakes the window system's wait, so the
// loop that takes the events never spins.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvida {

struct FetchEvent {
  enum class Kind { kStarted, kData, kFinished, kFailed };
  Kind kind = Kind::kStarted;
  uint32_t request = 0;
  // kStarted: what the server said of the body (0: unknown length or date).
  uint64_t length = 0;
  uint32_t last_modified = 0;  // seconds since 1970
  std::string mime_type;
  // kData: the next bytes of the body.
  std::vector<uint8_t> bytes;
  // kFailed: why, in a few words ("HTTP 404", "cannot connect").
  std::string error;
};

// What a fetch may do.
struct FetchLimits {
  uint64_t max_bytes = 15000000;  // a larger body is refused
  uint32_t connect_timeout_ms = 10000;
  uint32_t stall_timeout_s = 30;  // no byte for this long ends the fetch
  int max_redirects = 5;          // to http and https only
};

class UrlFetcher {
 public:
  virtual ~UrlFetcher() = default;
  // Queues `url` (http, https or file; anything else fails at once); its number.
  virtual uint32_t Fetch(const std::string& url) = 0;
  // The next event of any fetch, without waiting; false when none is there.
  virtual bool TakeEvent(FetchEvent& out) = 0;
  // Blocks until an event is there or `timeout_ms` passed; false when nothing is queued
  // or in flight (no event can come) or the time ran out.
  virtual bool WaitForEvent(uint32_t timeout_ms) = 0;
  // Fetches queued or in flight, or events not yet taken.
  virtual bool busy() const = 0;
};

// Only these schemes are ever fetched (compared without regard to case).
bool IsFetchedScheme(const std::string& url);

}  // namespace corvida
