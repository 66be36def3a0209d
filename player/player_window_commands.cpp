// Keys and the player commands of the "CV" menu.
#include <algorithm>
#include <array>

#include "base/strings.h"
#include "platform/files.h"
#include "platform/gfx/bmp.h"
#include "platform/gfx/png.h"
#include "platform/guide.h"
#include "platform/launch.h"
#include "platform/text.h"
#include "player/desktop_prefs.h"
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

// Commands that leave typed text where it is: the rest first store it into the records
// (so that a save, an export or a move keeps it).
bool KeepsTextEntry(MenuCommand command) {
  const int id = static_cast<int>(command);
  return id == 104 || id == 105 || id == 108 || id == 109 || (id >= 150 && id <= 154) ||
         id == 310 || id == 359 || id == 360 || id == 400 || id == 600;
}

// The address of the web page command when the strings name none.
constexpr const char* kProjectPage = "https://corvida.example.org/";
constexpr int kWebPageString = 1038;

// A card's picture goes out as BMP when the name asks for it, else as PNG.
bool WritesBmp(const std::string& path) {
  const std::string name = PathFileName(path);
  return name.size() > 4 &&
         EqualsIgnoringCase(std::string_view(name).substr(name.size() - 4), ".bmp");
}

// The menu's keyboard shortcuts: Ctrl and a key.
struct Shortcut {
  uint32_t key;
  MenuCommand command;
};
constexpr std::array<Shortcut, 16> kShortcuts{{
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
    {'Z', MenuCommand::kUndo},
    {'X', MenuCommand::kCut},
    {'C', MenuCommand::kCopy},
    {'V', MenuCommand::kPaste},
}};

}  // namespace

void PlayerWindow::DoCommand(MenuCommand command) {
  if (!KeepsTextEntry(command)) field_input_->Leave();
  if (UnzoomsFirst(command) && zoom_ > 1) SetZoom(1);
  const size_t recent = size_t(static_cast<int>(command) - kFirstRecentCommand);
  if (recent < recent_stacks_.size()) return OpenOtherStack(recent_stacks_[recent], "recent");
  Navigation& nav = *nav_;
  using enum MenuCommand;
  switch (command) {
    case kOpenStack: {
      if (!ConfirmLeavingStack()) return nav.RedisplayCard();
      auto path = questions_->ChooseStack();
      if (!path) return nav.RedisplayCard();
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
    case kUndo:
      return field_input_->Edit(EditCommand::kUndo);
    case kCut:
      return field_input_->Edit(EditCommand::kCut);
    case kCopy:
      return field_input_->Edit(EditCommand::kCopy);
    case kPaste:
      return field_input_->Edit(EditCommand::kPaste);
    case kClear:
      return field_input_->Edit(EditCommand::kClear);
    case kExit:
      player_.platform.windows().PostMessage({window_, msg::kClose, 0, 0, 0});
      return;
    case kBack:
      return nav.GoBack();
    case kHome:
      return nav.GoHome();
    case kFirstCard:
      return nav.GoFirstCard();
    case kPreviousCard:
      return nav.GoPreviousCard();
    case kNextCard:
      return nav.GoNextCard();
    case kLastCard:
      return nav.GoLastCard();
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
    case kExportScreen:
      return ExportScreen();
    case kPageSetup:
      return AskPageSetup();
    case kPrint:
      return Print();
    case kAbout:
      return questions_->ShowAbout();
    case kSlideShow:
      return SlideShow();
    case kFullScreen: {
      WindowSystem& windows = player_.platform.windows();
      const bool on = !windows.FullScreen(window_);
      windows.SetFullScreen(window_, on);
      Log(on ? "full screen" : "full screen off");
      return;
    }
    case kWebPage:
      return OpenWebPage();
    case kRunBox:
      return runbox_->Open();
    case kHelp:
      return OpenGuide();
    default:
      if (static_cast<int>(command) == NbaExtras::kManageCommand) {
        questions().ManageExtras(*extras_);
        ReadMenuPreference();  // the Extras menu follows the list
        return;
      }
      // The Extras' commands; authoring and device commands are not part of the player.
      extras_->Run(static_cast<int>(command));
      return;
  }
}

void PlayerWindow::ExportScreen() {
  if (shown_.empty() || !player_.stack.is_open()) return;
  const std::string base = StackBaseName();
  const int number = player_.stack.CardNumber(nav_->current_card());
  auto path = questions_->ChooseExportPath(base + " card " + std::to_string(number) + ".png");
  if (!path) return;
  // The card as it is shown, at its own size, without the menu bar.
  std::string error;
  const bool written = WritesBmp(*path) ? gfx::WriteBmpFile(*path, shown_, &shown_.palette, &error)
                                        : gfx::WritePngFile(*path, shown_, &shown_.palette, &error);
  if (!written) {
    player_.alerts.Alert(strid::kIoError);
    return;
  }
  Log("exported " + Quoted(PathFileName(*path)));
}

void PlayerWindow::OpenWebPage() {
  std::string address = LoadLocalizedString(kWebPageString);
  const bool web = address.rfind("https://", 0) == 0 || address.rfind("http://", 0) == 0;
  if (!web) address = kProjectPage;
  // The address is shown first; only a yes opens the browser.
  if (player_.alerts.AskWithNames(strid::kConfirmWebPage, {address}, 1) != 1) return;
  Log("web page " + Quoted(address));
  if (player_.platform.headless()) return;  // launches are only recorded there
  Launcher* launcher = player_.platform.launcher();
  if (!launcher || !launcher->Open(address)) player_.alerts.Alert(strid::kCannotLaunch);
}

void PlayerWindow::OpenGuide() {
  const std::string guide = UserGuidePath();
  if (guide.empty()) {
    Log("guide missing");
    player_.alerts.Alert(strid::kCannotLaunch);
    return;
  }
  Log("guide " + Quoted(PathFileName(guide)));
  if (player_.platform.headless()) return;  // launches are only recorded there
  Launcher* launcher = player_.platform.launcher();
  if (!launcher || !launcher->Open(guide)) player_.alerts.Alert(strid::kCannotLaunch);
}

// The cards one after the other on the clock; any key or click ends the show. Timers,
// paints and queued moves go on meanwhile; other input is dropped.
void PlayerWindow::SlideShow() {
  if (!player_.stack.is_open() || player_.stack.CardCount() == 0 || !window_) return;
  if (!questions_->AskSlideShow(slide_show_)) return;
  Log("slide show " + std::to_string(slide_show_.seconds) + " s" +
      (slide_show_.loop ? " looping" : ""));
  if (slide_show_.from_first) nav_->GoFirstCard();
  WindowSystem& windows = player_.platform.windows();
  Clock& clock = player_.platform.clock();
  const uint32_t interval = uint32_t(slide_show_.seconds) * 1000;
  uint32_t next = clock.Milliseconds() + interval;
  Message m;
  while (!close_requested_) {
    const uint32_t now = clock.Milliseconds();
    if (int32_t(next - now) <= 0) {
      if (!NextSlide(slide_show_.loop)) break;
      next = clock.Milliseconds() + interval;
      continue;
    }
    if (!windows.WaitMessage(m, next - now)) continue;
    if (m.window != window_ && m.window != 0) continue;
    if (m.message == msg::kKeyDown || m.message == msg::kSysKeyDown ||
        m.message == msg::kLButtonDown || m.message == msg::kRButtonDown)
      break;
    if (m.message == msg::kClose || m.message == msg::kDestroy) close_requested_ = true;
    if (m.message == msg::kTimer && m.wParam == kTimerId) OnTimer();
    if (m.message == msg::kPaint) Present();
    if (m.message == kRunPendingMove) RunQueuedMove();
  }
  Log("slide show ended");
}

bool PlayerWindow::NextSlide(bool loop) {
  const int count = player_.stack.CardCount();
  const int number = player_.stack.CardNumber(nav_->current_card());
  if (number >= count && !loop) return false;
  nav_->GoNextCard();  // after the last card comes the first
  return true;
}

void PlayerWindow::OnKeyDown(uint32_t key) {
  if (key == vk::kShift) shift_ = true;
  if (key == vk::kControl) ctrl_ = true;
  if (zoom_ > 1) {
    if (key == vk::kControl && !hand_mode_) {
      hand_mode_ = true;
      ShowPointer({CursorShape::kFlatHand});
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
  if (key == vk::kF11) return DoCommand(MenuCommand::kFullScreen);
  if (key == vk::kF1 && !ctrl_ && !shift_) return DoCommand(MenuCommand::kHelp);
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
      UpdatePointer();
    }
  }
  if ((key == vk::kShift || key == vk::kControl) && nav_->view().options().outlines_shown) {
    nav_->view().options().outlines_shown = false;
    Refresh();
  }
}

}  // namespace corvida
