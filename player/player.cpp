#include "player/player.h"

namespace corvida {

Player::Player(Platform& platform_in, PathMap paths)
    : platform(platform_in),
      memory_alerts(platform_in.alerts()),
      handles(&memory_alerts),
      files(handles, platform_in.folders(), std::move(paths)),
      prefs(platform_in.folders().config),
      alerts(platform_in.alerts()) {
  alerts.set_advanced_user(prefs.AdvancedUser());
  stack.SetWorkspaceListener(&workspace_sync_);
}

void Player::WorkspaceSync::StackOpened() {
  Player& p = player_;
  p.workspace.StackOpened(p.stack, p.handles, PlayerInterpreter(p), p.platform.folders(),
                          p.stack_origin);
}

void Player::WorkspaceSync::StackSaving() {
  player_.workspace.StackSaving(player_.stack, player_.logo.get());
}

}  // namespace corvida
