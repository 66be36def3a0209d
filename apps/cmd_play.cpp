// corvida play: plays a stack in a desktop window, with the mouse and the keyboard.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "apps/command.h"
#include "player/player_dialogs.h"
#include "player/player_window.h"
#include "platform/charset.h"
#include "platform/files.h"
#include "platform/gfx/png.h"
#ifdef CORVIDA_HAVE_SDL
#include "platform/sdl/sdl_platform.h"
#endif

namespace corvida::app {
namespace {

constexpr const char* kHelp =
    "Usage: corvida play STACK [--seconds N] [--screenshot FILE [--after MS]]\n\n"
    "Plays the stack in a window. Ctrl+> and Ctrl+< move to the next and previous card,\n"
    "Ctrl+1 and Ctrl+9 to the first and last, Ctrl+~ back, Ctrl+H home, Ctrl+J jumps to a\n"
    "card, Ctrl+O opens another stack, Ctrl+S saves; hold Shift and Ctrl to see the\n"
    "buttons. Close the window to stop.\n\n"
    "Options:\n"
    "  --seconds N        closes the window after N seconds (for demonstrations and tests)\n"
    "  --screenshot FILE  writes what the window shows, at the card's size, as a PNG file\n"
    "  --after MS         ... after MS milliseconds of playing (default 1000)\n";

bool ParseCount(const std::string& text, long low, long high, long& out) {
  char* end = nullptr;
  out = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == 0 && out >= low && out <= high;
}

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

int RunPlay(const std::vector<std::string>& args) {
  std::string stack, screenshot;
  long seconds = 0, after = 1000;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (args[i] == "--seconds" && i + 1 < args.size()) {
      if (!ParseCount(args[++i], 1, 86400, seconds)) {
        std::fprintf(stderr, "corvida play: --seconds wants a number of seconds\n");
        return kExitUsage;
      }
    } else if (args[i] == "--screenshot" && i + 1 < args.size()) {
      screenshot = args[++i];
    } else if (args[i] == "--after" && i + 1 < args.size()) {
      if (!ParseCount(args[++i], 0, 86400000, after)) {
        std::fprintf(stderr, "corvida play: --after wants a number of milliseconds\n");
        return kExitUsage;
      }
    } else if (!args[i].empty() && args[i][0] != '-' && stack.empty()) {
      stack = args[i];
    } else {
      std::fprintf(stderr, "corvida play: unexpected argument '%s'\n\n%s", args[i].c_str(), kHelp);
      return kExitUsage;
    }
  }
  if (stack.empty()) {
    std::fputs(kHelp, stderr);
    return kExitUsage;
  }
#ifdef CORVIDA_HAVE_SDL
  sdl::SdlPlatform platform(UserFolders(std::filesystem::current_path().string()));
  std::string error;
  if (!platform.Start(error)) {
    std::fprintf(stderr, "corvida play: no display to play in (%s)\n", error.c_str());
    return kExitFailure;
  }
  Player player(platform);
  PlayerWindow window(player);
  window.set_saving_allowed(true);
  if (window.OpenStack(stack) != 0 || player.stack.CardCount() == 0) {
    std::fprintf(stderr, "corvida play: cannot open the stack %s\n", stack.c_str());
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
  long left_ms = seconds * 1000;
  int status = kExitOk;
  if (!screenshot.empty()) {
    const long wait = seconds > 0 ? std::min(after, left_ms) : after;
    window.Pump(uint32_t(wait));
    left_ms -= wait;
    if (!window.closed() && !WriteScreenshot(platform.sdl_windows(), id, screenshot))
      status = kExitFailure;
  }
  if (seconds == 0) {
    window.RunUntilClosed();
  } else if (left_ms > 0) {
    window.Pump(uint32_t(left_ms));
  }
  platform.sdl_alerts().SetInWindow(nullptr);
  window.Shutdown();
  platform.windows().DestroyWindow(id);
  return status;
#else
  std::fprintf(stderr, "corvida play: this build has no desktop window\n");
  return kExitFailure;
#endif
}

CommandRegistration reg({"play", "play a stack in a window", &RunPlay, 5});

}  // namespace
}  // namespace corvida::app
