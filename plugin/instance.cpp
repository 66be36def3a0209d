#include "plugin/instance.h"

#include <algorithm>
#include <vector>

#include "engine/navigation.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "plugin/urls.h"

namespace corvida::plugin {
namespace {

// The file slot pictures and texts of objects are handed over in.
constexpr int kObjectFileSlot = 9;

}  // namespace

InstancePlayer::InstancePlayer(NPP instance, const NPNetscapeFuncs* browser, DownloadCache& cache,
                               Platform* platform, PlayerLog* log)
    : instance_(instance),
      browser_(browser),
      platform_(platform),
      log_(log),
      intake_(cache, *this, *this, *this) {}

InstancePlayer::~InstancePlayer() {
  Stop();
}

bool InstancePlayer::Start(WindowId window) {
  if (!platform_ || window == 0) return false;
  player_ = std::make_unique<Player>(*platform_);
  window_ = std::make_unique<PlayerWindow>(*player_);
  window_->set_log(log_);
  window_->set_stacks_downloaded(true);
  window_->set_file_requests(this);
  if (!window_->Attach(window)) return false;
  // The page's player takes the keyboard at once, so its keys work without a click.
  platform_->windows().SetFocus(window);
  return true;
}

void InstancePlayer::Stop() {
  if (window_) window_->Shutdown();
  window_.reset();
  player_.reset();
}

bool InstancePlayer::PutInSlot(int slot, const std::string& path) {
  return player_ && player_->files.SetHostPath(slot, path) == 0;
}

bool InstancePlayer::OpenDownloadedStack(const std::string& path, const std::string& url) {
  if (!window_) return false;
  window_->Log("stack " + Quoted(url));
  player_->stack_origin = UrlOrigin(url);
  stack_urls_[path] = url;
  // A stack asked for again (Back, Home, the marked card) arrives at the card wanted.
  uint16_t card = Navigation::kFirstCardOfStack;
  if (auto awaited = awaited_cards_.find(url); awaited != awaited_cards_.end()) {
    card = awaited->second;
    awaited_cards_.erase(awaited);
  }
  if (!player_->stack.is_open()) {
    if (window_->OpenStack(path) != 0 || player_->stack.CardCount() == 0) return false;
    window_->ShowFirstCard();
    return true;
  }
  window_->navigation().GoToStackCard(path, card, Navigation::kCommandTransition,
                                      Navigation::kCommandSpeed, true);
  return player_->stack.path() == path;
}

void InstancePlayer::RerunButton(uint16_t button_id, uint32_t) {
  if (window_) window_->executor().RunButton(button_id);
}

void InstancePlayer::RunActionBlock(uint16_t block, const std::string& name) {
  if (window_) window_->executor().RunActionRecord(block, name, MediaWait::kNone);
}

void InstancePlayer::LoadIntoObject(uint32_t object, const std::string& path) {
  if (!window_) return;
  // The object is made again: its picture or text is read from the file now here.
  const auto type = uint16_t(object >> 16), id = uint16_t(object & 0xFFFF);
  window_->Log("loaded " + Quoted(PathFileName(path)) + " for object " + std::to_string(id));
  if (!window_->view().RedrawObject(type, id, 0, 0, false, window_.get())) window_->RecomposeCard();
}

void InstancePlayer::Repaint() {
  if (window_ && player_->stack.is_open()) window_->RecomposeCard();
}

void InstancePlayer::GetUrl(const std::string& url) {
  if (browser_ && browser_->geturl) browser_->geturl(instance_, url.c_str(), nullptr);
}

std::string InstancePlayer::RequestFile(const std::string& stored, int slot) {
  if (!window_) return "";
  const std::string name = Quoted(std::string(NamePart(stored)));
  switch (intake_.RequestFile(stored, slot)) {
    case 1:
      return player_->files.HostPath(slot);
    case 0:
      window_->Log("asked for " + name);
      break;
    default:
      window_->Log("cannot ask for " + name);
      return "";
  }
  if (!pump_) return "";
  FileWaitEnd end = AwaitFile(UrlBeside(intake_.base_url(), NamePart(stored)));
  const std::string path = end == FileWaitEnd::kArrived ? intake_.FileHere(stored, slot) : "";
  if (!path.empty()) return path;
  if (end == FileWaitEnd::kArrived) end = FileWaitEnd::kFailed;
  static constexpr const char* kWhy[] = {"arrived",       "could not be fetched", "was cancelled",
                                         "took too long", "gave way to a stack",  "was closed"};
  window_->Log("waiting for " + name + " ended: it " + kWhy[int(end)]);
  return "";
}

FileWaitEnd InstancePlayer::AwaitFile(const std::string& url) {
  WindowSystem& windows = platform_->windows();
  Clock& clock = platform_->clock();
  const uint32_t start = clock.Milliseconds();
  std::vector<Message> kept;  // paints and the player's own messages, posted again after
  FileWaitEnd end = FileWaitEnd::kArrived;
  uint64_t shown = UINT64_MAX;
  for (;;) {
    if (!pump_->PumpStreams()) {
      end = FileWaitEnd::kStackComing;
      break;
    }
    if (!intake_.Awaits(url)) break;  // arrived, or failed: the caller looks
    if (window_->close_requested()) {
      end = FileWaitEnd::kClosing;
      break;
    }
    const uint32_t waited = clock.Milliseconds() - start;
    if (waited >= kFileWaitLimitMs) {
      end = FileWaitEnd::kTimedOut;
      break;
    }
    // The bar shows a wait long enough to be noticed, and what of the file has come.
    const bool current = SameUrl(intake_.current_url(), url) && intake_.file_open();
    const uint64_t received = current ? intake_.written() : 0;
    if (waited >= kFileWaitBarAfterMs && received != shown) {
      shown = received;
      window_->ShowDownloadProgress(received, current ? intake_.announced_length() : 0);
    }
    Message m;
    if (!windows.WaitMessage(m, std::min(kFileWaitPassMs, kFileWaitLimitMs - waited))) continue;
    if (m.window != window_->window() && m.window != 0) continue;
    if ((m.message == msg::kKeyDown && m.wParam == vk::kEscape) || m.message == msg::kLButtonDown) {
      end = FileWaitEnd::kCancelled;
      break;
    }
    if (m.message == msg::kClose || m.message == msg::kDestroy) {
      kept.push_back(m);
      end = FileWaitEnd::kClosing;
      break;
    }
    // Other input and timers are dropped, as in the player's other waits.
    if (m.message == msg::kPaint || m.message >= msg::kUser) kept.push_back(m);
  }
  window_->HideDownloadProgress();
  for (const Message& m : kept) windows.PostMessage(m);
  return end;
}

bool InstancePlayer::AskForStackAgain(const std::string& host_path) {
  auto it = stack_urls_.find(host_path);
  if (!window_ || it == stack_urls_.end() || !intake_.AskForStack(it->second)) return false;
  awaited_cards_[it->second] = window_->navigation().opening_card_id();
  window_->Log("asked again for " + Quoted(it->second));
  return true;
}

std::string InstancePlayer::AskFor(const std::string& stored, uint16_t object_type,
                                   uint16_t object_id) {
  if (!window_) return "";
  std::string path = intake_.FileHere(stored, kObjectFileSlot);
  if (!path.empty()) return path;
  intake_.SetWaitingObject((uint32_t(object_type) << 16) | object_id);
  const std::string name = Quoted(std::string(NamePart(stored)));
  switch (intake_.RequestFile(stored, kObjectFileSlot)) {
    case 1:
      return player_->files.HostPath(kObjectFileSlot);
    case 0:
      window_->Log("asked for " + name + " for object " + std::to_string(object_id));
      return "";
    default:
      window_->Log("cannot ask for " + name);
      return "";
  }
}

bool InstancePlayer::IsPinned(const std::string& host_path) const {
  if (!player_ || !window_) return false;
  for (int slot = 0; slot < FileSlots::kSlotCount; ++slot) {
    if (player_->files.HostPath(slot) == host_path) return true;
  }
  // The stacks Back returns to stay too.
  for (const HistoryEntry& entry : window_->navigation().history()) {
    if (entry.has_file && player_->files.paths().ToHost(entry.stack_ref) == host_path) return true;
  }
  return player_->stack.path() == host_path;
}

}  // namespace corvida::plugin
