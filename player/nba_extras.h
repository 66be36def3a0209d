// The Extras: modules from the player's "Extras" folder that the user listed under
// "ExtraIDs" in the preferences ("1", "2", ... up to the first missing or empty key).
// Each is asked for its name (message 3) and, when it answers 0, offered as a command:
// the Extras menu shows `Items()` and sends their commands, and Ctrl+F1 to Ctrl+F9 run
// the first nine. Running an Extra sends it message 4.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/nba_host.h"
#include "player/player.h"

namespace corvida {

class NbaExtras {
 public:
  // Extras' command ids: kFirstCommand + their place in the list.
  static constexpr uint16_t kFirstCommand = 700;
  static constexpr size_t kMaxExtras = 64;
  static constexpr uint32_t kNameBytes = 33;

  NbaExtras(Player& player, NbaHost& nbas) : player_(player), nbas_(nbas) {}

  struct Item {
    uint16_t command = 0;
    std::string name;
  };
  // Reads the list again and asks every module for its name.
  void Load();
  std::vector<Item> Items() const;
  // Runs the Extra of `command`; false when no Extra has it.
  bool Run(int command);
  // Asks "Are you sure you want to delete this Extra?"; on yes the Extra leaves the list
  // and the preferences. True when it was removed.
  bool Remove(int command);

 private:
  NbaExtra* Find(int command);
  // Loads the module for the question only; true when it is to be offered.
  bool AskName(NbaExtra& extra);
  void WriteList();

  Player& player_;
  NbaHost& nbas_;
};

}  // namespace corvida
