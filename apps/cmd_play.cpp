// corvida play: plays a stack in a desktop window, with the mouse and the keyboard.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "apps/command.h"
#include "host/player_window.h"
#include "platform/charset.h"
#include "platform/files.h"
#ifdef CORVIDA_HAVE_SDL
#include "platform/sdl/sdl_platform.h"
#endif

namespace corvida::app {
namespace {

constexpr const char* kHelp =
    "Usage: corvida play STACK [--seconds N]\n\n"
    "Plays the stack in a window. Ctrl+> and Ctrl+< move to the next and previous card,\n"
    "Ctrl+1 and Ctrl+9 to the first and last, Ctrl+~ back, Ctrl+H home, Ctrl+J jumps to a\n"
    "card; hold Shift and Ctrl to see the buttons. Close the window to stop.\n\n"
    "Options:\n"
    "  --seconds N   closes the window after N seconds (for demonstrations and tests)\n";

int RunPlay(const std::vector<std::string>& args) {
  std::string stack;
  long seconds = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (args[i] == "--seconds" && i + 1 < args.size()) {
      char* end = nullptr;
      seconds = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != 0 || seconds < 1 || seconds > 86400) {
        std::fprintf(stderr, "corvida play: --seconds wants a number of seconds\n");
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
  window.ShowFirstCard();
  if (seconds > 0) {
    window.Pump(uint32_t(seconds * 1000));
  } else {
    window.RunUntilClosed();
  }
  window.Shutdown();
  platform.windows().DestroyWindow(id);
  return kExitOk;
#else
  std::fprintf(stderr, "corvida play: this build has no desktop window\n");
  return kExitFailure;
#endif
}

CommandRegistration reg({"play", "play a stack in a window", &RunPlay, 5});

}  // namespace
}  // namespace corvida::app
