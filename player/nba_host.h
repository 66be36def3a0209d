// Calling extension modules: the one way a module is called (Call), the player's events
// passed on to the stack's modules (broadcasts, window messages, the media wait's busy
// question, the stack closing), the run message from actions and callback command 67,
// and the entry through which a running module calls back into the player.
//
// Every call gets a block of its own, so a call nested inside another (a module pressing
// a button that calls a module) leaves the outer call's block, and its persistent value,
// as they were. Calls are logged as "nba ID message M"; the timer tick, window messages
// that are not consumed and the busy question are not, as they come many times a second.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/callback_block.h"
#include "engine/callback.h"
#include "engine/media_hooks.h"
#include "platform/messages.h"
#include "player/nba_modules.h"
#include "player/nba_state.h"
#include "player/player.h"

namespace corvida {

class PlayerWindow;

namespace nbamsg {
inline constexpr int16_t kAbout = 1, kClose = 2, kName = 3, kRun = 4, kIdle = 5, kLeaveCard = 9,
                         kArriveCard = 10, kWindow = 11, kBusy = 14;
}

class NbaHost {
 public:
  // Timer messages reach modules at most this often.
  static constexpr uint32_t kTimerThrottleMs = 50;
  static constexpr uint32_t kBusyAnswer = 0xFFFF00;

  NbaHost(Player& player, PlayerWindow& window);
  ~NbaHost();
  NbaHost(const NbaHost&) = delete;
  NbaHost& operator=(const NbaHost&) = delete;

  struct Result {
    bool called = false;  // the module's entry ran
    int32_t answer = 0;
    CallbackBlock block;  // the block as the module left it
  };
  // Calls module `nba_id` of the open stack (or of the NBA folder) with `message` and
  // the parameters of `block`; nothing runs when no module answers to the id.
  Result Call(uint16_t nba_id, int16_t message, CallbackBlock block = {});
  // Calls a module the caller holds (an Extra) with its persistent value.
  Result CallModule(NbaModule& module, uint16_t nba_id, int16_t message, CallbackBlock block,
                    uint32_t* persistent);

  // An action's NBA entry: message 4 with the entry's data; true when a module ran.
  bool RunFromAction(const NbaRequest& request);
  // Callback command 67 on the dispatcher's block.
  void RunFromCallback(CallbackBlock& block);
  // Messages 5, 9 and 10 to every module of the stack; skipped while a module runs.
  void Broadcast(int16_t message);
  // Message 11: true when a module consumed the window message.
  bool WindowMessage(const Message& m);
  // Message 14: whether a module asks the media wait to go on.
  bool Busy();
  // Message 2, and the loaded modules let go; `all` when the player itself closes.
  void StackClosing(bool all);

  // The callback entry: runs the command of a running module's block.
  int32_t CallBack(uint8_t* block);
  // Copies out of and into a memory block a running module was handed; the count, or -1.
  int32_t ReadBlock(uint32_t token, uint32_t offset, uint8_t* out, uint32_t count);
  int32_t WriteBlock(uint32_t token, uint32_t offset, const uint8_t* bytes, uint32_t count);
  // The host a module's block names by its entry; null when none does.
  static NbaHost* OfBlock(const uint8_t* block);
  uint32_t entry() const { return entry_; }
  bool in_call() const { return !player_.nbas.in_call.empty(); }
  NbaModuleSource& modules() { return modules_; }
  CallbackDispatch& dispatch();

 private:
  // The descriptor's bytes for an id: the stack's block, else the registry's (made from
  // the module file named in the preferences); null when there is none.
  std::vector<uint8_t>* RegistryDescriptor(uint16_t nba_id);
  std::optional<std::string> ModuleNameOf(uint16_t nba_id);
  // After message 1: the module's about text, unless the module shows a box of its own.
  void ShowAbout(uint16_t nba_id);
  uint32_t PersistentOf(uint16_t nba_id);
  void StorePersistent(uint16_t nba_id, uint32_t value, uint32_t epoch);
  // The cached module of an id, loading it into a free slot; `own` holds one that found
  // no slot or is loaded for this call only.
  NbaModule* ModuleFor(uint16_t nba_id, const std::string& file, int16_t message,
                       std::unique_ptr<NbaModule>& own);
  void Prepare(CallbackBlock& block, uint16_t nba_id, int16_t message);
  // The stack's 'NBAs' ids in block order (blocks that name a module).
  std::vector<uint16_t> StackIds();
  // Asks each module of the stack, then of the registry, until one answers `done`.
  template <typename Done>
  bool AskEach(int16_t message, const CallbackBlock& block, Done done);
  uint16_t IdNamed(const std::string& name);
  void Log(uint16_t nba_id, int16_t message, const char* what = nullptr);

  Player& player_;
  PlayerWindow& window_;
  NativeNbaModules modules_;
  uint32_t entry_ = 0;
};

}  // namespace corvida
