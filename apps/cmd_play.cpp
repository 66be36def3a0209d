// corvida play: plays a stack in a desktop window, with the mouse and the keyboard.
#include <algorithm>
#include <cstdio>

#include "apps/command.h"
#include "apps/terminal.h"
#include "platform/charset.h"
#include "platform/files.h"
#include "platform/gfx/png.h"
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

class PlayCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", stack_, "the stack to play")->required();
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
    app.footer(
        "Plays the stack in a window. Ctrl+> and Ctrl+< move to the next and previous card,\n"
        "Ctrl+1 and Ctrl+9 to the first and last, Ctrl+~ back, Ctrl+H home, Ctrl+J jumps to a\n"
        "card, Ctrl+O opens another stack, Ctrl+S saves; hold Shift and Ctrl to see the\n"
        "buttons. Close the window to stop.");
  }

  int Run() override;

 private:
#ifdef CORVIDA_HAVE_SDL
  int PlayFor(sdl::SdlPlatform& platform, PlayerWindow& window, WindowId id);
#endif
  std::string stack_, screenshot_;
  long seconds_ = 0, after_ = 1000;
};

int PlayCommand::Run() {
  // Asked before the window system starts, so that a mistyped name gets a plain answer.
  if (!CheckReadable("play", stack_)) return kExitFailure;
#ifdef CORVIDA_HAVE_SDL
  // Media folders beside the program are beside its file, wherever it is started from.
  sdl::SdlPlatform platform(UserFolders(ProgramFolder()));
  std::string error;
  if (!platform.Start(error)) {
    std::fprintf(stderr, "corvida play: no display to play in (%s)\n", error.c_str());
    return kExitFailure;
  }
  Player player(platform);
  PlayerWindow window(player);
  window.set_saving_allowed(true);
  if (window.OpenStack(stack_) != 0 || player.stack.CardCount() == 0) {
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

CommandRegistration reg(Entry<PlayCommand>("play", "play a stack in a window", 5));

}  // namespace
}  // namespace corvida::app
