// The browser build's program: the page script (corvida.js) is the browser and this is
// what it talks to. One module instance serves one player element: the script starts it
// with the element's size, hands it the stack and every further file as streams, and
// input as it happens. Everything reaches the player through the plug-in's entry points,
// as from any browser. The page's calls only queue work; the one message loop, which may
// sleep inside any nested wait, does the work between messages, so no call from the page
// ever runs the player while it waits. Streams arriving during a dialog wait for its end.
// Files the player makes for the user (Save Stack As, Export Screen) become downloads.
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/web/web_platform.h"
#include "player/player_dialogs.h"
#include "player/player_window.h"
#include "plugin/instance.h"
#include "plugin/npapi.h"
#include "plugin/plugin_host.h"
#include "plugin/urls.h"
#include "web/web_nbas.h"

namespace corvida::web {
namespace {

EM_JS(void, web_get_url, (const char* url), { Module.corvida.getUrl(UTF8ToString(url)); });

EM_JS(void, web_log, (const char* line), { Module.corvida.log(UTF8ToString(line)); });

// The stack's own stream could not be taken (too large, cut short): the page says why.
EM_JS(void, web_stack_failed, (const char* url, const char* reason),
      { Module.corvida.stackFailed(UTF8ToString(url), UTF8ToString(reason)); });

// Offers bytes to the user as a file to keep, named `name`.
EM_JS(void, web_offer_download,
      (const char* name, const uint8_t* bytes, uint32_t size, const char* type), {
        Module.corvida.offerDownload(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size),
                                     UTF8ToString(type));
      });

// Where files for the user are written before they go to the page; never kept.
constexpr char kDownloadFolder[] = "/tmp/downloads";
// A stack or picture offered as a download is read whole; stacks stay far below this.
constexpr size_t kLargestDownload = size_t{512} << 20;

// The module's own folders; the cache folder lives beside the data.
Folders PageFolders() {
  return {"/corvida/config", "/corvida/data", "/corvida/program", "/tmp"};
}

std::set<std::string> SplitLines(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.insert(line);
  }
  return lines;
}

// The dialogs of the desktop, but Export Screen writes where the page takes the picture
// from as a download.
class WebDialogs : public PlayerDialogs {
 public:
  using PlayerDialogs::PlayerDialogs;
  // The stack's name as the page knows it (its URL's), for the names of exported files;
  // the player's own is that of its file in the download cache.
  void set_stack_name(std::string name) { stack_name_ = std::move(name); }
  std::optional<std::string> ChooseExportPath(const std::string& suggested) override {
    if (!CreateDirectories(kDownloadFolder)) return std::nullopt;
    std::string name = suggested;
    if (const size_t card = name.rfind(" card "); card != std::string::npos && !stack_name_.empty())
      name = stack_name_ + name.substr(card);
    for (char& c : name)
      if (c == '/' || c == '\\') c = '_';
    exported_ = std::string(kDownloadFolder) + "/" + name;
    return exported_;
  }
  // The file Export Screen asked for since the last look, or "".
  std::string TakeExported() { return std::exchange(exported_, ""); }

 private:
  std::string stack_name_;
  std::string exported_;
};

// One piece of work the page asked for, done by the message loop.
struct StreamWork {
  enum Kind { kBegin, kData, kEnd, kFailed, kSaveStack } kind;
  std::string url;
  uint32_t length = 0;
  uint32_t last_modified = 0;
  std::string type;
  std::vector<uint8_t> bytes;
  int reason = 0;
};

class WebHost : public plugin::PluginHost, public PlayerLog, public plugin::StreamPump {
 public:
  WebHost(Size size, std::set<std::string> fonts) : platform_(PageFolders(), std::move(fonts)) {
    for (const char* folder : {"/corvida/config", "/corvida/data", "/corvida/program", "/tmp"})
      CreateDirectories(folder);
    size_ = size;
  }

  Platform& platform() override { return platform_; }
  std::string CacheFolder() override {
    const std::string folder = "/corvida/data/cache";
    return CreateDirectories(folder) ? folder : "";
  }
  PlayerLog* log() override { return this; }
  void Write(const std::string& line) override { web_log(line.c_str()); }
  // StreamPump: a file the player waits for arrives through the pieces the page queued;
  // a stack stream is left for the outer loop.
  bool PumpStreams() override { return DoWork(true); }

  bool Start();
  void Run();
  void Queue(StreamWork work) { work_.push_back(std::move(work)); }
  void PostCommand(int command) {
    platform_.web_windows().PostMessage({shown(), msg::kCommand, uint64_t(command), 0, 0});
  }
  WebPlatform& web() { return platform_; }
  WindowId shown() { return platform_.web_windows().shown_window(); }

 private:
  // Does the queued work; with `stop_at_stack`, stops before a stack stream (false).
  bool DoWork(bool stop_at_stack = false);
  void OfferStack();
  void OfferExported();
  static NPError GetUrl(NPP, const char* url, const char*) {
    web_get_url(url);
    return NPERR_NO_ERROR;
  }

  WebPlatform platform_;
  Size size_;
  NPNetscapeFuncs browser_{};
  NPPluginFuncs plugin_{};
  NPP_t instance_{};
  NPWindow window_{};
  NPStream stream_{};
  std::string stream_url_;
  std::unique_ptr<WebDialogs> dialogs_;
  std::deque<StreamWork> work_;
  std::string stack_url_;  // the last stack streamed, which names the download
};

WebHost* host = nullptr;
// How often the loop looks for stream pieces the page queued while it slept.
constexpr uint32_t kLookForWorkMs = 15;

bool WebHost::Start() {
  plugin::SetPluginHost(this);
  browser_.size = sizeof(NPNetscapeFuncs);
  browser_.version = 0x0011;
  browser_.geturl = GetUrl;
  browser_.memalloc = [](uint32_t size) { return std::malloc(size); };
  browser_.memfree = [](void* p) { std::free(p); };
  plugin_.size = sizeof(NPPluginFuncs);
  if (NP_GetEntryPoints(&plugin_) != NPERR_NO_ERROR || NP_Initialize(&browser_) != NPERR_NO_ERROR)
    return false;
  char type[] = "application/corvida";
  if (plugin_.newp(type, &instance_, NP_EMBED, 0, nullptr, nullptr, nullptr) != NPERR_NO_ERROR)
    return false;
  const WindowId id = platform_.windows().CreateWindow("Corvida", size_);
  if (id == 0) return false;
  window_.window = reinterpret_cast<void*>(uintptr_t(id));
  window_.width = uint32_t(size_.width);
  window_.height = uint32_t(size_.height);
  plugin_.setwindow(&instance_, &window_);
  plugin::InstancePlayer* player = plugin::InstanceOf(&instance_);
  if (!player || !player->window()) return false;
  // Dialogs and alerts are drawn in the canvas.
  dialogs_ = std::make_unique<WebDialogs>(*player->player(), *player->window());
  platform_.web_alerts().SetInWindow(&dialogs_->alert_presenter());
  platform_.web_windows().SetFocus(id);
  // Files beside the stack are waited for on their first use.
  player->set_stream_pump(this);
  player->streams().set_stack_failure([](const std::string& url, const std::string& reason) {
    web_stack_failed(url.c_str(), reason.c_str());
  });
  return true;
}

// Streams one at a time, as a browser sends them.
bool WebHost::DoWork(bool stop_at_stack) {
  while (!work_.empty()) {
    const StreamWork& next = work_.front();
    if (stop_at_stack && next.kind == StreamWork::kBegin &&
        (plugin::IsStackUrl(next.url) || plugin::IsStackType(next.type)))
      return false;
    StreamWork work = std::move(work_.front());
    work_.pop_front();
    switch (work.kind) {
      case StreamWork::kBegin: {
        stream_url_ = work.url;
        if (plugin::IsStackUrl(work.url) || plugin::IsStackType(work.type)) {
          stack_url_ = work.url;
          if (dialogs_) dialogs_->set_stack_name(plugin::UrlStackName(stack_url_));
        }
        stream_ = NPStream{nullptr, nullptr, stream_url_.c_str(), work.length, work.last_modified,
                           nullptr};
        uint16_t stype = NP_NORMAL;
        plugin_.newstream(&instance_, work.type.empty() ? nullptr : work.type.data(), &stream_, 0,
                          &stype);
        break;
      }
      case StreamWork::kData:
        if (stream_url_ == work.url && !work.bytes.empty() &&
            plugin_.write(&instance_, &stream_, 0, int32_t(work.bytes.size()), work.bytes.data()) <
                0) {
          // The plug-in ended the stream (served from its cache, or failed).
          stream_url_.clear();
        }
        break;
      case StreamWork::kEnd:
        if (stream_url_ == work.url) {
          plugin_.destroystream(&instance_, &stream_, NPReason(work.reason));
          stream_url_.clear();
        }
        break;
      case StreamWork::kFailed:
        // The request waiting for this URL gives way to the next, as in the desktop's
        // browser; otherwise one missing file would hold up every later request.
        if (plugin::InstancePlayer* player = plugin::InstanceOf(&instance_))
          player->streams().UrlFailed(work.url);
        break;
      case StreamWork::kSaveStack:
        OfferStack();
        break;
    }
  }
  return true;
}

// Save Stack As: the stack as it is now, with what the user changed, as a download; the
// stack itself keeps coming from its download.
void WebHost::OfferStack() {
  Player* player = plugin::InstanceOf(&instance_)->player();
  if (!player || !player->stack.is_open()) return;
  std::vector<uint8_t> bytes;
  if (!player->stack.SaveCopy(bytes).saved()) {
    player->alerts.Alert(strid::kIoError);
    return;
  }
  const std::string name = plugin::UrlStackName(stack_url_) + ".stk";
  web_offer_download(name.c_str(), bytes.data(), uint32_t(bytes.size()), "application/corvida");
  web_log(("saved as \"" + name + "\"").c_str());
}

void WebHost::OfferExported() {
  const std::string path = dialogs_ ? dialogs_->TakeExported() : "";
  if (path.empty()) return;
  std::vector<uint8_t> bytes;
  if (ReadFileUpTo(path, kLargestDownload, bytes)) {
    const std::string name = PathFileName(path);
    const bool bmp = name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0;
    web_offer_download(name.c_str(), bytes.data(), uint32_t(bytes.size()),
                       bmp ? "image/bmp" : "image/png");
  }
  DeleteFile(path);
}

void WebHost::Run() {
  PlayerWindow* window = plugin::InstanceOf(&instance_)->window();
  WindowSystem& windows = platform_.windows();
  Message m;
  while (window && !window->closed()) {
    DoWork();
    if (windows.WaitMessage(m, kLookForWorkMs)) window->HandleMessage(m);
    OfferExported();
  }
}

}  // namespace
}  // namespace corvida::web

using corvida::web::host;
using corvida::web::StreamWork;

// The page script's calls. Strings are UTF-8; `fonts` lists the face files of the page's
// font folder, one a line.
extern "C" {

EMSCRIPTEN_KEEPALIVE int corvida_start(int width, int height, const char* fonts) {
  if (host) return 0;
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) width = 512, height = 342;
  corvida::web::RegisterWebNbas();
  host = new corvida::web::WebHost({width, height}, corvida::web::SplitLines(fonts ? fonts : ""));
  return host->Start() ? 1 : 0;
}

// Runs the message loop; it returns to the page at the first wait and goes on by itself.
EMSCRIPTEN_KEEPALIVE void corvida_run() {
  if (host) host->Run();
}

EMSCRIPTEN_KEEPALIVE void corvida_stream_begin(const char* url, const char* type, uint32_t length,
                                               uint32_t last_modified) {
  if (!host || !url) return;
  host->Queue({StreamWork::kBegin, url, length, last_modified, type ? type : "", {}, 0});
}

EMSCRIPTEN_KEEPALIVE void corvida_stream_data(const char* url, const uint8_t* bytes, int length) {
  if (!host || !url || !bytes || length <= 0) return;
  host->Queue({StreamWork::kData, url, 0, 0, "", {bytes, bytes + length}, 0});
}

// A URL the player asked for that could not be fetched at all.
EMSCRIPTEN_KEEPALIVE void corvida_url_failed(const char* url) {
  if (!host || !url) return;
  host->Queue({StreamWork::kFailed, url, 0, 0, "", {}, 0});
}

EMSCRIPTEN_KEEPALIVE void corvida_stream_end(const char* url, int reason) {
  if (!host || !url) return;
  host->Queue({StreamWork::kEnd, url, 0, 0, "", {}, reason});
}

EMSCRIPTEN_KEEPALIVE void corvida_key(int down, int repeat, const char* code, const char* key,
                                      uint32_t modifiers) {
  if (!host || !code || !key) return;
  host->web().web_windows().Key({down != 0, repeat != 0, code, key, modifiers});
}

EMSCRIPTEN_KEEPALIVE void corvida_mouse(int kind, int x, int y, int button, uint32_t buttons,
                                        uint32_t modifiers, int clicks, int wheel_steps,
                                        int inside) {
  if (!host || kind < 0 || kind > 3) return;
  corvida::web::MouseInput input;
  input.kind = corvida::web::MouseKind(kind);
  input.at = {x, y};
  input.button = button;
  input.buttons = buttons;
  input.modifiers = modifiers;
  input.clicks = clicks;
  input.wheel_steps = wheel_steps;
  input.inside = inside != 0;
  host->web().web_windows().Mouse(input);
}

EMSCRIPTEN_KEEPALIVE void corvida_focus(int focused) {
  if (host) host->web().web_windows().FocusChanged(focused != 0);
}

// The page's audio node takes `frames` stereo frames of 16-bit samples at `out`.
EMSCRIPTEN_KEEPALIVE void corvida_audio_fill(int16_t* out, int frames) {
  if (!out || frames <= 0) return;
  if (!host) {
    std::fill(out, out + size_t(frames) * 2, int16_t{0});
    return;
  }
  host->web().web_audio().Fill(out, size_t(frames));
}

// A command of the page's menu, handled by the player as from its own menu.
EMSCRIPTEN_KEEPALIVE void corvida_command(int command) {
  using corvida::MenuCommand;
  if (!host) return;
  switch (MenuCommand(command)) {
    case MenuCommand::kSaveStackAs:
      host->Queue({StreamWork::kSaveStack, "", 0, 0, "", {}, 0});
      return;
    case MenuCommand::kJumpToCard:
    case MenuCommand::kFindText:
    case MenuCommand::kExportScreen:
    case MenuCommand::kPreferences:
      host->PostCommand(command);
      return;
    default:
      return;
  }
}

}  // extern "C"
