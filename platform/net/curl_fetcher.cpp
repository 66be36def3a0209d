#include "platform/net/curl_fetcher.h"

#include <curl/curl.h>

#include <chrono>
#include <cstring>
#include <limits>

#include "platform/lazy_libs.h"

namespace corvida {
namespace {

// What one transfer keeps between curl's callbacks.
struct TransferState {
  CurlFetcher* fetcher;
  CURL* curl;
  uint32_t request;
  uint64_t max_bytes;
  uint64_t received = 0;
  bool started = false;
  bool too_large = false;
};

// The body's length and date as curl read them from the headers; 0 when not given.
void SendStarted(TransferState& t) {
  if (t.started) return;
  t.started = true;
  FetchEvent e;
  e.kind = FetchEvent::Kind::kStarted;
  e.request = t.request;
  curl_off_t length = -1, filetime = -1;
  curl_easy_getinfo(t.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  curl_easy_getinfo(t.curl, CURLINFO_FILETIME_T, &filetime);
  const char* type = nullptr;
  curl_easy_getinfo(t.curl, CURLINFO_CONTENT_TYPE, &type);
  e.length = length > 0 ? uint64_t(length) : 0;
  e.last_modified =
      filetime > 0 && filetime <= std::numeric_limits<uint32_t>::max() ? uint32_t(filetime) : 0;
  if (type) e.mime_type = type;
  t.fetcher->Push(std::move(e));
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<TransferState*>(user);
  const size_t n = size * count;
  if (t.fetcher->stopping()) return 0;
  if (t.received + n > t.max_bytes) {
    t.too_large = true;
    return 0;
  }
  SendStarted(t);
  t.received += n;
  FetchEvent e;
  e.kind = FetchEvent::Kind::kData;
  e.request = t.request;
  e.bytes.assign(reinterpret_cast<const uint8_t*>(data),
                 reinterpret_cast<const uint8_t*>(data) + n);
  t.fetcher->Push(std::move(e));
  return n;
}

// A fetcher going away ends the transfer in flight.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<TransferState*>(user)->fetcher->stopping() ? 1 : 0;
}

std::string FailureText(CURLcode code, CURL* curl, const TransferState& t, const char* detail) {
  if (t.too_large || code == CURLE_FILESIZE_EXCEEDED)
    return "larger than " + std::to_string(t.max_bytes) + " bytes";
  switch (code) {
    case CURLE_HTTP_RETURNED_ERROR: {
      long status = 0;
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
      return "HTTP " + std::to_string(status);
    }
    case CURLE_COULDNT_CONNECT:
      return "cannot connect";
    case CURLE_COULDNT_RESOLVE_HOST:
      return "unknown host";
    case CURLE_OPERATION_TIMEDOUT:
      return "timed out";
    case CURLE_TOO_MANY_REDIRECTS:
      return "too many redirects";
    case CURLE_UNSUPPORTED_PROTOCOL:
      return "not an http, https or file URL";
    case CURLE_FILE_COULDNT_READ_FILE:
      return "no such file";
    default:
      return detail[0] ? std::string(detail) : std::string(curl_easy_strerror(code));
  }
}

void InitialiseCurlOnce() {
  static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)done;
}

}  // namespace

bool IsFetchedScheme(const std::string& url) {
  auto starts = [&](const char* scheme) {
    const size_t n = std::strlen(scheme);
    if (url.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
      char c = url[i];
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
      if (c != scheme[i]) return false;
    }
    return true;
  };
  return starts("http://") || starts("https://") || starts("file://");
}

CurlFetcher::CurlFetcher(FetchLimits limits, WindowSystem* wake) : limits_(limits), wake_(wake) {}

CurlFetcher::~CurlFetcher() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  jobs_ready_.notify_all();
  if (worker_.joinable()) worker_.join();
}

uint32_t CurlFetcher::Fetch(const std::string& url) {
  std::lock_guard lock(mutex_);
  const uint32_t request = next_request_++;
  jobs_.push_back({request, url});
  if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
  jobs_ready_.notify_one();
  return request;
}

bool CurlFetcher::TakeEvent(FetchEvent& out) {
  std::lock_guard lock(mutex_);
  if (events_.empty()) return false;
  out = std::move(events_.front());
  events_.pop_front();
  return true;
}

bool CurlFetcher::WaitForEvent(uint32_t timeout_ms) {
  std::unique_lock lock(mutex_);
  return events_ready_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] {
    return !events_.empty() || (jobs_.empty() && !in_flight_);
  }) && !events_.empty();
}

bool CurlFetcher::busy() const {
  std::lock_guard lock(mutex_);
  return !jobs_.empty() || in_flight_ || !events_.empty();
}

void CurlFetcher::Push(FetchEvent event) {
  bool was_empty;
  {
    std::lock_guard lock(mutex_);
    was_empty = events_.empty();
    events_.push_back(std::move(event));
  }
  events_ready_.notify_all();
  // One wake per batch: the loop takes every waiting event at once.
  if (was_empty && wake_) wake_->WakeFromThread();
}

void CurlFetcher::Work() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      jobs_ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
      in_flight_ = true;
    }
    Transfer(job);
    {
      std::lock_guard lock(mutex_);
      in_flight_ = false;
    }
    events_ready_.notify_all();
  }
}

void CurlFetcher::Transfer(const Job& job) {
  // libcurl is opened with the first fetch (platform/lazy_libs.h).
  if (!LazyAvailable(LazyGroup::kCurl)) {
    FetchEvent failed;
    failed.request = job.request;
    failed.kind = FetchEvent::Kind::kFailed;
    failed.error = LazyError(LazyGroup::kCurl);
    Push(std::move(failed));
    return;
  }
  InitialiseCurlOnce();
  CURL* curl = curl_easy_init();
  TransferState t{this, curl, job.request, limits_.max_bytes};
  char detail[CURL_ERROR_SIZE] = {};
  CURLcode code = CURLE_FAILED_INIT;
  if (curl && IsFetchedScheme(job.url)) {
    curl_easy_setopt(curl, CURLOPT_URL, job.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,file");
    // A redirect never leads to a local file.
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(limits_.max_redirects));
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(limits_.connect_timeout_ms));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(limits_.stall_timeout_s));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits_.max_bytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Corvida");
    code = curl_easy_perform(curl);
  } else if (curl) {
    code = CURLE_UNSUPPORTED_PROTOCOL;
  }
  FetchEvent end;
  end.request = job.request;
  if (code == CURLE_OK) {
    SendStarted(t);  // an empty body has had no piece to announce it
    end.kind = FetchEvent::Kind::kFinished;
  } else {
    end.kind = FetchEvent::Kind::kFailed;
    end.error = curl ? FailureText(code, curl, t, detail) : "cannot start a transfer";
  }
  if (curl) curl_easy_cleanup(curl);
  Push(std::move(end));
}

}  // namespace corvida
