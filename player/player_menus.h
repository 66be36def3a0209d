// The menus of the player's menu bar: the "CV" menu's commands grouped under File, Edit,
// Go and Help, the zoom factors under View, and the Extras the extension modules add
// (the Extras menu is left out while there are none). Which commands can be chosen
// depends on the player's state: see PlayerWindow::UpdateMenus.
#pragma once

#include <string>
#include <vector>

#include "ui/menu_bar.h"

namespace corvida {

// Extras are numbered from here in the order they are listed.
inline constexpr int kFirstExtraCommand = 1000;
inline constexpr int kMaxExtras = 64;

std::vector<Menu> PlayerMenus(const std::vector<std::string>& extras);

// Where the Extras menu's items come from (the extension modules); the menu lists their
// names and choosing one runs it.
class ExtrasMenu {
 public:
  virtual ~ExtrasMenu() = default;
  virtual std::vector<std::string> ExtraNames() = 0;
  virtual void RunExtra(size_t index) = 0;
};

}  // namespace corvida
