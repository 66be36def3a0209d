#include "player/player_menus.h"

#include "base/strings.h"
#include "player/nba_extras.h"

namespace corvida {
namespace {

const MenuEntry kSeparator{};

int Id(MenuCommand c) {
  return static_cast<int>(c);
}

// Separators go between these groups of the same menu.
bool StartsGroup(MenuCommand c) {
  using enum MenuCommand;
  return c == kExportScreen || c == kSlideShow || c == kExit || c == kCut || c == kFirstCard ||
         c == kJumpToCard || c == kPreferences || c == kRunBox;
}

}  // namespace

std::vector<Menu> PlayerMenus(const std::vector<MenuEntry>& extras,
                              const std::vector<MenuEntry>& recent) {
  Menu file{"&File", {}}, edit{"&Edit", {}}, go{"&Go", {}}, help{"&Help", {}};
  for (const MenuItem& item : PlayerMenuItems()) {
    const int id = Id(item.command);
    Menu& menu = id < 150 ? file : id < 200 ? edit : id < 300 ? go : help;
    if (item.command == MenuCommand::kPreferences) {
      edit.entries.push_back(kSeparator);
      edit.entries.push_back({id, item.label, item.greyed});
      // The Extras manager sits here rather than in the Extras menu, which shows only
      // while there are Extras.
      edit.entries.push_back({NbaExtras::kManageCommand, "E&xtras...", false});
      continue;
    }
    if (item.command == MenuCommand::kExit && !recent.empty()) {
      menu.entries.push_back(kSeparator);
      menu.entries.insert(menu.entries.end(), recent.begin(), recent.end());
    }
    if (StartsGroup(item.command)) menu.entries.push_back(kSeparator);
    menu.entries.push_back({id, item.label, item.greyed});
  }
  help.entries.insert(help.entries.begin(),
                      {{Id(MenuCommand::kHelp), "Corvida Player &Guide\tF1", false},
                       {Id(MenuCommand::kWebPage), "Corvida on the &Web...", false},
                       kSeparator});
  Menu view{"&View",
            {{Id(MenuCommand::kZoom1), "&Actual Size\tEsc", false},
             {Id(MenuCommand::kZoom2), "Zoom &2x", false},
             {Id(MenuCommand::kZoom4), "Zoom &4x", false},
             {Id(MenuCommand::kZoom8), "Zoom &8x", false},
             kSeparator,
             {Id(MenuCommand::kFullScreen), "&Full Screen\tF11", false}}};
  Menu extras_menu{"E&xtras", extras};
  return {file, edit, go, view, extras_menu, help};
}

}  // namespace corvida
