// The player's side of the callback commands: it owns the dispatcher, answers what the
// commands ask of the player (alerts, menu commands, pending messages, media, nested
// scripts, the screen), and is the port through which Tarrow's card primitives reach it.
// With tracing on, every dispatched command is logged as "callback N" with its non-zero
// parameters.
#pragma once

#include <memory>
#include <string>

#include "engine/callback.h"
#include "logo/card_port.h"
#include "player/player.h"

namespace corvida {

class PlayerWindow;

class PlayerCallbacks : public CallbackHost, public logo::CardPort {
 public:
  // A tick of the player's clock: how long command 42 waits for a message to arrive, so
  // a script polling for the end of a sound lets time pass.
  static constexpr uint32_t kPendingWaitMs = 17;

  PlayerCallbacks(PlayerWindow& window, Player& player);
  ~PlayerCallbacks() override;
  PlayerCallbacks(const PlayerCallbacks&) = delete;
  PlayerCallbacks& operator=(const PlayerCallbacks&) = delete;

  CallbackDispatch& dispatch() { return *dispatch_; }
  void set_trace(bool on) { trace_ = on; }

  // CallbackHost
  int AlertString(const std::string& text) override;
  void RunMenuCommand(MenuCommand command) override;
  void HandlePendingMessages() override;
  PlayingMedia Playing() override;
  void RunScript(const std::string& text) override;
  CardScreen* Screen() override;
  void Dispatching(const CallbackBlock& block) override;
  void CallExtension(CallbackBlock& block) override;
  void RepaintArea(const Rect& rect) override;
  void InvertArea(const Rect& rect) override;
  void PlaySoundFile(const std::string& stored_path, uint16_t param) override;
  void PlayStackSound(uint16_t id, uint16_t param) override;
  void MovieControl(int code) override;
  std::string ResolvePath(const std::string& stored) override;
  std::optional<std::vector<uint8_t>> ReadChosenTextFile(const std::string& prompt,
                                                         size_t limit) override;
  bool WriteChosenTextFile(std::span<const uint8_t> bytes) override;
  void OpenRunBox() override;
  std::string LastHyperlinkText() override;
  std::vector<std::pair<int, std::string>> ExtraMenuItems() override;

  // logo::CardPort
  CallbackBlock& block() override { return dispatch_->block(); }
  void Dispatch() override { dispatch_->Dispatch(); }
  uint32_t NewBlock(std::span<const uint8_t> bytes) override { return dispatch_->NewBlock(bytes); }
  std::vector<uint8_t> ReadBlock(uint32_t token, size_t limit) override {
    return dispatch_->ReadBlock(token, limit);
  }
  bool WriteBlock(uint32_t token, size_t offset, std::span<const uint8_t> bytes) override {
    return dispatch_->WriteBlock(token, offset, bytes);
  }
  void DisposeBlock(uint32_t token) override { dispatch_->DisposeBlock(token); }

 private:
  PlayerWindow& window_;
  Player& player_;
  std::unique_ptr<CallbackDispatch> dispatch_;
  bool trace_ = false;
};

// The line a traced command is logged as.
std::string CallbackTraceLine(const CallbackBlock& block);

}  // namespace corvida
