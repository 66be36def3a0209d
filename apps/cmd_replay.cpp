// corvida replay: plays a stack on the headless backend from a script of events, printing
// what happens (card changes, alerts, dialogs, actions started), writing screenshots and,
// when asked, everything it played as a WAV file.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "apps/command.h"
#include "apps/replay_script.h"
#include "apps/terminal.h"
#include "apps/url_play.h"
#include "platform/charset.h"
#include "platform/files.h"
#include "platform/gfx/png.h"
#include "platform/headless/headless.h"
#include "platform/net/curl_fetcher.h"
#include "platform/wav_capture.h"
#include "player/player_dialogs.h"
#include "player/player_window.h"
#include "ui/dialog_find.h"

namespace corvida::app {
namespace {

constexpr const char* kFooter =
    "Plays the stack without a display, on a virtual clock, driven by the events in the\n"
    "file EVENTS (one a line), and prints a line for each card change, alert, dialog and\n"
    "action started. After the last event the clock runs on until no card change is\n"
    "waiting (arrive actions that move on), for at most --settle milliseconds. Events:\n"
    "  click X Y | down X Y | up X Y | move X Y   the mouse, in window coordinates\n"
    "  rclick X Y                                 a click of the right button\n"
    "  key NAME       a key pressed and released (Shift+, Ctrl+, Alt+ before the\n"
    "                 name; Alt alone enters the menu bar)\n"
    "  key NAME after MS\n"
    "                 pressed MS into the events that follow (Escape for a running\n"
    "                 script)\n"
    "  hold NAME | release NAME                   a key held down, let go\n"
    "  char C         a typed character\n"
    "  wait MS        lets the clock run\n"
    "  answer N       button N (1-3) of the next alert, or control N of the next\n"
    "                 dialog (1 OK, 2 Cancel)\n"
    "  type TEXT      the text of the next dialog, or the entry to choose in a file\n"
    "                 chooser (sub/name.stk walks into folders); a dialog without a\n"
    "                 typed text or an answer is cancelled\n"
    "  runbox TEXT    TEXT typed into the run box (opened first when closed), then\n"
    "                 Enter; a line a script then reads from the box is the next\n"
    "                 \"type TEXT\"\n"
    "  command ID     a player command, e.g. 204 next card, 356 zoom 2\n"
    "  drop PATH      a file dropped on the window\n"
    "  resize W H     the window resized by its user (kept for the next start)\n"
    "  shot NAME.png  the window as shown, written into DIR\n"
    "  shot NAME.png after MS\n"
    "                 the window as shown MS into the events that follow (a frame in\n"
    "                 the middle of a transition)\n"
    "Names and texts from the stack are printed with control characters escaped (\\n,\n"
    "\\e, \\xHH), so that every printed line is one of the player's.\n"
    "STACK may be an http, https or file URL: the stack and every file it asks for are\n"
    "fetched as a browser would send them to the plug-in (kept in DIR/.cache), and each\n"
    "event waits until what it asked for has arrived.";

// One line of the replay's record; nothing a stack names can break it into more.
void PrintLine(const std::string& utf8) {
  std::printf("%s\n", EscapeControls(utf8).c_str());
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

bool WriteShot(const HeadlessWindowSystem::Frame& frame, const std::string& path) {
  gfx::Bitmap b;
  if (!b.Create(frame.width, frame.height, 32)) return false;
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* src = frame.rgba.data() + size_t(y) * size_t(frame.width) * 4;
    uint8_t* dst = b.Row(y);
    for (int x = 0; x < frame.width; ++x) {
      dst[x * 4] = src[x * 4 + 2];
      dst[x * 4 + 1] = src[x * 4 + 1];
      dst[x * 4 + 2] = src[x * 4];
    }
  }
  std::string error;
  if (gfx::WritePngFile(path, b, nullptr, &error)) return true;
  std::fprintf(stderr, "corvida replay: cannot write %s: %s\n", path.c_str(), error.c_str());
  return false;
}

class Replay : public PlayerLog {
 public:
  Replay(const std::string& out_dir, const std::string& program_dir) : out_dir_(out_dir) {
    Folders f;
    f.temp = SystemTempFolder();
    f.config = out_dir + "/.config";
    f.data = out_dir + "/.data";
    f.program = program_dir.empty() ? "" : std::filesystem::absolute(program_dir).string();
    platform_ = std::make_unique<HeadlessPlatform>(f);
    platform_->responder().SetResponder([this](const AlertRequest& r) {
      int answer = UnansweredChoice(r);
      if (!answers_.empty()) {
        answer = std::min<int>(answers_.front() - 1, int(r.buttons.size()) - 1);
        answers_.pop_front();
      }
      return std::max(answer, 0);
    });
    platform_->responder().SetObserver([](const AlertRequest& r) {
      PrintLine("alert " + std::to_string(r.id) + " \"" + Windows1252ToUtf8(r.text) + "\"");
    });
  }

  void Write(const std::string& line) override { PrintLine(Windows1252ToUtf8(line)); }

  bool Start(const std::string& stack) {
    own_player_ = std::make_unique<Player>(*platform_);
    own_window_ = std::make_unique<PlayerWindow>(*own_player_);
    UsePlayer(*own_player_, *own_window_);
    window_->set_saving_allowed(allow_save_);
    window_->set_desktop_window(true);
    window_->set_print_queue(print_queue_);
    if (window_->OpenStack(stack) != 0 || player_->stack.CardCount() == 0) {
      std::fprintf(stderr, "corvida replay: cannot open the stack %s\n",
                   EscapeControls(stack).c_str());
      return false;
    }
    id_ = platform_->windows().CreateWindow("Corvida", window_->CardSize());
    if (!window_->Attach(id_)) return false;
    window_->ShowFirstCard();
    window_->Pump(0);
    return true;
  }

  // The stack at `url`, played by the plug-in as a browser page would show it.
  bool StartUrl(const std::string& url) {
    const std::string cache = out_dir_ + "/.cache";
    if (!CreateDirectories(out_dir_) || !EnsurePrivateFolder(cache)) {
      std::fprintf(stderr, "corvida replay: cannot make %s\n", EscapeControls(cache).c_str());
      return false;
    }
    fetcher_ = std::make_unique<CurlFetcher>(FetchLimits{}, nullptr);
    browser_ = std::make_unique<plugin::DesktopBrowser>(*platform_, *fetcher_, CanonicalPath(cache),
                                                        this, &progress_);
    id_ = platform_->windows().CreateWindow("Corvida", {512, 342});
    std::string error;
    if (!browser_->Open(url, id_, error)) {
      std::fprintf(stderr, "corvida replay: %s: %s\n", EscapeControls(url).c_str(), error.c_str());
      return false;
    }
    if (!browser_->Settle(kFetchPatienceMs) && browser_->page_error().empty()) {
      std::fprintf(stderr, "corvida replay: %s: no answer\n", EscapeControls(url).c_str());
      return false;
    }
    if (!browser_->page_error().empty()) {
      std::fprintf(stderr, "corvida replay: cannot fetch %s: %s\n", EscapeControls(url).c_str(),
                   browser_->page_error().c_str());
      return false;
    }
    if (!browser_->page_shown()) {
      std::fprintf(stderr, "corvida replay: cannot open the stack %s\n",
                   EscapeControls(url).c_str());
      return false;
    }
    UsePlayer(*browser_->player(), *browser_->window());
    window_->Pump(0);
    return true;
  }

  // A document the last event handed to the print queue is taken (or refused) before
  // the next event: the queue is a real program, waited for in real time.
  void SettlePrinting() {
    if (closed() || !window_->printing()) return;
    window_->SettlePrinting(PlayerWindow::kPrintPatienceMs);
    window_->Pump(0);
  }

  // Files the last event asked for arrive (and what they start runs) before the next.
  void SettleDownloads() {
    if (!browser_ || closed()) return;
    if (!browser_->Settle(kFetchPatienceMs))
      std::fprintf(stderr, "corvida replay: downloads still running after %u ms\n",
                   kFetchPatienceMs);
    window_->Pump(0);
  }

  bool Run(const ReplayEvent& e) {
    HeadlessWindowSystem& w = platform_->headless_windows();
    auto post = [&](uint32_t message, uint64_t wp, int64_t lp) {
      w.PostMessage({id_, message, wp, lp, platform_->clock().Milliseconds()});
    };
    uint64_t keys = (shift_ ? mk::kShift : 0) | (ctrl_ ? mk::kControl : 0);
    int64_t at = MakePointParam(e.x, e.y);
    switch (e.kind) {
      case ReplayKind::kClick:
        w.SetPointer({e.x, e.y});
        post(msg::kLButtonDown, keys | mk::kLButton, at);
        post(msg::kLButtonUp, keys, at);
        break;
      case ReplayKind::kRightClick:
        w.SetPointer({e.x, e.y});
        post(msg::kRButtonDown, keys | mk::kRButton, at);
        post(msg::kRButtonUp, keys, at);
        break;
      case ReplayKind::kDown:
        w.SetPointer({e.x, e.y});
        w.SetMouseButton(true);
        post(msg::kLButtonDown, keys | mk::kLButton, at);
        break;
      case ReplayKind::kUp:
        w.SetPointer({e.x, e.y});
        w.SetMouseButton(false);
        post(msg::kLButtonUp, keys, at);
        break;
      case ReplayKind::kMove:
        w.SetPointer({e.x, e.y});
        post(msg::kMouseMove, keys | (w.MouseButtonDown() ? mk::kLButton : 0), at);
        break;
      case ReplayKind::kKey:
        if (e.after_ms >= 0) return PressLater(e);
        [[fallthrough]];
      case ReplayKind::kHold:
      case ReplayKind::kRelease: {
        bool down = e.kind != ReplayKind::kRelease, up = e.kind != ReplayKind::kHold;
        // While Alt is held keys arrive as system keys, as on the desktop.
        auto press = [&](uint32_t key, bool on) {
          w.SetKey(key, on);
          if (key == vk::kShift) shift_ = on;
          if (key == vk::kControl) ctrl_ = on;
          const bool system = w.KeyDown(vk::kMenu) || key == vk::kMenu;
          post(on ? (system ? msg::kSysKeyDown : msg::kKeyDown)
                  : (system ? msg::kSysKeyUp : msg::kKeyUp),
               key, 0);
        };
        if (down) {
          if (e.shift) press(vk::kShift, true);
          if (e.ctrl) press(vk::kControl, true);
          if (e.alt) press(vk::kMenu, true);
          press(e.key, true);
        }
        if (up) {
          press(e.key, false);
          if (e.alt) press(vk::kMenu, false);
          if (e.ctrl) press(vk::kControl, false);
          if (e.shift) press(vk::kShift, false);
        }
        break;
      }
      case ReplayKind::kChar:
        post(msg::kChar, uint64_t(e.number), 0);
        break;
      case ReplayKind::kWait:
        window_->Pump(uint32_t(e.number));
        return true;
      case ReplayKind::kAnswer:
        answers_.push_back(e.number);
        return true;
      case ReplayKind::kType:
        texts_.push_back(e.text);
        return true;
      case ReplayKind::kCommand:
        post(msg::kCommand, uint64_t(e.number), 0);
        break;
      case ReplayKind::kRunBox:
        // The command opens the box or gives it the keyboard; then the text is typed.
        post(msg::kCommand, uint64_t(MenuCommand::kRunBox), 0);
        for (char c : Utf8ToWindows1252(e.text)) post(msg::kChar, uint8_t(c), 0);
        post(msg::kKeyDown, vk::kReturn, 0);
        post(msg::kKeyUp, vk::kReturn, 0);
        break;
      case ReplayKind::kDrop:
        w.DropFile(id_, e.text);
        break;
      case ReplayKind::kResize:
        // The user dragging the window's edge: the card keeps its size.
        w.SetWindowSize(id_, {e.x, e.y});
        break;
      case ReplayKind::kShot: {
        if (e.after_ms >= 0) return ArmTimedShot(e);
        window_->Pump(0);
        const auto* frame = w.LastFrame(id_);
        if (!frame || frame->width == 0) {
          std::fprintf(stderr, "corvida replay: nothing shown yet for %s\n", e.text.c_str());
          return false;
        }
        if (!WriteShot(*frame, out_dir_ + "/" + e.text)) return false;
        PrintLine("shot " + e.text);
        return true;
      }
    }
    window_->Pump(0);
    return true;
  }

  // A key pressed and released later, while what the next events start may still run.
  bool PressLater(const ReplayEvent& e) {
    HeadlessWindowSystem& w = platform_->headless_windows();
    const uint32_t due = platform_->clock().Milliseconds() + uint32_t(e.after_ms);
    for (uint32_t message : {msg::kKeyDown, msg::kKeyUp})
      w.PostMessageAt({id_, message, e.key, 0, 0}, due);
    return true;
  }

  bool closed() const { return window_->closed(); }
  // The stack may be saved, as the desktop player saves local stacks (before Start).
  void AllowSaving() { allow_save_ = true; }
  // Print uses the desktop's print queue when it has one (before Start).
  void UsePrintQueue() { print_queue_ = true; }
  // Every callback command a script or extension issues is printed as "callback N".
  void TraceCallbacks() { window_->callbacks().set_trace(true); }

  // Everything played from now (the replay's start) goes to a WAV file at `path`.
  bool CaptureAudio(const std::string& path) {
    if (!wav_.Open(path)) {
      std::fprintf(stderr, "corvida replay: cannot write %s\n", EscapeControls(path).c_str());
      return false;
    }
    platform_->recorded_audio().SetCapture(&wav_);
    return true;
  }
  // The capture up to the replay's last moment, with the sizes filled in.
  bool FinishAudio(const std::string& path) {
    platform_->recorded_audio().CatchUp();
    platform_->recorded_audio().SetCapture(nullptr);
    if (wav_.full())
      std::fprintf(stderr, "corvida replay: %s holds only the first %llu seconds\n",
                   EscapeControls(path).c_str(),
                   static_cast<unsigned long long>(wav_.frames() / WavCaptureFile::kRate));
    if (wav_.Finish()) return true;
    std::fprintf(stderr, "corvida replay: cannot write %s\n", EscapeControls(path).c_str());
    return false;
  }

  // Lets the clock run until no card change waits (arrive actions that move on), for at
  // most `limit_ms`: a stack whose cards send each other on for ever still ends.
  void Settle(uint32_t limit_ms) {
    Clock& clock = platform_->clock();
    const uint32_t end = clock.Milliseconds() + limit_ms;
    for (;;) {
      if (closed() || !window_->navigation().move_waiting()) return;
      const uint32_t left = end - clock.Milliseconds();
      if (int32_t(left) <= 0) break;
      window_->Pump(std::min(left, PlayerWindow::kTimerMs));
    }
    std::fprintf(stderr, "corvida replay: card changes still waiting after %u ms; stopped\n",
                 limit_ms);
  }

  // A timed shot keeps the frame shown at its moment: every present up to then replaces
  // the copy, the first one after it (or the end of the script) writes it.
  bool ArmTimedShot(const ReplayEvent& e) {
    window_->Pump(0);
    const auto* frame = platform_->headless_windows().LastFrame(id_);
    timed_ = TimedShot{e.text, platform_->clock().Milliseconds() + uint32_t(e.after_ms),
                       frame ? *frame : HeadlessWindowSystem::Frame{}};
    platform_->headless_windows().SetPresentObserver(
        [this](WindowId window, const HeadlessWindowSystem::Frame& shown) {
          if (!timed_ || window != id_) return;
          if (int32_t(platform_->clock().Milliseconds() - timed_->due) <= 0)
            timed_->frame = shown;
          else
            FinishTimedShot();
        });
    return true;
  }
  // Writes a pending timed shot whose moment has come (or any, at the end).
  bool FinishTimedShot(bool at_end = false) {
    if (!timed_) return true;
    if (!at_end && int32_t(platform_->clock().Milliseconds() - timed_->due) < 0) return true;
    TimedShot shot = std::move(*timed_);
    timed_.reset();
    if (shot.frame.width == 0) {
      std::fprintf(stderr, "corvida replay: nothing shown yet for %s\n", shot.name.c_str());
      return false;
    }
    if (!WriteShot(shot.frame, out_dir_ + "/" + shot.name)) return false;
    PrintLine("shot " + shot.name);
    return true;
  }

 private:
  // A dialog answered from the script: the next typed text goes into its field or picks
  // the entry of its list; the next answer names the control to press (OK when only a
  // text was given).
  int AnswerScripted(Dialog& d) {
    Control* field = nullptr;
    Control* list = nullptr;
    for (const Control& c : d.controls()) {
      if (!c.visible || !c.enabled) continue;
      if (c.kind == ControlKind::kEdit && !field) field = d.Find(c.id);
      if (c.kind == ControlKind::kList && !list) list = d.Find(c.id);
    }
    std::optional<std::string> text = field || list ? TakeText() : std::nullopt;
    int answer = 0;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    } else if (text) {
      answer = d.default_id();
    }
    if (answer == 0) return 0;
    if (text && list && !field) {
      if (!ChooseInList(d, *list, *text)) return 0;
      text.reset();
    }
    if (field && text) d.SetFocus(field->id);
    AnswerDialog(d, text ? &*text : nullptr, answer);
    return d.ended() ? d.result() : 0;
  }

  // Selects the entry a path names, walking into its folders with the default button.
  static bool ChooseInList(Dialog& d, Control& list, const std::string& path) {
    size_t start = 0;
    for (;;) {
      const size_t slash = path.find('/', start);
      const bool last = slash == std::string::npos;
      const std::string part = path.substr(start, last ? std::string::npos : slash - start);
      const std::string entry = last ? part : "[" + part + "]";
      auto it = std::find(list.items.begin(), list.items.end(), entry);
      if (part.empty() || it == list.items.end()) return false;
      list.selected = int(it - list.items.begin());
      if (last) return true;
      AnswerDialog(d, nullptr, d.default_id());
      if (d.ended()) return false;
      start = slash + 1;
    }
  }

  // The player's dialogs answered from the script; "type TEXT" answers Find Text with
  // OK, else it is cancelled.
  class ScriptedDialogs : public PlayerDialogs {
   public:
    explicit ScriptedDialogs(Replay& replay)
        : PlayerDialogs(*replay.player_, *replay.window_), replay_(replay) {}
    bool AskFind(FindState& state) override {
      auto text = replay_.TakeText();
      if (!text) return false;
      DialogHost host;
      host.script = [&](Dialog& d) { return AnswerDialog(d, &*text, kIdOk); };
      return RunFindTextDialog(host, state);
    }
    std::optional<std::string> TypedLine() override {
      auto text = replay_.TakeText();
      if (text) *text = Utf8ToWindows1252(*text);
      return text;
    }

   private:
    Replay& replay_;
  };

  std::optional<std::string> TakeText() {
    if (texts_.empty()) return std::nullopt;
    std::string t = texts_.front();
    texts_.pop_front();
    return t;
  }

  void UsePlayer(Player& player, PlayerWindow& window) {
    player_ = &player;
    window_ = &window;
    window_->set_log(this);
    dialogs_ = std::make_unique<ScriptedDialogs>(*this);
    dialogs_->SetScript([this](Dialog& d, std::string_view) { return AnswerScripted(d); });
  }

  std::string out_dir_;
  // Destroyed in reverse: the dialogs before the player they ask for, the plug-in's
  // player before the fetcher that feeds it.
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<CurlFetcher> fetcher_;
  TerminalProgress progress_{"replay"};
  std::unique_ptr<plugin::DesktopBrowser> browser_;
  std::unique_ptr<Player> own_player_;
  std::unique_ptr<PlayerWindow> own_window_;
  Player* player_ = nullptr;
  PlayerWindow* window_ = nullptr;
  std::unique_ptr<PlayerDialogs> dialogs_;
  WindowId id_ = 0;
  std::deque<int> answers_;
  std::deque<std::string> texts_;
  bool shift_ = false, ctrl_ = false;
  bool allow_save_ = false;
  bool print_queue_ = false;
  WavCaptureFile wav_;
  struct TimedShot {
    std::string name;
    uint32_t due = 0;
    HeadlessWindowSystem::Frame frame;
  };
  std::optional<TimedShot> timed_;
};

class ReplayCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", stack_, "the stack to play (a file, or an http, https or file URL)")
        ->required();
    app.add_option("EVENTS", events_, "the script of events")->required();
    app.add_option("-o", out_dir_, "the folder for screenshots")->required()->type_name("DIR");
    app.add_option("--audio", audio_,
                   "write everything played, from the start, as a WAV file (16-bit stereo, "
                   "44,100 Hz)")
        ->type_name("OUT.wav");
    app.add_option("--settle", settle_ms_,
                   "after the last event, wait at most MS of virtual time for card changes")
        ->check(CLI::Range(0, 86400000))
        ->type_name("MS")
        ->capture_default_str();
    app.add_option("--program-folder", program_dir_,
                   "play as if the player were installed there: modules in its NBAs and Extras "
                   "folders are found (after those of DIR/.data)")
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    app.add_flag("--allow-save", allow_save_,
                 "let the stack be saved as the desktop player does (Save Stack, and the "
                 "question before a changed stack is closed)");
    app.add_flag("--print-queue", print_queue_,
                 "let Print send the cards to the desktop's print queue (lp) when it has a "
                 "default printer, as corvida play does; without it Print writes a PDF file");
    app.add_flag("--trace-callbacks", trace_callbacks_,
                 "print each callback command scripts issue: callback N and its non-zero "
                 "parameters");
    app.footer(kFooter);
  }

  int Run() override {
    const bool from_url = IsStackUrlArgument(stack_);
    if ((!from_url && !CheckReadable("replay", stack_)) || !CheckReadable("replay", events_))
      return kExitFailure;
    std::string text, error;
    std::vector<ReplayEvent> script;
    if (!ReadFile(events_, text)) {
      std::fprintf(stderr, "corvida replay: cannot read %s\n", events_.c_str());
      return kExitFailure;
    }
    if (!ParseReplayScript(text, script, error)) {
      std::fprintf(stderr, "corvida replay: %s: %s\n", events_.c_str(), error.c_str());
      return kExitUsage;
    }
    std::error_code ec;
    std::filesystem::create_directories(out_dir_, ec);
    Replay replay(out_dir_, program_dir_);
    if (!audio_.empty() && !replay.CaptureAudio(audio_)) return kExitFailure;
    if (allow_save_) replay.AllowSaving();
    if (print_queue_) replay.UsePrintQueue();
    if (!(from_url ? replay.StartUrl(stack_) : replay.Start(stack_))) return kExitFailure;
    if (trace_callbacks_) replay.TraceCallbacks();
    for (const ReplayEvent& e : script) {
      if (replay.closed()) break;
      if (!replay.Run(e) || !replay.FinishTimedShot()) return kExitFailure;
      replay.SettleDownloads();
      replay.SettlePrinting();
    }
    replay.Settle(settle_ms_);
    if (!replay.FinishTimedShot(true)) return kExitFailure;
    if (!audio_.empty() && !replay.FinishAudio(audio_)) return kExitFailure;
    std::fflush(stdout);
    return kExitOk;
  }

 private:
  std::string stack_, events_, out_dir_, audio_, program_dir_;
  uint32_t settle_ms_ = 10000;
  bool trace_callbacks_ = false;
  bool allow_save_ = false;
  bool print_queue_ = false;
};

CommandRegistration register_replay(
    Entry<ReplayCommand>("replay", "play a stack without a display from a script of events", 55));

}  // namespace
}  // namespace corvida::app
