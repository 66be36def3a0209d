#include "player/player_window.h"

#include <algorithm>

#include "base/strings.h"
#include "engine/cards.h"
#include "engine/transition_screen.h"
#include "platform/files.h"
#include "platform/gfx/text.h"
#include "platform/text.h"
#include "player/stack_open.h"
#include "stackfile/paths.h"
#include "stackfile/pixpak.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

constexpr Size kDefaultCardSize{512, 342};

bool IsInput(uint32_t message) {
  return (message >= msg::kKeyDown && message <= msg::kSysKeyUp) ||
         (message >= msg::kMouseMove && message <= msg::kMouseWheel) || message == msg::kCommand ||
         message == msg::kDropFiles;
}

}  // namespace

PlayerWindow::PlayerWindow(Player& player) : player_(player) {
  CardViewSetup setup;
  setup.fonts = player_.platform.fonts();
  setup.pictures = &player_.pictures;
  setup.missing = &later_locator_;
  setup.unknown_packing = [this] { NoteUnknownPacking(); };
  setup.media_folders =
      MediaFolderPaths({player_.platform.folders().data, player_.platform.folders().program});
  nav_ = std::make_unique<Navigation>(player_.stack, player_.handles, player_.files, *this, setup);
  field_input_ =
      std::make_unique<FieldInput>(player_.stack, player_.handles, player_.platform.windows(),
                                   player_.platform.clock(), *nav_, *this);
  SetUpActions();
  runbox_ = std::make_unique<PlayerRunBox>(*this);
}

PlayerWindow::~PlayerWindow() {
  Shutdown();
}

int PlayerWindow::OpenStack(const std::string& path) {
  mouse_->Forget();
  executor_->EndSelection();
  return nav_->OpenStack(path);
}

Size PlayerWindow::CardSize() const {
  if (!player_.stack.is_open()) return kDefaultCardSize;
  int w = int16_t(player_.stack.Header16(header::kCardWidth));
  int h = int16_t(player_.stack.Header16(header::kCardHeight));
  return w > 0 && h > 0 ? Size{w, h} : kDefaultCardSize;
}

bool PlayerWindow::Attach(WindowId window) {
  if (window == 0) return false;
  window_ = window;
  executor_->set_window(window);
  mouse_->set_window(window);
  field_input_->set_window(window);
  player_.alerts.set_player_window(window);
  player_.platform.windows().SetTimer(window_, kTimerId, kTimerMs);
  closed_ = close_requested_ = false;
  extras_->Load();
  ReadMenuPreference();
  RestoreWindowSize();
  return true;
}

void PlayerWindow::ShowFirstCard() {
  if (player_.stack.is_open() && player_.stack.CardCount() > 0)
    nav_->ArriveInNewStack(false, false);
}

void PlayerWindow::Shutdown() {
  // A document still going into the print queue gets a last few seconds.
  SettlePrinting(5000);
  if (nbas_) nbas_->StackClosing(true);
  if (window_) player_.platform.windows().KillTimer(window_, kTimerId);
  if (window_) player_.platform.windows().KillTimer(window_, kChainedMoveTimerId);
  mouse_->Forget();
  media_->Shutdown();
  nav_->CloseStack();
  window_ = 0;
}

// ---- card changes and the screen ----

void PlayerWindow::LeavingCard() {
  nbas_->Broadcast(nbamsg::kLeaveCard);
}

void PlayerWindow::LeaveCard() {
  mouse_->Forget();
  media_->LeaveCard();
  executor_->EndSelection();
  field_input_->Leave();  // typed text goes back into the records
}

void PlayerWindow::RunCardAction(uint16_t action, int role) {
  executor_->RunEventAction(action, role, MediaWait::kNone);
}

void PlayerWindow::SetTitle(const std::string& title) {
  if (window_) player_.platform.windows().SetTitle(window_, title);
}

int PlayerWindow::Alert(int id) {
  return player_.alerts.Alert(id);
}

int PlayerWindow::OpenStackFile(const std::string& path) {
  // A headless player has no one to ask: it answers as every headless command does.
  const StackAsking asking =
      player_.platform.headless() ? StackAsking::kHeadless : StackAsking::kUser;
  // A downloaded stack whose cache file went is fetched again; it opens when it arrives.
  if (stacks_downloaded_ && file_requests_ && !FileExists(path) &&
      file_requests_->AskForStackAgain(path))
    return kStackAskedAgain;
  StackOpenOptions options;
  options.from_download = stacks_downloaded_;
  if (player_.stack.is_open()) nbas_->StackClosing(false);
  ShowPointer({CursorShape::kWait});  // until the message that read it has ended
  const int code = OpenStackWithAlerts(player_.stack, player_.alerts, path, options, asking).code;
  if (code == 0) NoteStackOpened(path);
  // The desktop's window takes the size of each stack's cards.
  if (code == 0 && desktop_window_ && window_) {
    const Size card = CardSize();
    player_.platform.windows().ResizeClient(window_, {card.width, card.height + bar_top_});
  }
  return code;
}

void PlayerWindow::Arrived(Handle card, uint16_t id) {
  if (!card) return;
  nbas_->Broadcast(nbamsg::kArriveCard);
  Log("card " + std::to_string(player_.stack.CardNumber(card)) + " id " + std::to_string(id) + " " +
      Quoted(CardName(player_.handles, card)));
}

// A move asked for while a card change runs goes through the message loop. When a queued
// move itself asks for the next (cards whose arrive actions send each other on, a card
// going to itself), that one waits a tick on a timer, so that input, the other timers
// and the clock go on between the moves however long the stack keeps moving.
bool PlayerWindow::SchedulePendingMove() {
  // Without a window there is no loop: the queued move runs at once.
  if (!window_) return false;
  WindowSystem& windows = player_.platform.windows();
  if (running_queued_move_) {
    windows.SetTimer(window_, kChainedMoveTimerId, kChainedMoveMs);
  } else {
    windows.PostMessage({window_, kRunPendingMove, 0, 0, 0});
  }
  return true;
}

void PlayerWindow::RunQueuedMove() {
  running_queued_move_ = true;
  nav_->RunPending();
  running_queued_move_ = false;
}

void PlayerWindow::ShowCard(Handle card, int transition, int speed, bool arrival) {
  if (!card) {
    // No card: the window is white.
    Size size = CardSize();
    if (shown_.width() != size.width || shown_.height() != size.height || shown_.depth() != 32)
      ReuseOrCreate(shown_, size.width, size.height, 32);
    std::fill(shown_.data(), shown_.data() + shown_.byte_size(), uint8_t(0xFF));
    Present();
    return;
  }
  // The card says whether the menu bar is shown with it.
  UpdateMenuBar(card);
  // An entered card's automatic timers start counting now.
  if (arrival) executor_->ArmTimers(card);
  CardView& view = nav_->view();
  if (!view.ShowCard(card, transition, speed, arrival, window_ ? this : nullptr)) return;
  field_input_->ActivateAfterShow();
  if (!window_) view.Compose(shown_), shown_.palette = view.palette();
}

bool PlayerWindow::ReadyScreen(const gfx::Bitmap& image, const gfx::Palette& palette) {
  if (image.empty()) return false;
  scripts_->CardRedrawn();
  // The new image carries its palette: transitions move the screen to it.
  incoming_ = image;
  incoming_.palette = palette;
  if (shown_.width() != image.width() || shown_.height() != image.height() ||
      shown_.depth() != image.depth()) {
    if (!ReuseOrCreate(shown_, image.width(), image.height(), image.depth())) return false;
    std::fill(shown_.data(), shown_.data() + shown_.byte_size(), uint8_t(0));
    shown_.palette = palette;
  }
  return true;
}

std::unique_ptr<BitmapTransitionScreen> PlayerWindow::MakeScreen() {
  auto screen = std::make_unique<BitmapTransitionScreen>(shown_, player_.platform.windows(),
                                                         player_.platform.clock());
  screen->SetPresenter([this](const Rect&) { Present(); });
  screen->SetMessageHandler([this](const Message& m) { NestedMessage(m); });
  return screen;
}

void PlayerWindow::PrepareTransition(int transition) {
  if (shown_.empty()) return;
  auto screen = MakeScreen();
  corvida::PrepareTransition(transitions_, transition, *screen);
}

void PlayerWindow::RunTransition(int transition, int speed, const Rect* target,
                                 const gfx::Bitmap& image, const gfx::Palette& palette,
                                 bool full_card) {
  if (!ReadyScreen(image, palette)) return;
  auto screen = MakeScreen();
  std::optional<Rect> area;
  if (target) area = *target;
  corvida::RunTransition(transitions_, *screen, incoming_, transition, speed, area, full_card);
  ResumeHeldInput();  // input that came during the transition, in its order
}

void PlayerWindow::CopyToScreen(const Rect& rect, const gfx::Bitmap& image,
                                const gfx::Palette& palette) {
  if (!ReadyScreen(image, palette)) return;
  CopyPixels(shown_, rect, incoming_, {rect.left, rect.top});
  // The card drawn anew lies over the movies there: they show their frame again.
  media_->movies().Redraw(rect);
  media_->animations().Redraw();
  Present();
}

void PlayerWindow::NestedMessage(const Message& m) {
  if (m.window != window_ && m.window != 0) return;
  if (m.message == msg::kClose || m.message == msg::kDestroy) {
    close_requested_ = true;  // ends nested loops; the teardown waits for the outermost
  } else if (m.message == msg::kPaint) {
    Present();
  } else if (IsInput(m.message) || m.message == kRunPendingMove) {
    held_.push_back(m);
  }
}

void PlayerWindow::Present() {
  if (!window_) return;
  if (shown_.empty()) {
    if (download_permille_ >= 0) PresentWithBar({});
    return;
  }
  RgbaView frame = gfx::ConvertToRgba(shown_, &shown_.palette, rgba_);
  const bool over_card = bar_top_ > 0 || menu_bar_.active() || runbox_->open();
  if (!over_card) screen_ = gfx::Bitmap();
  if (zoom_ > 1) {
    // The part of the card in view, each pixel magnified zoom x zoom.
    int w = frame.width, h = frame.height;
    zoomed_.resize(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = frame.pixels + size_t(pan_.y + y / zoom_) * size_t(frame.stride);
      uint8_t* dst = zoomed_.data() + size_t(y) * size_t(w) * 4;
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = src + size_t(pan_.x + x / zoom_) * 4;
        std::copy(p, p + 4, dst + size_t(x) * 4);
      }
    }
    frame = RgbaView{zoomed_.data(), w, h, w * 4};
  }
  if (over_card) {
    ComposeScreen(frame);
    frame = gfx::ConvertToRgba(screen_, nullptr, screen_rgba_);
  }
  if (download_permille_ >= 0) return PresentWithBar(frame);
  player_.platform.windows().Present(window_, frame, {0, 0});
}

void PlayerWindow::Refresh() {
  CardView& view = nav_->view();
  if (!view.current_card()) return Present();
  scripts_->CardRedrawn();
  view.Compose(shown_);
  shown_.palette = view.palette();
  media_->movies().Redraw(shown_.Bounds());
  media_->animations().Redraw();
  Present();
}

void PlayerWindow::ShowMovieFrame(const Rect& rect, const MovieFrame& frame, bool on_top) {
  if (shown_.empty()) return;
  // Through the card's clip: the card area leaves out every object, which stays above.
  gfx::DrawTarget target(shown_);
  DrawMovieFrame(
      target, rect, frame,
      on_top || !view().current_card() ? gfx::Region(shown_.Bounds()) : view().card_area());
  Present();
}

void PlayerWindow::ShowAnimationFrame(Point at, const gfx::Bitmap& frame, bool clipped,
                                      const gfx::Bitmap* mask) {
  if (shown_.empty()) return;
  gfx::DrawTarget target(shown_);
  const bool card_clip = clipped && view().current_card();
  DrawAnimationFrame(target, at, frame,
                     card_clip ? view().card_area() : gfx::Region(shown_.Bounds()), mask);
  Present();
}

// Our controller bar: grey, a play triangle or pause bars, the position bar with its
// thumb, and the time.
void PlayerWindow::ShowController(const ControllerView& bar) {
  if (shown_.empty()) return;
  const ControllerLayout& l = bar.layout;
  const gfx::Color black = gfx::Color::FromRgb(gfx::kBlack);
  const gfx::Color white = gfx::Color::FromRgb(gfx::kWhite);
  gfx::DrawTarget target(shown_);
  target.FillRect(l.bar, gfx::Color::FromRgb({0xD0, 0xD0, 0xD0}));
  target.FillRect({l.bar.left, l.bar.top, l.bar.right, l.bar.top + 1}, black);
  const int mid = (l.button.top + l.button.bottom) / 2;
  if (bar.playing) {
    target.FillRect({l.button.left + 5, mid - 4, l.button.left + 7, mid + 4}, black);
    target.FillRect({l.button.left + 9, mid - 4, l.button.left + 11, mid + 4}, black);
  } else {
    for (int i = 0; i < 5; ++i)
      target.FillRect({l.button.left + 5 + i, mid - 4 + i, l.button.left + 6 + i, mid + 5 - i},
                      black);
  }
  target.FillRect(l.track, gfx::Color::FromRgb({0x80, 0x80, 0x80}));
  target.FillRect(l.thumb, black);
  target.FillRect(l.thumb.Inset(1, 1), white);
  if (FontService* fonts = player_.platform.fonts(); fonts && !l.time.Empty()) {
    std::shared_ptr<Font> font = fonts->GetFont(view().options().button_font, 9, 0);
    gfx::DrawText(target, *font, l.time.left + 2, l.time.bottom - 4, bar.time, black);
  }
  Present();
}

std::string PlayerWindow::ResolveMediaPath(const std::string& stored) {
  return action_host_->ResolvePath(stored);
}

void PlayerWindow::NoteUnknownPacking() {
  const std::string& stack = player_.stack.path();
  if (!window_ || std::find(told_unknown_packing_.begin(), told_unknown_packing_.end(), stack) !=
                      told_unknown_packing_.end())
    return;
  told_unknown_packing_.push_back(stack);
  player_.platform.windows().PostMessage({window_, kTellUnknownPacking, 0, 0, 0});
}

std::string PlayerWindow::FindMediaPathLater(const std::string& stored) {
  if (file_requests_) return action_host_->ResolvePath(stored);  // asks the page, never the user
  const std::string found = action_host_->FindPath(stored);
  return found.empty() ? LocateLater(stored, 0, 0) : found;
}

void PlayerWindow::RepaintCard(const Rect& rect) {
  if (shown_.empty() || !view().current_card()) return;
  gfx::DrawTarget target(shown_);
  view().Repaint(target, rect);
  Present();
}

void PlayerWindow::InvertShown(const Rect& rect) {
  if (shown_.empty() || !view().current_card()) return;
  gfx::DrawTarget target(shown_);
  target.InvertRect(rect);
  Present();
}

void PlayerWindow::SetZoom(int factor) {
  zoom_ = factor;
  pan_ = {};
  hand_mode_ = panning_ = false;
  if (factor == 1) UpdatePointer();
  Present();
}

void PlayerWindow::PanBy(int dx, int dy) {
  Size size = shown_.empty() ? CardSize() : shown_.size();
  int max_x = size.width - size.width / zoom_, max_y = size.height - size.height / zoom_;
  pan_.x = std::clamp(pan_.x + dx, 0, std::max(0, max_x));
  pan_.y = std::clamp(pan_.y + dy, 0, std::max(0, max_y));
  Present();
}

Point PlayerWindow::ToCard(Point p) const {
  // Below the menu bar when it is shown; a captured drag above it gives negative points.
  const int y = p.y - bar_top_;
  return {pan_.x + p.x / zoom_, pan_.y + (y < 0 ? (y - zoom_ + 1) / zoom_ : y / zoom_)};
}

// ---- the message loop ----

void PlayerWindow::RunUntilClosed() {
  Message m;
  while (!closed_ && window_) {
    if (player_.platform.windows().WaitMessage(m, 0xFFFFFFFF)) HandleMessage(m);
  }
}

void PlayerWindow::Pump(uint32_t ms) {
  Clock& clock = player_.platform.clock();
  uint32_t end = clock.Milliseconds() + ms;
  Message m;
  while (!closed_ && window_) {
    uint32_t now = clock.Milliseconds();
    uint32_t left = int32_t(end - now) > 0 ? end - now : 0;
    if (!player_.platform.windows().WaitMessage(m, left)) {
      if (left == 0) break;
      continue;
    }
    HandleMessage(m);
  }
}

int64_t PlayerWindow::HandleMessage(const Message& m) {
  if (!window_ || (m.window != window_ && m.window != 0)) return 0;
  ++depth_;
  int64_t result = 0;
  // With the browse tool every message moves the animations on, as the timer does (a
  // frame is drawn only once its time has come).
  if (m.message != msg::kTimer && view().options().browse_mode) media_->animations().Step();
  if (!OfferedAway(m)) switch (m.message) {
      case msg::kTimer:
        if (m.wParam == kTimerId) OnTimer();
        if (m.wParam == kChainedMoveTimerId) {
          player_.platform.windows().KillTimer(window_, kChainedMoveTimerId);
          RunQueuedMove();
        }
        break;
      case msg::kPaint:
        Present();
        break;
      case msg::kEraseBackground:
        result = 1;
        break;
      case msg::kLButtonDown:
      case msg::kLButtonDblClk:
        OnButtonDown(m);
        break;
      case msg::kLButtonUp:
        OnButtonUp(m);
        break;
      case msg::kMouseMove:
        OnMouseMove(m);
        break;
      case msg::kKeyDown:
        // Space plays or pauses the newest movie that shows a controller, unless a
        // field is taking typed text: then it is the field's space.
        if (m.wParam == vk::kSpace && !field_input_->InTextEntry() && media_->movies().TogglePlay())
          break;
        OnKeyDown(uint32_t(m.wParam));
        break;
      case msg::kKeyUp:
        OnKeyUp(uint32_t(m.wParam));
        break;
      case msg::kChar:
        field_input_->Char(uint8_t(m.wParam));
        break;
      case msg::kKillFocus:
        shift_ = ctrl_ = false;
        field_input_->Focus(false);
        break;
      case msg::kSetFocus:
        field_input_->Focus(true);
        break;
      case msg::kCommand:
        DoCommand(static_cast<MenuCommand>(m.wParam & 0xFFFF));
        break;
      case msg::kDropFiles:
        OnDropFiles();
        break;
      case msg::kClose:
      case msg::kDestroy:
        close_requested_ = true;
        break;
      case kRunPendingMove:
        RunQueuedMove();
        break;
      case kLocateMissingFiles:
        LocateMissingFiles();
        break;
      case kTellUnknownPacking:
        Log("message \"" + std::string(kUnknownPackingTitle) + "\": " + kUnknownPackingText);
        player_.platform.alerts().ShowMessageBox(kUnknownPackingTitle, kUnknownPackingText,
                                                 AlertIcon::kNone);
        break;
      default:
        break;
    }
  --depth_;
  // What the message did (a card change, a wait, a stack read) may have put something
  // else under the pointer, or shown the watch: the pointer follows.
  if (depth_ == 0 && m.message != msg::kMouseMove && m.message != msg::kPaint) UpdatePointer();
  if (depth_ == 0 && close_requested_ && !closed_) {
    // The question runs its own loop, which must not end at once for the close.
    close_requested_ = false;
    if (ConfirmLeavingStack()) {
      close_requested_ = true;
      OnClose();
    } else {
      Log("close cancelled");
    }
  }
  return result;
}

// The menu bar takes input while it is open, and its own keys and clicks; the run box
// takes its own next. Tab and Return go next to keyboard button selection when a stack
// started it, then input goes to the stack's modules, which may take it from the window.
// The timer stays the player's: a module may watch it, but the player's own idle work
// goes on.
bool PlayerWindow::OfferedAway(const Message& m) {
  if (TakenByMenu(m)) return true;
  if (runbox_->TakeMessage(m)) return true;
  if (m.message == msg::kKeyDown && executor_->SelectionKey(uint32_t(m.wParam))) return true;
  const bool consumed = nbas_->WindowMessage(m);
  return consumed && m.message != msg::kTimer;
}

void PlayerWindow::OnTimer() {
  // Held arrows and drags in fields go on, the insertion point blinks.
  field_input_->Tick(ToCard(player_.platform.windows().CursorPosition(window_)));
  runbox_->Tick();
  // Sounds are let go, movies and animations move on; then the button timers and the
  // modules' idle call.
  media_->Idle();
  executor_->TimerTick();
  nbas_->Broadcast(nbamsg::kIdle);
  CheckPrintJob();
}

// While a script waits, sounds are let go, movies and animations move on and the modules
// get their timer message and idle call, as from the loop. The button timers wait for the script's
// end: an action they start could take the card from under it.
void PlayerWindow::ScriptTick(const Message& timer) {
  media_->Idle();
  nbas_->WindowMessage(timer);
  nbas_->Broadcast(nbamsg::kIdle);
}

void PlayerWindow::OnClose() {
  Log("closed");
  RememberWindowSize();
  player_.platform.windows().KillTimer(window_, kTimerId);
  player_.platform.windows().KillTimer(window_, kChainedMoveTimerId);
  questions_->ShowClosing();  // dialogs: the closing picture
  closed_ = true;
}

}  // namespace corvida
