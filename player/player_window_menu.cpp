// The player window's menu bar: shown above the card as each card asks, entered with Alt,
// F10 or the mouse, and the command chosen run as any other player command.
#include "base/strings.h"
#include "engine/cards.h"
#include "engine/transition_screen.h"
#include "platform/text.h"
#include "player/player_window.h"
#include "stackfile/records.h"
#include "ui/dialog.h"

namespace corvida {
namespace {

bool IsKeyboard(uint32_t message) {
  return message >= msg::kKeyDown && message <= msg::kSysKeyUp;
}

bool IsMouse(uint32_t message) {
  return message >= msg::kMouseMove && message <= msg::kMouseWheel;
}

// Commands the player does not carry out (yet): shown greyed.
constexpr MenuCommand kUnavailable[] = {MenuCommand::kNewStack};

// The Edit menu's commands on field text, greyed while they would do nothing.
struct EditItem {
  MenuCommand command;
  EditCommand edit;
};
constexpr EditItem kEditItems[] = {
    {MenuCommand::kUndo, EditCommand::kUndo},   {MenuCommand::kCut, EditCommand::kCut},
    {MenuCommand::kCopy, EditCommand::kCopy},   {MenuCommand::kPaste, EditCommand::kPaste},
    {MenuCommand::kClear, EditCommand::kClear},
};

std::string ShownCommandLabel(const MenuBar& bar, int command) {
  for (const Menu& m : bar.menus())
    for (const MenuEntry& e : m.entries)
      if (e.command == command) return Dialog::ShownLabel(e.label.substr(0, e.label.find('\t')));
  return {};
}

}  // namespace

void PlayerWindow::ReadMenuPreference() {
  // "user" / "MenuBar": "Yes" shows it always, "No" never; else each card decides.
  const std::string value = player_.prefs.ReadPref("user", "MenuBar");
  bar_preference_ = EqualsIgnoringCase(value, "Yes")  ? BarPreference::kAlways
                    : EqualsIgnoringCase(value, "No") ? BarPreference::kNever
                                                      : BarPreference::kCards;
  extras_entries_.clear();
  for (const NbaExtras::Item& item : extras_->Items()) {
    // A module's name is shown as it stands: an ampersand in it marks no access key.
    std::string label;
    for (char c : item.name) label += c == '&' ? std::string("&&") : std::string(1, c);
    extras_entries_.push_back({item.command, label, false});
  }
  SetMenus();
}

void PlayerWindow::SetMenus() {
  menu_bar_.SetMenus(PlayerMenus(extras_entries_, RecentStackEntries()));
  bar_layout_width_ = -1;
}

void PlayerWindow::UpdateMenuBar(Handle card) {
  if (card) card_wants_bar_ = CardField16(player_.handles, card, card::kMenuBar) != 0;
  bool wanted = bar_preference_ == BarPreference::kAlways ||
                (bar_preference_ == BarPreference::kCards && card_wants_bar_);
  SetBarShown(wanted || script_bar_);
}

void PlayerWindow::SetBarShown(bool shown) {
  const int top = shown ? MenuBar::kHeight : 0;
  if (top == bar_top_ || !window_) return;
  bar_top_ = top;
  const Size card = shown_.empty() ? CardSize() : shown_.size();
  player_.platform.windows().ResizeClient(window_, {card.width, card.height + bar_top_});
  runbox_->Fit();
  Log(shown ? "menu bar shown" : "menu bar hidden");
  Present();
}

void PlayerWindow::ShowMenuBarForScript(bool on) {
  if (script_bar_ == on) return;
  script_bar_ = on;
  UpdateMenuBar(0);
}

void PlayerWindow::UpdateMenus() {
  for (const Menu& m : menu_bar_.menus())
    for (const MenuEntry& e : m.entries) menu_bar_.SetGreyed(e.command, false);
  for (MenuCommand c : kUnavailable) menu_bar_.SetGreyed(static_cast<int>(c), true);
  for (const EditItem& e : kEditItems)
    menu_bar_.SetGreyed(static_cast<int>(e.command), !field_input_->CanEdit(e.edit));
  const bool can_save = saving_allowed_ && player_.stack.is_open();
  menu_bar_.SetGreyed(static_cast<int>(MenuCommand::kSaveStack), !can_save);
  menu_bar_.SetGreyed(static_cast<int>(MenuCommand::kSaveStackAs), !can_save);
  const bool has_cards = player_.stack.is_open() && player_.stack.CardCount() > 0;
  for (int id = 200; id <= 207; ++id) menu_bar_.SetGreyed(id, !has_cards);
  menu_bar_.SetGreyed(static_cast<int>(MenuCommand::kPreferences), !player_.stack.is_open());
  menu_bar_.SetGreyed(static_cast<int>(MenuCommand::kPrint), !has_cards || print_job_);
  GreyMissingRecentStacks();
}

void PlayerWindow::StartMenu(int menu, bool open, bool by_mouse) {
  if (!window_ || menu_bar_.menus().empty()) return;
  alt_alone_ = false;
  UpdateMenus();
  menu_bar_.Start(menu, open, by_mouse);
  Present();
}

// Alt alone (pressed and released), F10, Alt with a menu's access key and a press on the
// shown bar enter the menu bar; while it is active it takes all keys and the mouse.
bool PlayerWindow::TakenByMenu(const Message& m) {
  if (menu_bar_.active()) {
    if (!IsKeyboard(m.message) && !IsMouse(m.message) && m.message != msg::kChar) return false;
    MenuInput(m);
    return true;
  }
  const uint32_t key = uint32_t(m.wParam);
  switch (m.message) {
    case msg::kSysKeyDown:
      if (key == vk::kMenu) {
        alt_alone_ = true;
        return true;
      }
      alt_alone_ = false;
      if (key == vk::kF10) return StartMenu(0, false, false), true;
      for (size_t i = 0; i < menu_bar_.menus().size(); ++i)
        if (MenuBar::AccessKey(menu_bar_.menus()[i].title) == char(key))
          return StartMenu(int(i), true, false), true;
      return true;
    case msg::kSysKeyUp:
      if (key == vk::kMenu && alt_alone_) StartMenu(0, false, false);
      alt_alone_ = false;
      return true;
    case msg::kKeyDown:
      alt_alone_ = false;
      if (key == vk::kF10) return StartMenu(0, false, false), true;
      return false;
    case msg::kLButtonDown:
    case msg::kLButtonDblClk: {
      alt_alone_ = false;  // Alt held for a click (a script's menu bar) opens no menu
      if (bar_top_ == 0 || ParamY(m.lParam) >= bar_top_) return false;
      const int title = menu_bar_.TitleAt({ParamX(m.lParam), ParamY(m.lParam)});
      if (title >= 0) StartMenu(title, true, true);
      return true;  // the bar's empty part does nothing
    }
    case msg::kLButtonUp:
    case msg::kMouseMove:
      // Over the bar the pointer is the arrow and the card sees nothing.
      if (bar_top_ == 0 || ParamY(m.lParam) >= bar_top_) return false;
      // Drags that started on the card go on over the bar.
      if (mouse_->tracking() || field_input_->tracker().tracking() || panning_) return false;
      ShowPointer({CursorShape::kArrow});
      return m.message == msg::kMouseMove;
    default:
      return false;
  }
}

void PlayerWindow::MenuInput(const Message& m) {
  const Point p{ParamX(m.lParam), ParamY(m.lParam)};
  switch (m.message) {
    case msg::kKeyDown:
    case msg::kSysKeyDown:
      menu_bar_.KeyDown(uint32_t(m.wParam));
      break;
    case msg::kLButtonDown:
    case msg::kLButtonDblClk:
      menu_bar_.MouseDown(p);
      break;
    case msg::kMouseMove:
      menu_bar_.MouseMove(p);
      break;
    case msg::kLButtonUp:
      menu_bar_.MouseUp(p);
      break;
    default:
      return;  // key releases and characters belong to the bar's keys
  }
  Present();
  if (!menu_bar_.ended()) return;
  const int command = menu_bar_.chosen();
  if (command == 0) return;
  Log("menu " + std::to_string(command) + " " + Quoted(ShownCommandLabel(menu_bar_, command)));
  DoCommand(static_cast<MenuCommand>(command));
}

// The card (already converted, zoomed) under the bar, the run box over the card, and the
// bar with its open list.
void PlayerWindow::ComposeScreen(const RgbaView& card) {
  const int width = card.width, height = card.height + bar_top_;
  if (screen_.width() != width || screen_.height() != height || screen_.depth() != 32)
    if (!ReuseOrCreate(screen_, width, height, 32)) return;
  for (int y = 0; y < card.height; ++y) {
    const uint8_t* src = card.pixels + size_t(y) * size_t(card.stride);
    uint8_t* dst = screen_.Row(y + bar_top_);
    for (int x = 0; x < width; ++x) {
      dst[x * 4] = src[x * 4 + 2];
      dst[x * 4 + 1] = src[x * 4 + 1];
      dst[x * 4 + 2] = src[x * 4];
      dst[x * 4 + 3] = 0;
    }
  }
  if (bar_layout_width_ != width) {
    menu_bar_.Layout(player_.platform.fonts(), width);
    bar_layout_width_ = width;
  }
  gfx::DrawTarget target(screen_);
  runbox_->Draw(target);
  if (bar_top_ > 0 || menu_bar_.active()) menu_bar_.Draw(target, player_.platform.fonts(), width);
}

}  // namespace corvida
