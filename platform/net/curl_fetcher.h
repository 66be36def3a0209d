// The fetcher of the desktop: libcurl on a worker thread of its own. Bodies come in the
// pieces curl hands over; a piece that arrives while the event list was empty wakes the
// window system, so the player's loop takes it at its next turn.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/url_fetch.h"
#include "platform/window.h"

namespace corvida {

class CurlFetcher : public UrlFetcher {
 public:
  // `wake` (may be null) is woken from the worker thread when events arrive.
  CurlFetcher(FetchLimits limits, WindowSystem* wake);
  ~CurlFetcher() override;
  CurlFetcher(const CurlFetcher&) = delete;
  CurlFetcher& operator=(const CurlFetcher&) = delete;

  uint32_t Fetch(const std::string& url) override;
  bool TakeEvent(FetchEvent& out) override;
  bool WaitForEvent(uint32_t timeout_ms) override;
  bool busy() const override;

  // Used by the transfer's callbacks, on the worker thread.
  void Push(FetchEvent event);
  bool stopping() const { return stopping_; }

 private:
  struct Job {
    uint32_t request;
    std::string url;
  };
  void Work();
  void Transfer(const Job& job);

  FetchLimits limits_;
  WindowSystem* wake_;
  mutable std::mutex mutex_;
  std::condition_variable jobs_ready_;
  std::condition_variable events_ready_;
  std::deque<Job> jobs_;
  std::deque<FetchEvent> events_;
  bool in_flight_ = false;
  bool stopping_ = false;
  uint32_t next_request_ = 1;
  std::thread worker_;
};

}  // namespace corvida
