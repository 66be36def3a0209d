// A player with a window on the headless backend, over a stack file, for the benchmarks
// that go through the whole player: clicks, card changes, opening stacks.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_stacks.h"
#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "player/player.h"
#include "player/player_window.h"

namespace corvida::bench {

struct PlayerRig {
  explicit PlayerRig(const ScratchFolder& scratch)
      : platform(std::make_unique<HeadlessPlatform>(Make(scratch))), player(*platform) {}

  // Opens the stack and shows its first card; false when it does not open.
  bool Open(const std::string& path) {
    window = std::make_unique<PlayerWindow>(player);
    if (window->OpenStack(path) != 0) return false;
    id = platform->windows().CreateWindow("bench", window->CardSize());
    if (!window->Attach(id)) return false;
    window->ShowFirstCard();
    return true;
  }
  void Click(int x, int y) {
    platform->windows().PostMessage({id, msg::kLButtonDown, mk::kLButton, MakePointParam(x, y), 0});
    platform->windows().PostMessage({id, msg::kLButtonUp, 0, MakePointParam(x, y), 0});
    window->Pump(0);
  }
  uint16_t CardId() { return window->navigation().target_id(); }

  static Folders Make(const ScratchFolder& scratch) {
    Folders folders;
    folders.config = scratch.File("config");
    folders.data = scratch.File("data");
    folders.program = scratch.File("program");
    folders.temp = scratch.File("tmp");
    for (const std::string* f : {&folders.config, &folders.data, &folders.program, &folders.temp})
      std::filesystem::create_directories(*f);
    return folders;
  }

  std::unique_ptr<HeadlessPlatform> platform;
  Player player;
  std::unique_ptr<PlayerWindow> window;
  WindowId id = 0;
};

}  // namespace corvida::bench
