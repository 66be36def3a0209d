#include "player/workspace_store.h"

#include "logo/card_bridge.h"
#include "logo/interp.h"
#include "logo/sandbox.h"
#include "logo/workspace.h"
#include "player/player.h"
#include "stackfile/stack_identity.h"

namespace corvida {
namespace {
// A stack's script may not keep the player busy for ever when nobody presses Escape.
constexpr uint64_t kPlayerScriptSteps = 1'000'000'000;

constexpr const char* kWorkspaceTooBig =
    "This stack's Logo workspace is too large to load (more than 64 MB or 200000 lines). "
    "Its procedures and names are not available; the stack keeps it unchanged.";
}  // namespace

logo::Interpreter& PlayerInterpreter(Player& player) {
  if (!player.logo) {
    logo::InterpreterConfig config;
    config.clock = &player.platform.clock();
    config.windows = &player.platform.windows();
    config.alerts = &player.platform.alerts();
    config.audio = player.platform.audio();
    config.fonts = player.platform.fonts();
    config.max_steps = kPlayerScriptSteps;
    config.file_quota = {player.prefs.ScriptFileBytes(), player.prefs.ScriptFileCount()};
    player.logo = std::make_unique<logo::Interpreter>(config);
    player.logo->bridge().port = player.card_port;
  }
  return *player.logo;
}

int WorkspaceStore::StackOpened(const Stack& stack, Handles& handles, logo::Interpreter& in,
                                const Folders& folders, const std::string& origin) {
  // Scripts of this stack keep their files in its own folder under the data folder; a
  // downloaded copy's name says nothing, so its site's folder serves all its stacks.
  std::string own_folder;
  if (!folders.data.empty() && !origin.empty())
    own_folder = JoinPath(JoinPath(folders.data, "site-files"), origin);
  else if (!folders.data.empty() && !stack.path().empty())
    own_folder =
        logo::OwnedStackFilesFolder(folders.data, stack.path(), StackIdentity(stack, handles));
  in.SetFilesFolder(own_folder, logo::ScriptMediaFolders(folders));
  logo::StackWorkspaceLoad load;
  if (!stack.workspace().empty()) load = logo::LoadStackWorkspace(in, stack.workspace());
  kept_whole_ = load.outcome != logo::StackWorkspaceLoad::Outcome::kLoaded;
  if (kept_whole_) {
    if (AlertPresenter* alerts = in.config().alerts)
      alerts->ShowMessageBox("Tarrow", kWorkspaceTooBig, AlertIcon::kExclamation);
    load.failed = 1;
  }
  listed_ = logo::WorkspaceText(in, logo::WorkspaceScope::kWithBuried);
  return load.failed;
}

bool WorkspaceStore::Changed(logo::Interpreter* in) const {
  if (!in) return false;
  return logo::WorkspaceText(*in, logo::WorkspaceScope::kWithBuried) != listed_;
}

void WorkspaceStore::StackSaving(Stack& stack, logo::Interpreter* in, bool closing) {
  if (!in) return;
  std::string text = logo::WorkspaceText(*in, logo::WorkspaceScope::kWithBuried);
  if (text != listed_ && !kept_whole_) stack.SetWorkspace(text);
  listed_ = std::move(text);
  if (closing) {
    logo::EraseWorkspace(*in);
    listed_ = logo::WorkspaceText(*in, logo::WorkspaceScope::kWithBuried);
  }
}

}  // namespace corvida
