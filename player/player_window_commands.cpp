// Keys and the player commands of the "CV" menu.
#include <algorithm>
#include <array>

#include "base/strings.h"
#include "platform/files.h"
#include "player/player_window.h"
#include "player/stack_open.h"

namespace corvida {

namespace {

// Commands that first return a zoomed view to factor 1: moves, dialogs and the file
// commands, and the authoring commands the player does not offer (they do nothing else).
bool UnzoomsFirst(MenuCommand command) {
  using enum MenuCommand;
  switch (command) {
    case kNewStack:
    case kOpenStack:
    case kBack:
    case kHome:
    case kFirstCard:
    case kPreviousCard:
    case kNextCard:
    case kLastCard:
    case kJumpToCard:
    case kFindText:
      return true;
    default:
      break;
  }
  const int id = static_cast<int>(command);
  return id == 104 || id == 106 || id == 155 || (id >= 157 && id <= 159) ||
         (id >= 306 && id <= 310) || (id >= 500 && id <= 502);
}

// The menu's keyboard shortcuts: Ctrl and a key.
struct Shortcut {
  uint32_t key;
  MenuCommand command;
};
constexpr std::array<Shortcut, 12> kShortcuts{{
    {'O', MenuCommand::kOpenStack},
    {'S', MenuCommand::kSaveStack},
    {'E', MenuCommand::kExportScreen},
    {'P', MenuCommand::kPrint},
    {'H', MenuCommand::kHome},
    {'1', MenuCommand::kFirstCard},
    {0xBC, MenuCommand::kPreviousCard},  // the comma key: Ctrl+<
    {0xBE, MenuCommand::kNextCard},      // the full stop key: Ctrl+>
    {'9', MenuCommand::kLastCard},
    {'J', MenuCommand::kJumpToCard},
    {'F', MenuCommand::kFindText},
    {0xC0, MenuCommand::kBack},  // the tilde key: Ctrl+~
}};

}  // namespace

void PlayerWindow::DoCommand(MenuCommand command) {
  if (UnzoomsFirst(command) && zoom_ > 1) SetZoom(1);
  Navigation& nav = *nav_;
  using enum MenuCommand;
  switch (command) {
    case kOpenStack: {
      auto path = questions_->ChooseStack();
      if (!path) return nav.Redisplay();
      nav.GoToStackCard(*path, Navigation::kFirstCardOfStack, Navigation::kCommandTransition,
                        Navigation::kCommandSpeed, true);
      return;
    }
    case kSaveStack:
      // Saving is the desktop host's, for stacks on the local disk.
      if (saving_allowed_ && player_.stack.is_open() && !player_.stack.path().empty() &&
          SaveStackWithAlerts(player_.stack, player_.alerts, player_.stack.path()).saved())
        Log("saved");
      return;
    case kSaveStackAs: {
      if (!saving_allowed_ || !player_.stack.is_open()) return;
      auto path = questions_->ChooseSavePath();
      if (!path) return;
      player_.files.SetHostPath(FileSlots::kSaveAs, *path);
      if (!SaveStackWithAlerts(player_.stack, player_.alerts, *path).saved()) return;
      Log("saved as \"" + PathFileName(*path) + "\"");
      // The stack now lives in its new file: the title and the stack slot follow it.
      player_.files.SetHostPath(FileSlots::kStack, *path);
      if (window_) player_.platform.windows().SetTitle(window_, nav.Title());
      return;
    }
    case kExit:
      player_.platform.windows().PostMessage({window_, msg::kClose, 0, 0, 0});
      return;
    case kBack:
      return nav.GoBack();
    case kHome:
      return nav.GoHome();
    case kFirstCard:
      return nav.GoFirst();
    case kPreviousCard:
      return nav.GoPrevious();
    case kNextCard:
      return nav.GoNext();
    case kLastCard:
      return nav.GoLast();
    case kJumpToCard: {
      int count = player_.stack.CardCount();
      auto text = questions_->AskJumpText(count);
      Log(text ? "dialog JUMP_TO_CARD \"" + *text + "\"" : "dialog JUMP_TO_CARD cancelled");
      nav.JumpToCard(std::move(text));
      return;
    }
    case kFindText:
      return FindText(true);  // text fields
    case kZoom1:
      return SetZoom(1);
    case kZoom2:
      return SetZoom(2);
    case kZoom4:
      return SetZoom(4);
    case kZoom8:
      return SetZoom(8);
    case kPreferences:
      questions_->ShowPreferences();
      return;
    default:
      // The Extras' commands; authoring and device commands are not part of the player.
      extras_->Run(static_cast<int>(command));
      return;
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
    // Ctrl+F1 to Ctrl+F9: the first nine Extras.
    if (key >= vk::kF1 && key < vk::kF1 + 9)
      return DoCommand(MenuCommand(NbaExtras::kFirstCommand + (key - vk::kF1)));
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
