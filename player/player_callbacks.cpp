#include "player/player_callbacks.h"

#include "logo/card_bridge.h"
#include "player/player_window.h"
#include "player/workspace_store.h"

namespace corvida {

PlayerCallbacks::PlayerCallbacks(PlayerWindow& window, Player& player)
    : window_(window), player_(player) {
  dispatch_ = std::make_unique<CallbackDispatch>(player.stack, player.handles, window.navigation(),
                                                 window.executor(), player.prefs, *this);
  player_.card_port = this;
  if (player_.logo) player_.logo->bridge().port = this;
}

PlayerCallbacks::~PlayerCallbacks() {
  if (player_.card_port == this) player_.card_port = nullptr;
  if (player_.logo && player_.logo->bridge().port == this) player_.logo->bridge().port = nullptr;
}

int PlayerCallbacks::AlertString(const std::string& text) {
  player_.alerts.SetCurrentMessage(text);
  return player_.alerts.Alert(0);
}

void PlayerCallbacks::RunMenuCommand(MenuCommand command) {
  window_.DoCommand(command);
}

void PlayerCallbacks::HandlePendingMessages() {
  WindowSystem& windows = player_.platform.windows();
  Message m;
  uint32_t wait = kPendingWaitMs;
  while (windows.WaitMessage(m, wait)) {
    window_.NestedMessage(m);
    wait = 0;
  }
}

PlayingMedia PlayerCallbacks::Playing() {
  PlayingMedia playing;
  const MovieManager& movies = window_.media().movies();
  playing.movie = !movies.AreAllMoviesFinished();
  playing.sound = window_.media().sounds().Playing() || movies.IsMediaPlaying();
  return playing;
}

void PlayerCallbacks::RunScript(const std::string& text) {
  PlayerInterpreter(player_).RunScript(text);
}

CardScreen* PlayerCallbacks::Screen() {
  return &window_;
}

void PlayerCallbacks::Dispatching(const CallbackBlock& block) {
  if (trace_) window_.Log(CallbackTraceLine(block));
}

void PlayerCallbacks::CallExtension(CallbackBlock& block) {
  window_.nbas().RunFromCallback(block);
}

std::string CallbackTraceLine(const CallbackBlock& block) {
  std::string line = "callback " + std::to_string(block.command());
  for (int slot = 1; slot <= cbblock::kParamCount; ++slot) {
    if (block.param(slot))
      line += " p" + std::to_string(slot) + "=" + std::to_string(block.signed_param(slot));
  }
  return line;
}

}  // namespace corvida
