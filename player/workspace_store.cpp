#include "player/workspace_store.h"

#include "player/player.h"
#include "logo/interp.h"
#include "logo/sandbox.h"
#include "logo/workspace.h"

namespace corvida {

logo::Interpreter& PlayerInterpreter(Player& player) {
  if (!player.logo) {
    logo::InterpreterConfig config;
    config.clock = &player.platform.clock();
    config.windows = &player.platform.windows();
    config.alerts = &player.platform.alerts();
    config.audio = player.platform.audio();
    player.logo = std::make_unique<logo::Interpreter>(config);
  }
  return *player.logo;
}

int WorkspaceStore::StackOpened(Player& player) {
  logo::Interpreter& in = PlayerInterpreter(player);
  // Scripts of this stack keep their files in its own folder under the data folder.
  const Folders& folders = player.platform.folders();
  std::string own_folder = folders.data.empty() || player.stack.path().empty()
                               ? std::string()
                               : logo::StackFilesFolder(folders.data, player.stack.path());
  in.SetFilesFolder(own_folder, logo::ScriptMediaFolders(folders));
  int failed = 0;
  if (!player.stack.workspace().empty())
    failed = logo::LoadWorkspaceText(in, player.stack.workspace(), logo::LoadMode::kWorkspaceOnly);
  listed_ = logo::WorkspaceText(in, logo::WorkspaceScope::kWithBuried);
  return failed;
}

bool WorkspaceStore::Changed(Player& player) const {
  if (!player.logo) return false;
  return logo::WorkspaceText(*player.logo, logo::WorkspaceScope::kWithBuried) != listed_;
}

void WorkspaceStore::StackSaving(Player& player, bool closing) {
  if (!player.logo) return;
  std::string text = logo::WorkspaceText(*player.logo, logo::WorkspaceScope::kWithBuried);
  if (text != listed_) player.stack.SetWorkspace(text);
  listed_ = std::move(text);
  if (closing) {
    logo::EraseWorkspace(*player.logo);
    listed_ = logo::WorkspaceText(*player.logo, logo::WorkspaceScope::kWithBuried);
  }
}

}  // namespace corvida
