#include "plugin/desktop_browser.h"

#include <cstdlib>
#include <limits>

#include "platform/text.h"
#include "plugin/instance.h"
#include "plugin/urls.h"

namespace corvida::plugin {
namespace {

// "text/html; charset=utf-8" -> "text/html"
std::string BareType(const std::string& type) {
  std::string bare = type.substr(0, type.find(';'));
  while (!bare.empty() && bare.back() == ' ') bare.pop_back();
  return bare;
}

}  // namespace

DesktopBrowser::DesktopBrowser(Platform& platform, UrlFetcher& fetcher, std::string cache_folder,
                               PlayerLog* log, DownloadProgress* progress)
    : platform_(platform),
      fetcher_(fetcher),
      cache_folder_(std::move(cache_folder)),
      log_(log),
      progress_(progress) {}

DesktopBrowser::~DesktopBrowser() {
  if (instance_made_) plugin_.destroy(&instance_, nullptr);
  if (loaded_) NP_Shutdown();
  SetPluginHost(nullptr);
}

bool DesktopBrowser::Open(const std::string& url, WindowId window_id, std::string& error) {
  if (!IsFetchableUrl(url)) {
    error = "only http, https and file URLs are played";
    return false;
  }
  SetPluginHost(this);
  browser_.size = sizeof(browser_);
  browser_.version = (kBrowserMajorVersion << 8) | 17;
  browser_.geturl = GetUrl;
  browser_.memalloc = [](uint32_t size) { return std::malloc(size); };
  browser_.memfree = [](void* p) { std::free(p); };
  plugin_.size = sizeof(plugin_);
  if (NP_GetEntryPoints(&plugin_) != NPERR_NO_ERROR || NP_Initialize(&browser_) != NPERR_NO_ERROR) {
    error = "the plug-in did not start";
    return false;
  }
  loaded_ = true;
  instance_.ndata = this;
  char type[] = "application/corvida";
  if (plugin_.newp(type, &instance_, NP_FULL, 0, nullptr, nullptr, nullptr) != NPERR_NO_ERROR) {
    error = "the plug-in made no instance";
    return false;
  }
  instance_made_ = true;
  const Size client = platform_.windows().ClientSize(window_id);
  np_window_.window = reinterpret_cast<void*>(uintptr_t(window_id));
  np_window_.width = uint32_t(std::max(client.width, 0));
  np_window_.height = uint32_t(std::max(client.height, 0));
  if (plugin_.setwindow(&instance_, &np_window_) != NPERR_NO_ERROR || !window()) {
    error = "the player did not start in the window";
    return false;
  }
  // A file asked for by a click is waited for: its pieces come through PumpStreams.
  InstanceOf(&instance_)->set_stream_pump(this);
  page_url_ = url;
  page_is_file_ = IsFileUrl(url);
  page_request_ = fetcher_.Fetch(url);
  streams_[page_request_].url = url;
  return true;
}

NPError DesktopBrowser::GetUrl(NPP instance, const char* url, const char*) {
  auto* self = instance ? static_cast<DesktopBrowser*>(instance->ndata) : nullptr;
  if (!self || !url) return NPERR_INVALID_INSTANCE_ERROR;
  self->Ask(url);
  return NPERR_NO_ERROR;
}

void DesktopBrowser::Ask(const std::string& url) {
  // A page from the web never reaches this machine's files, whatever its stack asks.
  if (!IsFetchableUrl(url) || (IsFileUrl(url) && !page_is_file_)) {
    refused_.push_back(url);
    return;
  }
  streams_[fetcher_.Fetch(url)].url = url;
}

// ---- feeding the plug-in ----

void DesktopBrowser::AnswerRefusals() {
  // Refusals are answered here, not inside the plug-in's own call that asked.
  while (!refused_.empty()) {
    Stream refused;
    refused.url = refused_.front();
    refused_.pop_front();
    Failed(refused, "refused");
  }
}

void DesktopBrowser::Deliver() {
  AnswerRefusals();
  // What a wait held back comes first: the pieces stay in the order they arrived.
  while (!held_.empty()) {
    FetchEvent event = std::move(held_.front());
    held_.pop_front();
    Feed(event);
  }
  FetchEvent event;
  while (fetcher_.TakeEvent(event)) Feed(event);
}

bool DesktopBrowser::StartsOrFeedsStack(const FetchEvent& event) const {
  const auto it = streams_.find(event.request);
  if (it == streams_.end()) return false;
  const Stream& stream = it->second;
  if (event.kind == FetchEvent::Kind::kStarted)
    return IsStackUrl(stream.url) || IsStackType(BareType(event.mime_type));
  return stream.started ? stream.stack : IsStackUrl(stream.url);
}

bool DesktopBrowser::PumpStreams() {
  AnswerRefusals();
  if (!held_.empty()) return false;
  if (platform_.headless() && fetcher_.busy()) fetcher_.WaitForEvent(kPumpPatienceMs);
  FetchEvent event;
  while (fetcher_.TakeEvent(event)) {
    if (StartsOrFeedsStack(event)) {
      held_.push_back(std::move(event));
      return false;
    }
    Feed(event);
  }
  return true;
}

bool DesktopBrowser::Settle(uint32_t limit_ms) {
  for (;;) {
    Deliver();
    if (!fetcher_.busy() && refused_.empty()) return true;
    if (!fetcher_.WaitForEvent(limit_ms)) {
      Deliver();
      return !fetcher_.busy() && refused_.empty();
    }
  }
}

void DesktopBrowser::Feed(FetchEvent& event) {
  auto it = streams_.find(event.request);
  if (it == streams_.end()) return;
  Stream& stream = it->second;
  switch (event.kind) {
    case FetchEvent::Kind::kStarted:
      return Begin(stream, event);
    case FetchEvent::Kind::kData:
      return Write(stream, event);
    case FetchEvent::Kind::kFinished:
      if (!stream.ended) End(stream, NPRES_DONE);
      if (stream.stack) {
        if (progress_) progress_->Finished(stream.url);
        if (window()) window()->HideDownloadProgress();
      }
      break;
    case FetchEvent::Kind::kFailed:
      if (event.request == page_request_) page_error_ = event.error;
      Failed(stream, event.error);
      break;
  }
  streams_.erase(it);
}

void DesktopBrowser::Begin(Stream& stream, const FetchEvent& event) {
  stream.started = true;
  stream.length = event.length;
  stream.mime_type = BareType(event.mime_type);
  stream.stack = IsStackUrl(stream.url) || IsStackType(stream.mime_type);
  stream.np.ndata = this;
  stream.np.url = stream.url.c_str();
  // A length past what the stream record holds is passed as unknown; the cache's limit
  // ends such a stream anyway.
  stream.np.end = event.length <= std::numeric_limits<uint32_t>::max() ? uint32_t(event.length) : 0;
  stream.np.lastmodified = event.last_modified;
  uint16_t stype = NP_NORMAL;
  if (plugin_.newstream(&instance_, stream.mime_type.empty() ? nullptr : stream.mime_type.data(),
                        &stream.np, 0, &stype) != NPERR_NO_ERROR) {
    // No file for it: the request that waited for it gives way.
    stream.ended = true;
    if (InstancePlayer* player = InstanceOf(&instance_)) player->streams().UrlFailed(stream.url);
  }
  if (stream.stack) ShowProgress(stream);
}

void DesktopBrowser::Write(Stream& stream, FetchEvent& event) {
  if (!stream.started || stream.ended) return;
  const int32_t length = int32_t(event.bytes.size());
  const int32_t taken =
      plugin_.write(&instance_, &stream.np, int32_t(stream.received), length, event.bytes.data());
  stream.received += event.bytes.size();
  // Ended (served from the cache, or failed), or refused as not the stream awaited.
  if (taken != length) End(stream, taken < 0 ? NPRES_DONE : NPRES_USER_BREAK);
  if (stream.stack) ShowProgress(stream);
}

void DesktopBrowser::End(Stream& stream, NPReason reason) {
  stream.ended = true;
  plugin_.destroystream(&instance_, &stream.np, reason);
}

void DesktopBrowser::Failed(Stream& stream, const std::string& why) {
  if (log_) log_->Write("cannot fetch " + Quoted(stream.url) + ": " + why);
  if (stream.started && !stream.ended) {
    End(stream, NPRES_NETWORK_ERR);
  } else if (!stream.started) {
    if (InstancePlayer* player = InstanceOf(&instance_)) player->streams().UrlFailed(stream.url);
  }
  if (window()) window()->HideDownloadProgress();
}

void DesktopBrowser::ShowProgress(const Stream& stream) {
  if (progress_) progress_->Progress(stream.url, stream.received, stream.length);
  if (window()) window()->ShowDownloadProgress(stream.received, stream.length);
}

bool DesktopBrowser::page_shown() {
  Player* shown = player();
  return shown && shown->stack.is_open();
}

Player* DesktopBrowser::player() {
  InstancePlayer* player = InstanceOf(&instance_);
  return player ? player->player() : nullptr;
}

PlayerWindow* DesktopBrowser::window() {
  InstancePlayer* player = InstanceOf(&instance_);
  return player ? player->window() : nullptr;
}

}  // namespace corvida::plugin
