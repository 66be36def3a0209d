// What the player keeps for extension modules: the modules it holds loaded, the
// descriptors it made for modules a stack names by id only, the calls running now, the
// persistent values of stacks that are not saved, and the Extras list.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "player/nba_modules.h"

namespace corvida {

struct NbaCacheSlot {
  uint16_t nba_id = 0;  // 0: free
  std::unique_ptr<NbaModule> module;
};

// One Extra: a module from the Extras folder listed under "ExtraIDs".
struct NbaExtra {
  std::string file_name;
  std::string menu_name;              // what it answered to message 3
  uint16_t command = 0;               // the command that runs it
  std::unique_ptr<NbaModule> module;  // while loaded
  uint32_t persistent = 0;            // its value between calls this session
  uint16_t about_flags = 0;           // from its description
  std::string about;                  // its about text, up to the first '/'
};

struct NbaState {
  static constexpr size_t kCacheSlots = 20;
  std::array<NbaCacheSlot, kCacheSlots> cache;
  // Descriptors (stored layout) made from module files for ids the stack has no block for.
  std::map<uint16_t, std::vector<uint8_t>> registry;
  // The ids being called now, innermost last (calls nest through callback commands).
  std::vector<uint16_t> in_call;
  // Persistent values of a stack that may not be saved, by id.
  std::map<uint16_t, uint32_t> session_values;
  // Ids whose module file could not be described: alerted once, then left alone.
  std::set<uint16_t> undescribable;
  // Module files not found or not loadable while this stack is open: not looked for on
  // every timer tick and pointer move.
  std::set<std::string> unloadable;
  // The player is closing: its modules have been told and no event reaches them.
  bool closed = false;
  // When the last timer message was passed on (milliseconds of the player's clock).
  std::optional<uint32_t> last_timer_ms;
  // Counts stack closings: a descriptor of a closed stack is not written after its call.
  uint32_t stack_epoch = 0;
  std::vector<NbaExtra> extras;
};

}  // namespace corvida
