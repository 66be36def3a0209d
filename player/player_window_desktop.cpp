// The desktop's own window: its size kept between runs, the File menu's list of the
// stacks opened last, and stacks dropped on the window. The plug-in's window in a page
// has none of these: the page sizes it and its stacks come from the web.
#include "base/strings.h"
#include "platform/files.h"
#include "platform/text.h"
#include "player/desktop_prefs.h"
#include "player/file_locator.h"
#include "player/player_window.h"

namespace corvida {

void PlayerWindow::RestoreWindowSize() {
  if (!desktop_window_ || !window_) return;
  const auto size = ReadWindowSize(player_.prefs);
  if (!size) return;
  player_.platform.windows().SetWindowSize(window_, *size);
  Log("window size " + std::to_string(size->width) + " x " + std::to_string(size->height));
}

void PlayerWindow::RememberWindowSize() {
  WindowSystem& windows = player_.platform.windows();
  // Full screen is the display's size, not one the user chose for the window.
  if (!desktop_window_ || !window_ || windows.FullScreen(window_)) return;
  WriteWindowSize(player_.prefs, windows.WindowSize(window_));
}

void PlayerWindow::NoteStackOpened(const std::string& path) {
  if (!desktop_window_ || stacks_downloaded_) return;
  if (!NoteRecentStack(player_.prefs, AbsolutePath(path))) return;
  if (window_) SetMenus();
}

std::vector<MenuEntry> PlayerWindow::RecentStackEntries() {
  recent_stacks_.clear();
  if (!desktop_window_) return {};
  recent_stacks_ = ReadRecentStacks(player_.prefs);
  std::vector<MenuEntry> entries;
  for (size_t i = 0; i < recent_stacks_.size(); ++i)
    entries.push_back(
        {kFirstRecentCommand + int(i), RecentStackLabel(int(i), recent_stacks_[i]), false});
  return entries;
}

// A stack that is not there (a removed drive, a deleted file) stays listed, greyed: it
// may come back.
void PlayerWindow::GreyMissingRecentStacks() {
  for (size_t i = 0; i < recent_stacks_.size(); ++i)
    menu_bar_.SetGreyed(kFirstRecentCommand + int(i), !IsRegularFile(recent_stacks_[i]));
}

void PlayerWindow::OpenOtherStack(const std::string& path, const std::string& why) {
  Log(why + " " + Quoted(PathFileName(path)));
  if (!ConfirmLeavingStack()) return nav_->RedisplayCard();
  nav_->GoToStackCard(path, Navigation::kFirstCardOfStack, Navigation::kCommandTransition,
                      Navigation::kCommandSpeed, true);
}

// Several files dropped at once open the last; those a busy player could not take before
// (a script ran) are dropped with it.
void PlayerWindow::OnDropFiles() {
  WindowSystem& windows = player_.platform.windows();
  std::string path;
  for (std::string next; !(next = windows.TakeDroppedFile(window_)).empty();) path = next;
  // A page's stacks come from the web, never from the user's files.
  if (path.empty() || !desktop_window_ || stacks_downloaded_) return;
  field_input_->Leave();
  if (zoom_ > 1) SetZoom(1);
  OpenOtherStack(path, "dropped");
}

// Downloaded stacks never ask: their files come from where they came from, by URL only.
std::string PlayerWindow::LocateFile(const std::string& stored) {
  if (!desktop_window_ || stacks_downloaded_ || stored.empty() || !window_) return {};
  const std::string key = LocatorKey(stored);
  auto known = player_.located_files.find(key);
  if (known != player_.located_files.end() &&
      (known->second.empty() || IsRegularFile(known->second)))
    return known->second;
  const LocatorQuestion question = LocatorQuestionFor(stored);
  const auto chosen = questions_->LocateFile(question.prompt, question.extension);
  const std::string path = chosen && IsRegularFile(*chosen) ? *chosen : "";
  player_.located_files[key] = path;
  return path;
}

std::string PlayerWindow::LocateLater(const std::string& stored, uint16_t type, uint16_t id) {
  if (!desktop_window_ || stacks_downloaded_ || stored.empty() || !window_) return {};
  auto known = player_.located_files.find(LocatorKey(stored));
  if (known != player_.located_files.end() &&
      (known->second.empty() || IsRegularFile(known->second)))
    return known->second;
  if (composing_elsewhere_) return {};
  const Handle card = view().current_card();
  for (const FileToLocate& waiting : to_locate_)
    if (waiting.type == type && waiting.id == id && waiting.card == card &&
        LocatorKey(waiting.stored) == LocatorKey(stored))
      return {};
  // Posted once for all that a card misses; at most a card's worth waits.
  if (to_locate_.empty())
    player_.platform.windows().PostMessage({window_, kLocateMissingFiles, 0, 0, 0});
  if (to_locate_.size() < 256) to_locate_.push_back({stored, type, id, card});
  return {};
}

// Each missing file is asked for while the card that names it shows; the user's answer
// (a file or Cancel) holds for the session, so each name is asked once.
void PlayerWindow::LocateMissingFiles() {
  std::vector<FileToLocate> waiting;
  waiting.swap(to_locate_);
  for (const FileToLocate& file : waiting) {
    if (closed_ || close_requested_ || file.card != view().current_card()) continue;
    if (LocateFile(file.stored).empty()) continue;
    if (file.type == 0 || !view().RedrawObject(file.type, file.id, 0, 0, false, this))
      RecomposeCard();
  }
}

}  // namespace corvida
