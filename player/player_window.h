// The player window: the player takes a window its host gives it and from then on handles
// every message of it. Timer 1 (55 ms) drives idle work; paint copies the card image,
// magnified by the zoom factor; keys and the mouse drive the zoom-and-pan view, the
// button outlines, the player commands and clicks on cards. Card changes go through the
// navigation and reach the window through this object's transitions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/strings.h"
#include "engine/executor.h"
#include "engine/field_input.h"
#include "engine/fieldtext.h"
#include "engine/media_hooks.h"
#include "engine/mouse.h"
#include "engine/navigation.h"
#include "engine/render.h"
#include "engine/transition.h"
#include "platform/pdf_pages.h"
#include "platform/print_queue.h"
#include "player/nba_extras.h"
#include "player/nba_host.h"
#include "player/player.h"
#include "player/player_action_host.h"
#include "player/player_callbacks.h"
#include "player/player_media.h"
#include "player/player_menus.h"
#include "player/player_scripts.h"
#include "player/runbox.h"
#include "ui/menu_bar.h"

namespace corvida {

// Where the player tells its host what happened: one line per event that matters (card
// changes, actions, commands, dialogs).
class NbaExtras;

class PlayerLog {
 public:
  virtual ~PlayerLog() = default;
  virtual void Write(const std::string& line) = 0;
};

// How a slide show runs: each card stays `seconds`, after the last one it starts again
// when `loop`, from the first card or the one shown.
struct SlideShowSettings {
  static constexpr int kMaxSeconds = 3600;
  int seconds = 5;
  bool loop = false;
  bool from_first = true;
};

// What the player asks the person in front of it, through its host's dialogs.
class PlayerQuestions {
 public:
  virtual ~PlayerQuestions() = default;
  // The text typed into Jump To Card; nothing when cancelled.
  virtual std::optional<std::string> AskJumpText(int card_count) = 0;
  // A stack chosen for Open Stack (host path); nothing when cancelled.
  virtual std::optional<std::string> ChooseStack() = 0;
  // Where Save Stack As writes (host path); nothing when cancelled.
  virtual std::optional<std::string> ChooseSavePath() = 0;
  // Where Export Screen writes the card's picture (host path); nothing when cancelled.
  virtual std::optional<std::string> ChooseExportPath(const std::string& suggested) = 0;
  // Our about box: the program, its version, the libraries and fonts with their licences.
  virtual void ShowAbout() = 0;
  // The slide show dialog over the settings; true when OK stored new ones.
  virtual bool AskSlideShow(SlideShowSettings& settings) = 0;
  virtual void ShowPreferences() = 0;
  // The "FIND_TEXT" dialog over the state's settings; true when OK stored new ones.
  virtual bool AskFind(FindState& state) = 0;
  // The page setup dialog over the settings; true when OK stored new ones.
  virtual bool AskPageSetup(PageSetup& setup) {
    (void)setup;
    return false;
  }
  // Where Print writes the cards as a PDF file (host path); nothing when cancelled.
  virtual std::optional<std::string> ChoosePrintPath(const std::string& suggested) {
    (void)suggested;
    return std::nullopt;
  }
  // The user's name, asked for by a button that marks answers; nothing when cancelled.
  virtual std::optional<std::string> AskUserName(const std::string& current) = 0;
  // Runs while the window closes, before the teardown (the closing picture).
  virtual void ShowClosing() = 0;
  // A text file a script reads (host path); nothing when cancelled.
  virtual std::optional<std::string> ChooseTextFile(const std::string& prompt) {
    (void)prompt;
    return std::nullopt;
  }
  // Where a script's text is written (host path, a new file); nothing when cancelled.
  virtual std::optional<std::string> ChooseTextSavePath() { return std::nullopt; }
  // A line a script reads (READWORD, READLIST), typed under `prompt` in a dialog
  // `width` pixels wide (0: its own width); nothing when cancelled.
  virtual std::optional<std::string> AskLine(const std::string& prompt, int width) {
    (void)prompt, (void)width;
    return std::nullopt;
  }
  // A missing file pointed to in a chooser titled `prompt` listing files with the
  // extension ("" all); nothing when cancelled.
  virtual std::optional<std::string> LocateFile(const std::string& prompt,
                                                const std::string& extension) {
    (void)prompt, (void)extension;
    return std::nullopt;
  }
  // A line typed for the person when a script waits for one in the run box and nobody
  // is there to type (the headless player); nothing leaves the line empty.
  virtual std::optional<std::string> TypedLine() { return std::nullopt; }
  // The Extras manager: the listed Extras, added from the Extras folder and removed.
  virtual void ManageExtras(NbaExtras& extras) { (void)extras; }
};

// Nobody to ask: every question is cancelled. Fakes override what they answer.
class UnansweredQuestions : public PlayerQuestions {
 public:
  std::optional<std::string> AskJumpText(int) override { return std::nullopt; }
  std::optional<std::string> ChooseStack() override { return std::nullopt; }
  std::optional<std::string> ChooseSavePath() override { return std::nullopt; }
  std::optional<std::string> ChooseExportPath(const std::string&) override { return std::nullopt; }
  void ShowAbout() override {}
  bool AskSlideShow(SlideShowSettings&) override { return false; }
  void ShowPreferences() override {}
  bool AskFind(FindState&) override { return false; }
  std::optional<std::string> AskUserName(const std::string&) override { return std::nullopt; }
  void ShowClosing() override {}
};

// Files a downloaded stack names that are not here yet, asked for from where the stack
// came.
class FileRequests : public MissingFiles {
 public:
  ~FileRequests() override = default;
  // The host path of the file a stored reference names when it is here already (put into
  // `slot`); "" when it was asked for (it arrives later) or cannot be.
  virtual std::string RequestFile(const std::string& stored, int slot) = 0;
  // A stack this player opened before (history, marked card, home) whose file is gone:
  // asked for again from where it came. False when it did not come from anywhere.
  virtual bool AskForStackAgain(const std::string& host_path) = 0;
};

class PlayerWindow : public CardScreen,
                     public NavigationHost,
                     public MouseHost,
                     public FieldInputHost {
 public:
  static constexpr uint32_t kTimerId = 1;
  static constexpr uint32_t kTimerMs = 55;
  static constexpr uint32_t kRunPendingMove = msg::kUser + 1;
  // Files the shown card names but that were not found are asked for from this message.
  static constexpr uint32_t kLocateMissingFiles = msg::kUser + 2;
  // A stored picture packed in a way this player does not know is told of from this one.
  static constexpr uint32_t kTellUnknownPacking = msg::kUser + 3;
  // What opening a stack answers when its file is asked for again (no alert is shown).
  static constexpr int kStackAskedAgain = -2;
  // A move asked for by a queued move runs from this timer, one tick later.
  static constexpr uint32_t kChainedMoveTimerId = 2;
  static constexpr uint32_t kChainedMoveMs = 17;

  explicit PlayerWindow(Player& player);
  ~PlayerWindow() override;
  PlayerWindow(const PlayerWindow&) = delete;
  PlayerWindow& operator=(const PlayerWindow&) = delete;

  // Opens a stack into the player (its card appears once attached and shown); 0 on
  // success, else the stack's error code with the alert already shown.
  int OpenStack(const std::string& path);
  // The card size of the open stack (512 x 342 without one).
  Size CardSize() const;
  // Takes the window: starts timer 1. False when `window` is 0.
  bool Attach(WindowId window);
  // Shows the first card of the open stack, running the stack's and card's arrive actions.
  void ShowFirstCard();
  // The window procedure; returns the message's result.
  int64_t HandleMessage(const Message& m);
  // Runs one player command (the "CV" menu's ids).
  void DoCommand(MenuCommand command);
  // Before the stack is closed or left for another: a changed local stack asks whether to
  // save it (Save, Don't Save, Cancel). False when the user cancelled or saving failed.
  bool ConfirmLeavingStack() override;
  // Takes messages until the window is closed.
  void RunUntilClosed();
  // Handles every queued message and those arriving within `ms` of the clock.
  void Pump(uint32_t ms);
  // Stops timers and media and forgets the stack; safe to call twice.
  void Shutdown();

  Navigation& navigation() { return *nav_; }
  ActionExecutor& executor() { return *executor_; }
  PlayerCallbacks& callbacks() { return *callbacks_; }
  PlayerRunBox& runbox() { return *runbox_; }
  PlayerMedia& media() { return *media_; }
  NbaHost& nbas() { return *nbas_; }
  NbaExtras& extras() { return *extras_; }
  MouseHandler& mouse() { return *mouse_; }
  CardView& view() { return nav_->view(); }
  // Where events are written and questions asked; null: nowhere, and all are cancelled.
  void set_log(PlayerLog* log) { log_ = log; }
  void set_questions(PlayerQuestions* questions) {
    questions_ = questions ? questions : &unanswered_;
  }
  PlayerQuestions& questions() { return *questions_; }
  // Writes one line to the log, if there is one.
  void Log(const std::string& line) override {
    if (log_) log_->Write(line);
  }
  WindowId window() const { return window_; }
  bool closed() const { return closed_; }
  int zoom() const { return zoom_; }
  Point pan() const { return pan_; }
  bool hand_mode() const { return hand_mode_; }
  bool outlines_shown() const { return nav_->view().options().outlines_shown; }
  const gfx::Bitmap& shown() const { return shown_; }
  // What the window shows: the card, under the menu bar while that is shown or used.
  // Dialogs are drawn over it.
  const gfx::Bitmap& screen() const { return screen_.empty() ? shown_ : screen_; }

  // The menu bar: above the card while the card asks for it (or the preference says
  // "always"), drawn over the card while it is used from the keyboard otherwise.
  const MenuBar& menu_bar() const { return menu_bar_; }
  bool menu_bar_shown() const { return bar_top_ > 0; }
  // A script started with Alt held shows a hidden menu bar while it runs.
  void ShowMenuBarForScript(bool on);
  // Saving is offered only by the desktop host, for stacks on the local disk.
  void set_saving_allowed(bool on) {
    saving_allowed_ = on;
    nav_->setup().local_stack = on;
  }
  // dialogs: the flag a close or destroy sets inside a nested loop; every nested loop
  // (dialogs too) ends when it is set, and the teardown waits for the outermost handler.
  bool& close_requested() { return close_requested_; }
  bool saving_allowed() const { return saving_allowed_; }
  // The desktop's own window: its size and the stacks opened last are kept in the
  // preferences, and a stack dropped on it opens (player_window_desktop.cpp).
  void set_desktop_window(bool on) { desktop_window_ = on; }
  bool desktop_window() const { return desktop_window_; }
  // Print uses the desktop's print queue when there is one (corvida play; replays only
  // when asked, so that no test prints on paper).
  void set_print_queue(bool on) { print_queue_ = on; }
  bool printing() const { return print_job_ != nullptr; }
  // Waits at most `ms` of real time for the print job handed to the queue to end, and
  // reports it (the replay settles each event's printing so).
  void SettlePrinting(uint32_t ms);
  // The print job handed to the queue is looked at on every tick; it may take the queue
  // at most this long, in real time, before it is ended with an alert.
  static constexpr uint32_t kPrintPatienceMs = 60000;
  // Opens another stack at its first card, a changed stack asking to be saved first;
  // `why` names the way it came in the log ("dropped", "recent").
  void OpenOtherStack(const std::string& path, const std::string& why);
  // Stacks opened from now on are downloaded copies: nothing is written back into them.
  void set_stacks_downloaded(bool on) {
    stacks_downloaded_ = on;
    nav_->setup().downloaded = on;
  }
  // Where files a stack names but that are missing are asked for; null: nowhere.
  void set_file_requests(FileRequests* requests) {
    file_requests_ = requests;
    nav_->setup().missing = requests ? static_cast<MissingFiles*>(requests) : &later_locator_;
  }
  // A bar along the bottom of the window while a stack downloads (over a blank window
  // before the first card); `length` 0: not announced, the bar then only moves.
  void ShowDownloadProgress(uint64_t received, uint64_t length);
  void HideDownloadProgress();

  // Movies: frames shown over the card (objects stay above unless `on_top`), and the
  // card shown again where one was.
  void ShowMovieFrame(const Rect& rect, const MovieFrame& frame, bool on_top);
  void ShowAnimationFrame(Point at, const gfx::Bitmap& frame, bool clipped,
                          const gfx::Bitmap* mask);
  void RepaintCard(const Rect& rect);
  // Inverts a rectangle of the card as shown; inverting it again restores it.
  void InvertShown(const Rect& rect);
  void ShowController(const ControllerView& view);
  // Where a stored media path is on this machine; "" when it is not found.
  std::string ResolveMediaPath(const std::string& stored);
  // The same while a card is composed (a movie's first frame): a local stack's missing
  // file is asked for once the card shows, and the card is composed again.
  std::string FindMediaPathLater(const std::string& stored);
  // A stored picture (a graphic's, an animation's) is packed in a way this player does not
  // know: the message box says so once per stack, after the message being handled.
  void NoteUnknownPacking();

  // Text input on the shown card: fields, Find Text, hyperlinks.
  FieldInput& field_input() { return *field_input_; }
  // Find Text; from the menu, Shift (without Alt) finds the last text again.
  void FindText(bool from_menu);

  // CardScreen: card changes and object redraws reach the window here.
  void PrepareTransition(int transition) override;
  void RunTransition(int transition, int speed, const Rect* target, const gfx::Bitmap& image,
                     const gfx::Palette& palette, bool full_card) override;
  void CopyToScreen(const Rect& rect, const gfx::Bitmap& image,
                    const gfx::Palette& palette) override;

  // NavigationHost: card changes reach the window here.
  void ShowCard(Handle card, int transition, int speed, bool arrival) override;
  void LeavingCard() override;
  void LeaveCard() override;
  void RunCardAction(uint16_t action, int role) override;
  void SetTitle(const std::string& title) override;
  int Alert(int id) override;
  int OpenStackFile(const std::string& path) override;
  void Arrived(Handle card, uint16_t id) override;
  bool SchedulePendingMove() override;

  // MouseHost: the shown card, its fields and the screen.
  CardView* ShownView() override { return &nav_->view(); }
  Handle ShownCard() override { return nav_->current_card(); }
  bool PressField(DisplayItem& item, Point p, const Message& m) override {
    return field_input_->Press(item, p, m);
  }
  void PresentScreen() override { Present(); }
  void RecomposeCard() override { Refresh(); }

  // FieldInputHost: fields drawn on the window, the flash of a link, questions.
  void RepaintField(const Rect& rect) override;
  void PauseForFlash(uint32_t ms) override;
  void ResumeHeldInput() override;
  bool Closing() override { return close_requested_; }
  bool AskFind(FindState& state) override { return questions_->AskFind(state); }

 private:
  void RunQueuedMove();
  void Present();
  // Presents `frame` (a blank window when it has no pixels) with the download bar over it.
  void PresentWithBar(const RgbaView& frame);
  void Refresh();  // recomposes the card with its objects and presents it
  bool OfferedAway(const Message& m);
  void OnTimer();
  // Timer 1's work that goes on while a script waits (WAIT, TOOT, reading a line).
  void ScriptTick(const Message& timer);
  void OnKeyDown(uint32_t key);
  void OnKeyUp(uint32_t key);
  void OnButtonDown(const Message& m);
  void OnButtonUp(const Message& m);
  void OnMouseMove(const Message& m);
  // Shows a pointer (remembered, so that a move asks the system only on a change).
  void ShowPointer(Pointer pointer);
  // The pointer for where it is now over the card: after a card change, a wait, a drag
  // or a pan the thing under a still pointer may be another.
  void UpdatePointer();
  void OnClose();
  void SetZoom(int factor);
  void PanBy(int dx, int dy);
  Point ToCard(Point window_point) const;
  // Actions: the executor and the mouse handler wired to the rest of the player.
  friend class PlayerActionHost;
  friend class PlayerCallbacks;
  friend class PlayerScripts;
  friend class PlayerRunBox;
  void SetUpActions();
  void NestedMessage(const Message& m);
  bool ReadyScreen(const gfx::Bitmap& image, const gfx::Palette& palette);
  std::unique_ptr<BitmapTransitionScreen> MakeScreen();

  // Arrows and Ctrl+Shift+F for the text fields; true when taken.
  bool OnFieldKey(uint32_t key);

  // Help: the user guide in the desktop's browser.
  void OpenGuide();
  // Page Setup and Print: the cards as the pages of a PDF file, sent to the desktop's
  // print queue when it has a default printer, else written to a file the user names
  // (player_window_print.cpp).
  void AskPageSetup();
  void Print();
  bool ComposePages(PdfPages& pdf);
  void CheckPrintJob();
  // The open stack's file name without its extension ("Untitled" without one).
  std::string StackBaseName() const;

  // Export Screen, the web page command and the slide show.
  void ExportScreen();
  void OpenWebPage();
  void SlideShow();
  bool NextSlide(bool loop);  // false at the end

  // The desktop's window size, the stacks opened last and dropped files
  // (player_window_desktop.cpp).
  void RestoreWindowSize();
  void RememberWindowSize();
  void NoteStackOpened(const std::string& path);
  std::vector<MenuEntry> RecentStackEntries();
  void GreyMissingRecentStacks();
  void OnDropFiles();
  // The "Please find ..." question for a file a local stack names that is not found: the
  // host path the user pointed to, or "" (player_window_desktop.cpp).
  std::string LocateFile(const std::string& stored);
  // The same for a file the card being composed names (a graphic's picture, a field's
  // text, a movie's first frame): no question may run while a card is composed, so the
  // file is drawn as missing and asked for from kLocateMissingFiles once the card shows;
  // the object (`type` 0: the whole card) is then drawn again. The answer given before.
  std::string LocateLater(const std::string& stored, uint16_t type, uint16_t id);
  void LocateMissingFiles();
  class LaterLocator : public MissingFiles {
   public:
    explicit LaterLocator(PlayerWindow& window) : window_(window) {}
    std::string AskFor(const std::string& stored, uint16_t type, uint16_t id) override {
      return window_.LocateLater(stored, type, id);
    }

   private:
    PlayerWindow& window_;
  };
  struct FileToLocate {
    std::string stored;
    uint16_t type = 0, id = 0;
    Handle card = 0;  // the card shown when it was missed
  };

  // The menu bar (player_window_menu.cpp).
  void ReadMenuPreference();
  void SetMenus();
  void UpdateMenuBar(Handle card);  // shown or hidden as the card asks
  void SetBarShown(bool shown);
  void UpdateMenus();  // which commands can be chosen now
  void StartMenu(int menu, bool open, bool by_mouse);
  bool TakenByMenu(const Message& m);  // Alt, F10, the bar's own input
  void MenuInput(const Message& m);
  void ComposeScreen(const RgbaView& card);

  Player& player_;
  PlayerLog* log_ = nullptr;
  UnansweredQuestions unanswered_;
  PlayerQuestions* questions_ = &unanswered_;
  std::unique_ptr<Navigation> nav_;
  TransitionState transitions_;
  WindowId window_ = 0;
  gfx::Bitmap shown_;     // what the window shows of the card, card-sized
  gfx::Bitmap incoming_;  // the new card image with its palette
  std::vector<uint8_t> rgba_, zoomed_, screen_rgba_;
  gfx::Bitmap screen_;  // the card under the menu bar; empty while no bar is drawn
  MenuBar menu_bar_;
  enum class BarPreference { kCards, kAlways, kNever } bar_preference_ = BarPreference::kCards;
  int bar_top_ = 0;  // the bar's height while it is shown above the card
  int bar_layout_width_ = -1;
  bool card_wants_bar_ = false;
  bool script_bar_ = false;
  SlideShowSettings slide_show_;
  bool alt_alone_ = false;  // Alt pressed with no other key yet
  // The download bar's filled part in thousandths of its length; -1: no bar.
  int download_permille_ = -1;
  std::vector<uint8_t> barred_;  // the frame with the bar drawn over it
  std::vector<Message> held_;    // input that arrived during a transition
  int zoom_ = 1;
  Point pan_;
  bool hand_mode_ = false;
  bool panning_ = false;
  Point pan_start_;
  bool shift_ = false, ctrl_ = false;
  std::unique_ptr<PlayerMedia> media_;
  std::unique_ptr<PlayerActionHost> action_host_;
  std::unique_ptr<ActionExecutor> executor_;
  std::unique_ptr<PlayerScripts> scripts_;
  std::unique_ptr<MouseHandler> mouse_;
  std::unique_ptr<PlayerCallbacks> callbacks_;
  std::unique_ptr<PlayerRunBox> runbox_;
  Pointer pointer_;
  int depth_ = 0;  // nesting of message handling
  bool running_queued_move_ = false;
  bool close_requested_ = false;
  bool closed_ = false;
  bool saving_allowed_ = false;
  bool stacks_downloaded_ = false;
  bool desktop_window_ = false;
  std::vector<std::string> recent_stacks_;  // as the File menu lists them
  std::vector<MenuEntry> extras_entries_;
  FileRequests* file_requests_ = nullptr;
  LaterLocator later_locator_{*this};
  std::vector<FileToLocate> to_locate_;
  std::vector<std::string> told_unknown_packing_;  // stacks whose box was shown or posted
  bool composing_elsewhere_ = false;
  bool print_queue_ = false;
  std::unique_ptr<PrintJob> print_job_;
  std::string print_destination_;
  int print_pages_ = 0;  // Print draws every card: nothing is asked for then
  std::unique_ptr<FieldInput> field_input_;
  std::unique_ptr<NbaHost> nbas_;
  std::unique_ptr<NbaExtras> extras_;
};

}  // namespace corvida
