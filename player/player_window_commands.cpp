// Keys and the player commands of the "CV" menu.
#include <algorithm>
#include <array>

#include "base/strings.h"
#include "platform/files.h"
#include "player/player_window.h"

namespace corvida {

namespace {

// Commands that first return a zoomed view to factor 1.
bool UnzoomsFirst(int id) {
  return id == 100 || id == 101 || id == 104 || id == 106 || id == 155 ||
         (id >= 157 && id <= 159) || (id >= 200 && id <= 207) || (id >= 306 && id <= 310) ||
         (id >= 500 && id <= 502);
}

// The menu's keyboard shortcuts: Ctrl and a key.
struct Shortcut {
  uint32_t key;
  int command;
};
constexpr std::array<Shortcut, 12> kShortcuts{{{'O', 101},
                                               {'S', 102},
                                               {'E', 105},
                                               {'P', 108},
                                               {'H', 201},
                                               {'1', 202},
                                               {0xBC, 203},  // the comma key: Ctrl+<
                                               {0xBE, 204},  // the full stop key: Ctrl+>
                                               {'9', 205},
                                               {'J', 206},
                                               {'F', 207},
                                               {0xC0, 200}}};  // the tilde key: Ctrl+~

}  // namespace

void PlayerWindow::DoCommand(int id) {
  if (UnzoomsFirst(id) && zoom_ > 1) SetZoom(1);
  Navigation& nav = *nav_;
  switch (id) {
    case 101: {
      auto path = questions_->ChooseStack();
      if (!path) return nav.Redisplay();
      nav.GoToStackCard(*path, Navigation::kFirstCardOfStack, Navigation::kCommandTransition,
                        Navigation::kCommandSpeed, true);
      return;
    }
    case 102:
      // Saving is the desktop host's, for stacks on the local disk; errors are reported
      // by the stack.
      if (saving_allowed_ && player_.stack.is_open() && !player_.stack.path().empty() &&
          player_.stack.Save(player_.stack.path()) == 0)
        Log("saved");
      return;
    case 103: {
      if (!saving_allowed_ || !player_.stack.is_open()) return;
      auto path = questions_->ChooseSavePath();
      if (!path) return;
      player_.files.SetHostPath(FileSlots::kSaveAs, *path);
      if (player_.stack.Save(*path) != 0) return;
      Log("saved as \"" + PathFileName(*path) + "\"");
      // The stack now lives in its new file: the title and the stack slot follow it.
      player_.files.SetHostPath(FileSlots::kStack, *path);
      if (window_) player_.platform.windows().SetTitle(window_, nav.Title());
      return;
    }
    case 110:
      player_.platform.windows().PostMessage({window_, msg::kClose, 0, 0, 0});
      return;
    case 200:
      return nav.GoBack();
    case 201:
      return nav.GoHome();
    case 202:
      return nav.GoFirst();
    case 203:
      return nav.GoPrevious();
    case 204:
      return nav.GoNext();
    case 205:
      return nav.GoLast();
    case 206: {
      int count = player_.stack.CardCount();
      auto text = questions_->AskJumpText(count);
      Log(text ? "dialog JUMP_TO_CARD \"" + *text + "\"" : "dialog JUMP_TO_CARD cancelled");
      nav.JumpToCard(std::move(text));
      return;
    }
    case 207:
      return FindText(true);  // text fields
    case 355:
      return SetZoom(1);
    case 356:
      return SetZoom(2);
    case 357:
      return SetZoom(4);
    case 358:
      return SetZoom(8);
    case 651:
      questions_->ShowPreferences();
      return;
    default:
      return;  // authoring and device commands are not part of the player
  }
}

void PlayerWindow::OnKeyDown(uint32_t key) {
  WindowSystem& windows = player_.platform.windows();
  if (key == vk::kShift) shift_ = true;
  if (key == vk::kControl) ctrl_ = true;
  if (zoom_ > 1) {
    if (key == vk::kControl && !hand_mode_) {
      hand_mode_ = true;
      windows.SetCursor(CursorShape::kFlatHand);
    }
    Size size = shown_.empty() ? CardSize() : shown_.size();
    int step = std::max(1, size.width / (zoom_ * 5));
    if (key == vk::kLeft) return PanBy(-step, 0);
    if (key == vk::kRight) return PanBy(step, 0);
    if (key == vk::kUp) return PanBy(0, -step);
    if (key == vk::kDown) return PanBy(0, step);
  } else if (shift_ && ctrl_ && !nav_->view().options().outlines_shown) {
    nav_->view().options().outlines_shown = true;
    Refresh();
    return;
  }
  if (OnFieldKey(key)) return;  // text fields: arrows, Ctrl+Shift+F
  if (ctrl_ && !shift_) {
    for (const Shortcut& s : kShortcuts)
      if (s.key == key) return DoCommand(s.command);
  }
}

void PlayerWindow::OnKeyUp(uint32_t key) {
  if (key == vk::kEscape && zoom_ > 1) return SetZoom(1);
  if (key == vk::kShift) shift_ = false;
  if (key == vk::kControl) {
    ctrl_ = false;
    if (zoom_ > 1 && hand_mode_ && !panning_) {
      hand_mode_ = false;
      player_.platform.windows().SetCursor(CursorShape::kArrow);
    }
  }
  if ((key == vk::kShift || key == vk::kControl) && nav_->view().options().outlines_shown) {
    nav_->view().options().outlines_shown = false;
    Refresh();
  }
}

}  // namespace corvida
