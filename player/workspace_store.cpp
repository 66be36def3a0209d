#include "player/workspace_store.h"

#include "logo/interp.h"
#include "logo/sandbox.h"
#include "logo/workspace.h"
#include "player/player.h"

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

int WorkspaceStore::StackOpened(const Stack& stack, logo::Interpreter& in, const Folders& folders) {
  // Scripts of this stack keep their files in its own folder under the data folder.
  std::string own_folder = folders.data.empty() || stack.path().empty()
                               ? std::string()
                               : logo::StackFilesFolder(folders.data, stack.path());
  in.SetFilesFolder(own_folder, logo::ScriptMediaFolders(folders));
  int failed = 0;
  if (!stack.workspace().empty())
    failed = logo::LoadWorkspaceText(in, stack.workspace(), logo::LoadMode::kWorkspaceOnly);
  listed_ = logo::WorkspaceText(in, logo::WorkspaceScope::kWithBuried);
  return failed;
}

bool WorkspaceStore::Changed(logo::Interpreter* in) const {
  if (!in) return false;
  return logo::WorkspaceText(*in, logo::WorkspaceScope::kWithBuried) != listed_;
}

void WorkspaceStore::StackSaving(Stack& stack, logo::Interpreter* in, bool closing) {
  if (!in) return;
  std::string text = logo::WorkspaceText(*in, logo::WorkspaceScope::kWithBuried);
  if (text != listed_) stack.SetWorkspace(text);
  listed_ = std::move(text);
  if (closing) {
    logo::EraseWorkspace(*in);
    listed_ = logo::WorkspaceText(*in, logo::WorkspaceScope::kWithBuried);
  }
}

}  // namespace corvida
