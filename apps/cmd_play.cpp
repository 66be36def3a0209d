// corvida play: plays a stack in a desktop window, with the mouse and the keyboard.
#include <algorithm>
#include <cstdio>

#include "apps/command.h"
#include "apps/play_events.h"
#include "apps/terminal.h"
#include "apps/url_play.h"
#include "platform/charset.h"
#include "platform/files.h"
#include "platform/gfx/png.h"
#include "platform/message_queue.h"
#include "platform/net/curl_fetcher.h"
#include "player/player_dialogs.h"
#include "player/player_window.h"
#ifdef CORVIDA_HAVE_SDL
#include "platform/sdl/sdl_platform.h"
#endif

namespace corvida::app {
namespace {

#ifdef CORVIDA_HAVE_SDL
bool WriteScreenshot(sdl::SdlWindowSystem& windows, WindowId id, const std::string& path) {
  std::vector<uint8_t> rgba;
  Size size;
  std::string error = "the window cannot be read";
  gfx::Bitmap shot;
  if (windows.ReadShown(id, rgba, size) && shot.Create(size.width, size.height, 32)) {
    for (int y = 0; y < size.height; ++y) {
      const uint8_t* src = rgba.data() + size_t(y) * size_t(size.width) * 4;
      uint8_t* dst = shot.Row(y);
      for (int x = 0; x < size.width; ++x) {
        dst[x * 4] = src[x * 4 + 2];
        dst[x * 4 + 1] = src[x * 4 + 1];
        dst[x * 4 + 2] = src[x * 4];
      }
    }
    if (gfx::WritePngFile(path, shot, nullptr, &error)) return true;
  }
  std::fprintf(stderr, "corvida play: cannot write %s: %s\n", path.c_str(), error.c_str());
  return false;
}
#endif

#ifdef CORVIDA_HAVE_SDL
constexpr int kKeepPlaying = -1;

// kKeepPlaying once a stack is open, else the exit status: cancelling is no failure, a
// stack that cannot be played is (its alert was shown).
int ChooseFirstStack(Player& player, PlayerWindow& window) {
  window.ShowCard(0, 0, 0, false);
  const auto chosen = window.questions().ChooseStack();
  if (!chosen) return kExitOk;
  if (window.OpenStack(*chosen) == 0 && player.stack.CardCount() > 0) return kKeepPlaying;
  std::fprintf(stderr, "corvida play: cannot open the stack %s\n", EscapeControls(*chosen).c_str());
  return kExitFailure;
}

#endif

class PlayCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", stack_,
                   "the stack to play (a file, or an http, https or file URL); without one "
                   "the player asks which");
    app.add_option("--seconds", seconds_, "close the window after N seconds (for demonstrations)")
        ->check(CLI::Range(1, 86400))
        ->type_name("N");
    app.add_option("--screenshot", screenshot_,
                   "write what the window shows, at the card's size, as a PNG file")
        ->type_name("FILE");
    app.add_option("--after", after_, "... after MS milliseconds of playing")
        ->check(CLI::Range(0, 86400000))
        ->type_name("MS")
        ->capture_default_str();
    app.add_option("--events", events_file_,
                   "first sends the window the input events of FILE (wait MS, resize W H, "
                   "key NAME, drop PATH, shot FILE: for smoke tests on a virtual display)")
        ->type_name("FILE");
    app.footer(
        "Plays the stack in a window. Ctrl+> and Ctrl+< move to the next and previous card,\n"
        "Ctrl+1 and Ctrl+9 to the first and last, Ctrl+~ back, Ctrl+H home, Ctrl+J jumps to a\n"
        "card, Ctrl+O opens another stack, Ctrl+S saves; hold Shift and Ctrl to see the\n"
        "buttons. Close the window to stop. A stack from a URL is fetched, with every file it\n"
        "asks for, as a browser would send them to the plug-in, and kept in the cache folder\n"
        "($XDG_CACHE_HOME/corvida); it is never saved.");
  }

  int Run() override;

 private:
#ifdef CORVIDA_HAVE_SDL
  int PlayFor(sdl::SdlPlatform& platform, PlayerWindow& window, WindowId id);
  // Sends the scripted events to the window; false when a screenshot failed.
  bool SendEvents(sdl::SdlPlatform& platform, PlayerWindow& window, WindowId id);
  int PlayUrl(sdl::SdlPlatform& platform);
  // Takes messages (and what the fetcher brought, between them) until the window closes
  // or `ms` pass (0: until it closes).
  void RunWithDownloads(sdl::SdlPlatform& platform, plugin::DesktopBrowser& browser, long ms);
#endif
  std::string stack_, screenshot_, events_file_;
  std::vector<PlayEvent> events_;
  long seconds_ = 0, after_ = 1000;
};

int PlayCommand::Run() {
  // Asked before the window system starts, so that a mistyped name gets a plain answer.
  const bool from_url = IsStackUrlArgument(stack_);
  if (!from_url && !stack_.empty() && !CheckReadable("play", stack_)) return kExitFailure;
  if (!events_file_.empty()) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!CheckReadable("play", events_file_)) return kExitFailure;
    if (!ReadFileUpTo(events_file_, 1 << 20, bytes) ||
        !ParsePlayEvents(std::string(bytes.begin(), bytes.end()), events_, error)) {
      std::fprintf(stderr, "corvida play: %s: %s\n", EscapeControls(events_file_).c_str(),
                   error.empty() ? "cannot be read (at most 1 MiB)" : error.c_str());
      return kExitUsage;
    }
  }
#ifdef CORVIDA_HAVE_SDL
  // Media folders beside the program are beside its file, wherever it is started from.
  sdl::SdlPlatform platform(UserFolders(ProgramFolder()));
  std::string error;
  if (!platform.Start(error)) {
    std::fprintf(stderr, "corvida play: no display to play in (%s)\n", error.c_str());
    return kExitFailure;
  }
  if (from_url) return PlayUrl(platform);
  Player player(platform);
  PlayerWindow window(player);
  window.set_saving_allowed(true);
  window.set_desktop_window(true);
  window.set_print_queue(true);
  if (!stack_.empty() && (window.OpenStack(stack_) != 0 || player.stack.CardCount() == 0)) {
    std::fprintf(stderr, "corvida play: cannot open the stack %s\n",
                 EscapeControls(stack_).c_str());
    return kExitFailure;
  }
  WindowId id = platform.windows().CreateWindow("Corvida", window.CardSize());
  if (!window.Attach(id)) {
    std::fprintf(stderr, "corvida play: cannot open a window\n");
    return kExitFailure;
  }
  // Dialogs and alerts are drawn inside the window while it is open.
  PlayerDialogs dialogs(player, window);
  platform.sdl_alerts().SetInWindow(&dialogs.alert_presenter());
  // Started without a stack (the desktop's menu entry): the user picks one first, over a
  // white window; cancelling ends the program.
  const int chosen = stack_.empty() ? ChooseFirstStack(player, window) : kKeepPlaying;
  if (chosen != kKeepPlaying) {
    platform.sdl_alerts().SetInWindow(nullptr);
    window.Shutdown();
    platform.windows().DestroyWindow(id);
    return chosen;
  }
  window.ShowFirstCard();
  const int status = PlayFor(platform, window, id);
  platform.sdl_alerts().SetInWindow(nullptr);
  window.Shutdown();
  platform.windows().DestroyWindow(id);
  return status;
#else
  std::fprintf(stderr, "corvida play: this build has no desktop window\n");
  return kExitFailure;
#endif
}

#ifdef CORVIDA_HAVE_SDL
// Plays until the window closes or the given seconds pass, taking the screenshot on the way.
int PlayCommand::PlayFor(sdl::SdlPlatform& platform, PlayerWindow& window, WindowId id) {
  long left_ms = seconds_ * 1000;
  int status = kExitOk;
  if (!events_.empty() && !SendEvents(platform, window, id)) status = kExitFailure;
  if (!screenshot_.empty()) {
    const long wait = seconds_ > 0 ? std::min(after_, left_ms) : after_;
    window.Pump(uint32_t(wait));
    left_ms -= wait;
    if (!window.closed() && !WriteScreenshot(platform.sdl_windows(), id, screenshot_))
      status = kExitFailure;
  }
  if (seconds_ == 0) {
    window.RunUntilClosed();
  } else if (left_ms > 0) {
    window.Pump(uint32_t(left_ms));
  }
  return status;
}
#endif

#ifdef CORVIDA_HAVE_SDL
namespace {

void PushKey(SDL_Window* native, SDL_Keycode key, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = SDL_GetWindowID(native);
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  SDL_PushEvent(&e);
}

}  // namespace

bool PlayCommand::SendEvents(sdl::SdlPlatform& platform, PlayerWindow& window, WindowId id) {
  sdl::SdlWindowSystem& windows = platform.sdl_windows();
  SDL_Window* native = windows.NativeWindow(id);
  bool ok = true;
  for (const PlayEvent& e : events_) {
    if (window.closed() || native == nullptr) break;
    switch (e.kind) {
      case PlayEventKind::kWait:
        window.Pump(uint32_t(e.a));
        break;
      case PlayEventKind::kResize:
        SDL_SetWindowSize(native, e.a, e.b);
        break;
      case PlayEventKind::kKey: {
        const SDL_Keycode key = SDL_GetKeyFromName(e.text.c_str());
        if (key == SDLK_UNKNOWN) {
          std::fprintf(stderr, "corvida play: no key is named \"%s\"\n",
                       EscapeControls(e.text).c_str());
          ok = false;
          break;
        }
        PushKey(native, key, true);
        PushKey(native, key, false);
        break;
      }
      case PlayEventKind::kDrop: {
        SDL_Event drop{};
        drop.type = SDL_DROPFILE;
        drop.drop.windowID = SDL_GetWindowID(native);
        drop.drop.file = SDL_strdup(e.text.c_str());  // freed by the window system
        if (SDL_PushEvent(&drop) != 1) SDL_free(drop.drop.file);
        break;
      }
      case PlayEventKind::kShot: {
        if (!WriteScreenshot(windows, id, e.text)) ok = false;
        int w = 0, h = 0;
        SDL_GetWindowSize(native, &w, &h);
        const MenuBar& bar = window.menu_bar();
        std::printf("shot %s: window %dx%d%s, card %dx%d%s\n", EscapeControls(e.text).c_str(), w, h,
                    windows.FullScreen(id) ? ", full screen" : "", window.CardSize().width,
                    window.CardSize().height, bar.active() && bar.list_open() ? ", menu open" : "");
        break;
      }
    }
    // What the event caused is handled before the next one.
    window.Pump(0);
  }
  std::fflush(stdout);
  return ok;
}

int PlayCommand::PlayUrl(sdl::SdlPlatform& platform) {
  CurlFetcher fetcher(FetchLimits{}, &platform.windows());
  TerminalProgress progress("play");
  // The player's lines go nowhere: the window shows what happens.
  plugin::DesktopBrowser browser(platform, fetcher, plugin::DesktopCacheFolder(), nullptr,
                                 &progress);
  const WindowId id = platform.windows().CreateWindow("Corvida", {512, 342});
  std::string error;
  if (id == 0 || !browser.Open(stack_, id, error)) {
    std::fprintf(stderr, "corvida play: %s: %s\n", EscapeControls(stack_).c_str(),
                 id == 0 ? "cannot open a window" : error.c_str());
    return kExitFailure;
  }
  // The page's stack first: the window shows the bar until it is here.
  while (fetcher.busy() && !browser.page_shown() && browser.page_error().empty() &&
         !browser.window()->closed()) {
    Message m;
    if (platform.windows().WaitMessage(m, MessageQueue::kForever))
      browser.window()->HandleMessage(m);
    browser.Deliver();
  }
  if (!browser.page_shown()) {
    const std::string why =
        browser.page_error().empty() ? "it cannot be opened" : browser.page_error();
    std::fprintf(stderr, "corvida play: cannot play %s: %s\n", EscapeControls(stack_).c_str(),
                 why.c_str());
    platform.windows().DestroyWindow(id);
    return kExitFailure;
  }
  PlayerWindow& window = *browser.window();
  platform.sdl_windows().ResizeClient(id, window.CardSize());
  PlayerDialogs dialogs(*browser.player(), window);
  platform.sdl_alerts().SetInWindow(&dialogs.alert_presenter());
  int status = kExitOk;
  if (!screenshot_.empty()) {
    RunWithDownloads(platform, browser, seconds_ > 0 ? std::min(after_, seconds_ * 1000) : after_);
    if (!window.closed() && !WriteScreenshot(platform.sdl_windows(), id, screenshot_))
      status = kExitFailure;
  }
  const long left = seconds_ * 1000 - (screenshot_.empty() ? 0 : after_);
  if (seconds_ == 0 || left > 0) RunWithDownloads(platform, browser, seconds_ == 0 ? 0 : left);
  platform.sdl_alerts().SetInWindow(nullptr);
  return status;
}

void PlayCommand::RunWithDownloads(sdl::SdlPlatform& platform, plugin::DesktopBrowser& browser,
                                   long ms) {
  PlayerWindow& window = *browser.window();
  Clock& clock = platform.clock();
  const uint32_t end = clock.Milliseconds() + uint32_t(ms);
  while (!window.closed()) {
    // What arrived is fed here, between messages, never inside a nested loop.
    browser.Deliver();
    uint32_t wait = MessageQueue::kForever;
    if (ms > 0) {
      const int32_t left = int32_t(end - clock.Milliseconds());
      if (left <= 0) break;
      wait = uint32_t(left);
    }
    Message m;
    if (platform.windows().WaitMessage(m, wait)) window.HandleMessage(m);
  }
}
#endif

CommandRegistration register_play(Entry<PlayCommand>("play", "play a stack in a window", 5));

}  // namespace
}  // namespace corvida::app
