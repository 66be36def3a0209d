#include "player/player_callbacks.h"

#include "logo/card_bridge.h"
#include "platform/files.h"
#include "player/player_window.h"
#include "player/workspace_store.h"
#include "stackfile/mactext.h"
#include "stackfile/resources.h"
#include "stackfile/stack.h"

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
  playing.animation = window_.media().animations().AnyPathAnimationRunning();
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

void PlayerCallbacks::RepaintArea(const Rect& rect) {
  window_.RepaintCard(rect);
}

void PlayerCallbacks::InvertArea(const Rect& rect) {
  window_.InvertShown(rect);
}

void PlayerCallbacks::PlaySoundFile(const std::string& stored_path, uint16_t param) {
  FileRequest request;
  request.stored = stored_path;
  request.host_path = window_.ResolveMediaPath(stored_path);
  request.param = param;
  window_.media().PlaySoundFile(request);
}

void PlayerCallbacks::PlayStackSound(uint16_t id, uint16_t param) {
  StackSoundRequest request{id, {}, param, 0};
  if (const ResourceEntry* sound = player_.stack.resources().Find(restype::kSnd, id))
    request.name = sound->Name();
  window_.media().PlayStackSound(request);
}

void PlayerCallbacks::MovieControl(int code) {
  window_.media().movies().MovieControl(code);
}

std::string PlayerCallbacks::ResolvePath(const std::string& stored) {
  return window_.ResolveMediaPath(stored);
}

std::optional<std::vector<uint8_t>> PlayerCallbacks::ReadChosenTextFile(const std::string& prompt,
                                                                        size_t limit) {
  auto path = window_.questions().ChooseTextFile(prompt);
  std::vector<uint8_t> bytes;
  if (!path || !ReadFileUpTo(*path, limit, bytes)) return std::nullopt;
  return bytes;
}

bool PlayerCallbacks::WriteChosenTextFile(std::span<const uint8_t> bytes) {
  auto path = window_.questions().ChooseTextSavePath();
  return path &&
         WriteFileAtomically(*path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

void PlayerCallbacks::OpenRunBox() {
  window_.runbox().Open();
}

std::vector<std::pair<int, std::string>> PlayerCallbacks::ExtraMenuItems() {
  std::vector<std::pair<int, std::string>> items;
  for (const NbaExtras::Item& item : window_.extras().Items())
    items.emplace_back(item.command, item.name);
  return items;
}

std::string PlayerCallbacks::LastHyperlinkText() {
  // Links are read into the player's characters; names go to callers as stored.
  return WindowsToMac(window_.field_input().hyperlinks().last_text);
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
