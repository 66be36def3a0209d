// The player window's side of the action executor: the shown card and the tool, card
// moves through the navigation, the alerts and dialogs, finding and launching files,
// and the window's share of the media wait.
#pragma once

#include <optional>
#include <string>

#include "engine/action_host.h"

namespace corvida {

class PlayerWindow;

class PlayerActionHost : public ActionHost {
 public:
  explicit PlayerActionHost(PlayerWindow& window) : window_(window) {}

  Handle CurrentCard() override;
  bool Browsing() override;
  void GoToDestination(int destination, int transition, int speed) override;
  void GoToStack(const std::string& path, uint16_t card_id, int transition, int speed) override;
  void RedisplayCard() override;
  void SetActionOrigin(Point origin, int button_colour) override;
  void ToggleHighlight(uint16_t button_id) override;
  int Alert(int id) override;
  std::optional<std::string> AskUserName() override;
  bool ConfirmLaunch(const std::string& program, const std::string& document) override;
  std::string ResolvePath(const std::string& stored) override;
  // Where the stored name is found without asking anyone; "" when it is not.
  std::string FindPath(const std::string& stored);
  bool Launch(const std::string& path) override;
  void ClosePlayer() override;
  void NestedMessage(const Message& m) override;
  bool Closing() override;
  void Log(const std::string& line) override;

 private:
  PlayerWindow& window_;
};

}  // namespace corvida
