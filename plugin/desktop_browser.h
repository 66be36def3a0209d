// The desktop's browser: what `corvida play URL` and `corvida replay URL` run the plug-in
// in. It loads the plug-in through its entry points, gives it one full-page instance in
// the player's window, fetches the page's stack and every URL the plug-in asks for with a
// UrlFetcher, and feeds what arrives through the same stream functions a browser called:
// the announced length and the Last-Modified date as the server gave them.
//
// Fetches run on the fetcher's thread; their pieces are fed here, on the player's thread,
// when the host's loop calls Deliver (between messages), and while the player waits for a
// file a click asked for (the browser is the instance's stream pump): the click's own run
// then finds its sound or picture, as on a page, and nothing has to be run again. A stack
// stream is never fed inside such a wait: it is held for the host's loop.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "platform/url_fetch.h"
#include "player/player_window.h"
#include "plugin/instance.h"
#include "plugin/npapi.h"
#include "plugin/plugin_host.h"

namespace corvida::plugin {

class InstancePlayer;

// Where the host shows how the download of a stack goes (the terminal's progress line).
class DownloadProgress {
 public:
  virtual ~DownloadProgress() = default;
  // `length` 0: not announced.
  virtual void Progress(const std::string& url, uint64_t received, uint64_t length) = 0;
  virtual void Finished(const std::string& url) = 0;
};

class DesktopBrowser : public PluginHost, public StreamPump {
 public:
  DesktopBrowser(Platform& platform, UrlFetcher& fetcher, std::string cache_folder, PlayerLog* log,
                 DownloadProgress* progress);
  ~DesktopBrowser() override;
  DesktopBrowser(const DesktopBrowser&) = delete;
  DesktopBrowser& operator=(const DesktopBrowser&) = delete;

  // Loads the plug-in, makes its instance in `window` and asks for the page's stack;
  // false (with the reason in `error`) when the URL is not fetched or the plug-in
  // refused to start.
  bool Open(const std::string& url, WindowId window, std::string& error);
  // Feeds every piece that arrived to the plug-in; never waits.
  void Deliver();
  // Feeds pieces as they arrive until nothing is fetched any more (files asked for while
  // delivering included), waiting on the fetcher for at most `limit_ms` without news.
  // False when it ran out of time.
  bool Settle(uint32_t limit_ms);
  // The page's own stack could not be fetched, or arrived but could not be opened: why.
  const std::string& page_error() const { return page_error_; }
  bool page_shown();

  Player* player();
  PlayerWindow* window();

  // PluginHost
  Platform& platform() override { return platform_; }
  std::string CacheFolder() override { return cache_folder_; }
  PlayerLog* log() override { return log_; }
  // StreamPump: feeds what arrived up to a stack stream's first piece (false, held). On the
  // headless backend, whose clock does not wait, each pass first waits in real time for
  // news of the fetches, at most kPumpPatienceMs.
  bool PumpStreams() override;
  static constexpr uint32_t kPumpPatienceMs = 60000;

 private:
  struct Stream {
    std::string url;
    NPStream np{};
    std::string mime_type;
    bool started = false;
    bool ended = false;  // ended by the plug-in, or refused
    bool stack = false;
    uint64_t length = 0;
    uint64_t received = 0;
  };
  static NPError GetUrl(NPP instance, const char* url, const char* target);
  void Ask(const std::string& url);
  void AnswerRefusals();
  bool StartsOrFeedsStack(const FetchEvent& event) const;
  void Feed(FetchEvent& event);
  void Begin(Stream& stream, const FetchEvent& event);
  void Write(Stream& stream, FetchEvent& event);
  void End(Stream& stream, NPReason reason);
  void Failed(Stream& stream, const std::string& why);
  void ShowProgress(const Stream& stream);

  Platform& platform_;
  UrlFetcher& fetcher_;
  std::string cache_folder_;
  PlayerLog* log_;
  DownloadProgress* progress_;
  NPNetscapeFuncs browser_{};
  NPPluginFuncs plugin_{};
  NPP_t instance_{};
  NPWindow np_window_{};
  bool loaded_ = false;
  bool instance_made_ = false;
  std::string page_url_;
  bool page_is_file_ = false;
  uint32_t page_request_ = 0;
  std::string page_error_;
  std::map<uint32_t, Stream> streams_;
  std::deque<std::string> refused_;  // URLs the page may not fetch, answered by Deliver
  std::deque<FetchEvent> held_;      // a stack's pieces taken during a wait, fed by Deliver
};

}  // namespace corvida::plugin
