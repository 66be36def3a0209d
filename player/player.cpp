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
  stack.SetWorkspaceHooks(
      [this] {
        workspace.StackOpened(stack, handles, PlayerInterpreter(*this), platform.folders());
      },
      [this] { workspace.StackSaving(stack, logo.get()); });
}

}  // namespace corvida
