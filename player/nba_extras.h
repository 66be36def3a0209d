// The Extras: modules from the player's "Extras" folder that the user listed under
// "ExtraIDs" in the preferences ("1", "2", ... up to the first missing or empty key).
// Each is asked for its name (message 3) and, when it answers 0, offered as a command:
// the Extras menu shows `Items()` and sends their commands, and Ctrl+F1 to Ctrl+F9 run
// the first nine. Running an Extra sends it message 4. The Extras manager adds Extras
// from the player's Extras folder and removes them (`Rows`, `Addable`, `Add`, `RemoveAt`).
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
  // The command that opens the Extras manager (the last entry of the Extras menu).
  static constexpr uint16_t kManageCommand = 699;
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

  // The list as the manager shows it: each Extra's menu name and file, in list order.
  std::vector<std::string> Rows() const;
  // ".xtr" files of the Extras folder that are not listed yet.
  std::vector<std::string> Addable();
  // Appends `file_name` (one of Addable()) to the list and the preferences and asks it for
  // its name; false when it is not addable or the list is full.
  bool Add(const std::string& file_name);
  // The About of the Extra at `row`: its own box (message 1) when it has one, else its
  // about text; false when there is no such Extra.
  bool AboutAt(size_t row);
  // Removes the Extra at `row` of Rows() after the question; true when it was removed.
  bool RemoveAt(size_t row);

 private:
  NbaExtra* Find(int command);
  // Loads the module for the question only; true when it is to be offered.
  bool AskName(NbaExtra& extra);
  void WriteList();
  // Offered Extras get consecutive commands in list order.
  void Renumber();
  bool Listed(const std::string& file_name) const;

  Player& player_;
  NbaHost& nbas_;
};

}  // namespace corvida
