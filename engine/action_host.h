// What the action executor asks of the player that runs it: the shown card, card moves,
// questions to the user, finding and launching files, and the media wait's share of the
// window. The player implements it; tests implement it with a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/handles.h"
#include "platform/messages.h"
#include "platform/types.h"

namespace corvida {

// Whether a run returns at once or waits for the media it started to finish.
enum class MediaWait { kNone, kUntilFinished };

class ActionHost {
 public:
  virtual ~ActionHost() = default;

  // The shown card, and whether the browse tool is active (actions run only then).
  virtual Handle CurrentCard() = 0;
  virtual bool Browsing() = 0;

  // Card moves. A destination is a card id of this stack or a navigation code (-1 .. -5);
  // another stack is a host path and a card id in it (65530: its first card).
  virtual void GoToDestination(int destination, int transition, int speed) = 0;
  virtual void GoToStack(const std::string& path, uint16_t card_id, int transition, int speed) = 0;
  // Shows the current card again (a stack that could not be found).
  virtual void RedisplayCard() = 0;
  // The centre of the running record and its button colour (0-based; -1 none), for the
  // next transition.
  virtual void SetActionOrigin(Point origin, int button_colour) = 0;
  // Toggles the highlight of a button of the shown card (keyboard selection).
  virtual void ToggleHighlight(uint16_t button_id) = 0;

  // Questions to the user. A numbered alert answers 1..3.
  virtual int Alert(int id) = 0;
  // The user's name for the score ("ASKUSERNAME"); nothing when cancelled.
  virtual std::optional<std::string> AskUserName() = 0;
  // Whether the user agreed to launch `program` (or the desktop's opener) on `document`.
  virtual bool ConfirmLaunch(const std::string& program, const std::string& document) = 0;

  // The host path of a stored reference, "" when no such file is in reach.
  virtual std::string ResolvePath(const std::string& stored) = 0;
  // Opens a host path with the desktop's opener; false when that failed.
  virtual bool Launch(const std::string& path) = 0;
  virtual void ClosePlayer() = 0;

  // During a media wait: paint and close messages of the player window, and whether the
  // window is closing (the wait then ends).
  virtual void NestedMessage(const Message& m) = 0;
  virtual bool Closing() = 0;

  // One line per event that matters (buttons, actions, scores, launches).
  virtual void Log(const std::string& line) = 0;
};

}  // namespace corvida
