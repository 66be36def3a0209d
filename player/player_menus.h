// The menus of the player's menu bar: the "CV" menu's commands grouped under File, Edit,
// Go and Help (Edit also opens the Extras manager), the zoom factors under View, and the
// Extras the extension modules add (the Extras menu is left out while there are none).
// Which commands can be chosen
// depends on the player's state: see PlayerWindow::UpdateMenus.
#pragma once

#include <string>
#include <vector>

#include "ui/menu_bar.h"

namespace corvida {

// `extras` are the Extras menu's entries, each with its Extra's command; `recent` the
// stacks opened last, listed in the File menu above Exit.
std::vector<Menu> PlayerMenus(const std::vector<MenuEntry>& extras,
                              const std::vector<MenuEntry>& recent = {});

}  // namespace corvida
