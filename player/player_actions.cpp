// The player window's side of actions: the executor and the mouse handler set up, and
// `PlayerActionHost`, through which the executor reaches the navigation, the card view,
// the alerts, the launch question and the platform.

#include "base/strings.h"
#include "platform/files.h"
#include "platform/launch.h"
#include "platform/text.h"
#include "player/player_media.h"
#include "player/player_window.h"
#include "stackfile/paths.h"

namespace corvida {

namespace {
// The file slot a requested file is handed to.
constexpr int kRequestedFileSlot = 8;
}  // namespace

void PlayerWindow::SetUpActions() {
  media_ =
      std::make_unique<PlayerMedia>(player_, *this, [this](const std::string& line) { Log(line); });
  nav_->setup().first_frames = media_.get();  // movies' first frames in the card picture
  scripts_ = std::make_unique<PlayerScripts>(*this);
  media_->set_scripts(scripts_.get());
  action_host_ = std::make_unique<PlayerActionHost>(*this);
  Platform& platform = player_.platform;
  executor_ = std::make_unique<ActionExecutor>(player_.stack, player_.handles, platform.windows(),
                                               platform.clock(), *media_, *action_host_);

  field_input_->set_link_actions(executor_.get());

  mouse_ = std::make_unique<MouseHandler>(player_.stack, player_.handles, platform.windows(),
                                          platform.fonts(), shown_, *executor_, *this);
  callbacks_ = std::make_unique<PlayerCallbacks>(*this, player_);
  nbas_ = std::make_unique<NbaHost>(player_, *this);
  media_->set_nbas(nbas_.get());
  extras_ = std::make_unique<NbaExtras>(player_, *nbas_);
}

// ---- PlayerActionHost ----

Handle PlayerActionHost::CurrentCard() {
  return window_.nav_->current_card();
}

bool PlayerActionHost::Browsing() {
  return window_.nav_->view().options().browse_mode;
}

void PlayerActionHost::GoToDestination(int destination, int transition, int speed) {
  window_.nav_->GoToDestination(destination, transition, speed);
}

void PlayerActionHost::GoToStack(const std::string& path, uint16_t card_id, int transition,
                                 int speed) {
  // The stack is read from its file again, even when it is this one: changes not saved
  // would be lost without the question.
  if (!window_.ConfirmLeavingStack()) return window_.nav_->RedisplayCard();
  window_.nav_->GoToStackCard(path, card_id, transition, speed, true);
}

void PlayerActionHost::RedisplayCard() {
  window_.nav_->RedisplayCard();
}

void PlayerActionHost::SetActionOrigin(Point origin, int button_colour) {
  window_.transitions_.action_origin = origin;
  window_.transitions_.button_colour = window_.nav_->view().ObjectColour(button_colour);
}

void PlayerActionHost::ToggleHighlight(uint16_t button_id) {
  window_.mouse_->ToggleHighlight(button_id);
}

int PlayerActionHost::Alert(int id) {
  return window_.player_.alerts.Alert(id);
}

std::optional<std::string> PlayerActionHost::AskUserName() {
  // A host's dialog logs its own answer; without one the question is cancelled here.
  if (window_.questions_ != &window_.unanswered_)
    return window_.questions_->AskUserName(window_.executor_->user_name());
  Log("dialog ASKUSERNAME cancelled");
  return std::nullopt;
}

bool PlayerActionHost::ConfirmLaunch(const std::string& program, const std::string& document) {
  // A downloaded stack starts nothing on this machine: not even the question is asked.
  if (window_.stacks_downloaded_) {
    Log("launch refused for a downloaded stack");
    return false;
  }
  // The names come from the stack: they fill the question, never make it. Cancel (the
  // second button) answers whenever nobody chooses.
  const std::vector<std::string> names = {
      document.empty() ? LoadLocalizedString(strid::kLaunchNoDocument) : document,
      program.empty() ? LoadLocalizedString(strid::kLaunchDesktopProgram) : program};
  return window_.player_.alerts.AskWithNames(strid::kConfirmLaunch, names, 1) == 1;
}

std::string PlayerActionHost::ResolvePath(const std::string& stored) {
  const std::string found = FindPath(stored);
  if (!found.empty()) return found;
  if (!window_.file_requests_) return window_.LocateFile(stored);
  // A downloaded stack's files come from where it came from, when they are asked for.
  return window_.file_requests_->RequestFile(stored, kRequestedFileSlot);
}

std::string PlayerActionHost::FindPath(const std::string& stored) {
  Player& player = window_.player_;
  PathRoots roots;
  // A downloaded copy's folder is the download cache, never a place its names may reach.
  if (!window_.stacks_downloaded_) {
    const std::string folder = PathFolder(player.stack.path());
    roots.stack_folder = folder.empty() ? "." : folder;
  }
  roots.media_folders =
      MediaFolderPaths({player.platform.folders().data, player.platform.folders().program});
  return ResolveStoredPath(stored, roots, player.stack.names_converted());
}

bool PlayerActionHost::Launch(const std::string& path) {
  Platform& platform = window_.player_.platform;
  // The headless backend launches nothing: the request is only recorded.
  if (platform.headless()) return true;
  Launcher* launcher = platform.launcher();
  const std::string absolute = AbsolutePath(path);
  return launcher && !absolute.empty() && launcher->Open(absolute);
}

void PlayerActionHost::ClosePlayer() {
  if (window_.window_)
    window_.player_.platform.windows().PostMessage({window_.window_, msg::kClose, 0, 0, 0});
}

void PlayerActionHost::NestedMessage(const Message& m) {
  window_.NestedMessage(m);
}

bool PlayerActionHost::Closing() {
  return window_.close_requested_;
}

void PlayerActionHost::Log(const std::string& line) {
  window_.Log(line);
}

}  // namespace corvida
