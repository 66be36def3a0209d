// The player window's side of actions: the executor and the mouse handler wired to the
// navigation, the card view, the alerts and the platform, and the launch confirmation.
#include "base/strings.h"
#include "platform/files.h"
#include "platform/launch.h"
#include "player/player_window.h"
#include "stackfile/paths.h"

namespace corvida {

namespace {

constexpr const char* kMediaFolders[] = {"CVSounds", "CVArt", "Movies", "Extras", "CVAnim"};

}  // namespace

void PlayerWindow::SetUpActions() {
  media_ = std::make_unique<RecordingMediaHooks>([this](const std::string& line) { Log(line); });
  Platform& platform = player_.platform;
  ExecutorHooks hooks;
  hooks.current_card = [this] { return nav_->current_card(); };
  hooks.browse_mode = [this] { return nav_->view().options().browse_mode; };
  hooks.go_to_destination = [this](int destination, int transition, int speed) {
    nav_->GoToDestination(destination, transition, speed);
  };
  hooks.go_to_stack = [this](const std::string& path, uint16_t card, int transition, int speed) {
    nav_->GoToStackCard(path, card, transition, speed, true);
  };
  hooks.redisplay = [this] { nav_->Redisplay(); };
  hooks.alert = [this](int id) { return player_.alerts.Alert(id); };
  hooks.resolve_path = [this](const std::string& stored) { return ResolveForActions(stored); };
  hooks.ask_user_name = [this]() -> std::optional<std::string> {
    // A host's dialog logs its own answer; without one the question is cancelled here.
    if (questions_ != &unanswered_) return questions_->AskUserName(executor_->user_name());
    Log("dialog ASKUSERNAME cancelled");
    return std::nullopt;
  };
  hooks.confirm_launch = [this](const std::string& program, const std::string& document) {
    // The names come from the stack: they fill the question, never make it. Cancel (the
    // second button) answers whenever nobody chooses.
    const std::vector<std::string> names = {
        document.empty() ? LoadLocalizedString(strid::kLaunchNoDocument) : document,
        program.empty() ? LoadLocalizedString(strid::kLaunchDesktopProgram) : program};
    return player_.alerts.AskWithNames(strid::kConfirmLaunch, names, 1) == 1;
  };
  hooks.launch = [&platform](const std::string& path) {
    // The headless backend launches nothing: the request is only recorded.
    if (platform.headless()) return true;
    Launcher* launcher = platform.launcher();
    const std::string absolute = AbsolutePath(path);
    return launcher && !absolute.empty() && launcher->Open(absolute);
  };
  hooks.close_player = [this] {
    if (window_) player_.platform.windows().PostMessage({window_, msg::kClose, 0, 0, 0});
  };
  hooks.set_origin = [this](Point origin, int colour) {
    transitions_.action_origin = origin;
    transitions_.button_colour = nav_->view().ObjectColour(colour);
  };
  hooks.toggle_highlight = [this](uint16_t id) { mouse_->ToggleHighlight(id); };
  hooks.nested_message = [this](const Message& m) { NestedMessage(m); };
  hooks.closing = [this] { return close_requested_; };
  hooks.log = [this](const std::string& line) { Log(line); };
  executor_ = std::make_unique<ActionExecutor>(player_.stack, player_.handles, platform.windows(),
                                               platform.clock(), *media_, std::move(hooks));

  field_input_->set_link_actions(executor_.get());

  mouse_ = std::make_unique<MouseHandler>(player_.stack, player_.handles, platform.windows(),
                                          platform.fonts(), shown_, *executor_, *this);
}

std::string PlayerWindow::ResolveForActions(const std::string& stored) const {
  PathRoots roots;
  std::string folder = PathFolder(player_.stack.path());
  roots.stack_folder = folder.empty() ? "." : folder;
  for (const std::string& base :
       {player_.platform.folders().data, player_.platform.folders().program}) {
    if (base.empty()) continue;
    for (const char* name : kMediaFolders) roots.media_folders.push_back(base + "/" + name);
  }
  return ResolveStoredPath(stored, roots, player_.stack.names_converted());
}

}  // namespace corvida
