// The action executor against a fake set of media hooks and player hooks.
#include "engine/executor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "stackfile/actions.h"
#include "stackfile/records_access.h"
#include "stackfile/resources.h"
#include "tests/engine/card_fixture.h"

namespace corvida {
namespace {

using Events = std::vector<std::string>;

// Media hooks that note every request and can be told to stay busy or to run code.
struct FakeMedia : MediaHooks {
  Events& events;
  int busy_passes = 0;  // passes the media wait sees as busy
  bool starts = false;  // movies and animations report they play
  std::function<void()> on_nba, on_script, on_step;
  explicit FakeMedia(Events& e) : events(e) {}

  void StopSound() override { events.push_back("stop sound"); }
  void PlayStackSound(const StackSoundRequest& r) override {
    events.push_back("stack sound " + std::to_string(r.sound_id));
  }
  void PlaySoundFile(const FileRequest& r) override { events.push_back("sound " + r.stored); }
  bool StartMovie(uint16_t, const FileRequest& r) override {
    events.push_back("movie " + r.stored);
    return starts;
  }
  bool StartAnimation(const AnimationRequest& r) override {
    events.push_back("animation " + std::to_string(r.data.size()));
    return starts;
  }
  bool CallNba(const NbaRequest& r) override {
    events.push_back("nba " + std::to_string(r.nba_id));
    if (on_nba) on_nba();
    return true;
  }
  void RunScript(const ScriptRequest& r) override {
    events.push_back("script " + r.text);
    if (on_script) on_script();
  }
  void Step(uint32_t) override {
    events.push_back("step");
    if (on_step) on_step();
  }
  bool Busy(uint16_t, bool, bool, bool) override { return busy_passes-- > 0; }
  void StopAnimationsAndMovies() override { events.push_back("stop media"); }
};

RecordBytes Entry(uint16_t code, const std::string& data = "") {
  bool pad = data.size() % 2 != 0;
  RecordBytes e = NewActionEntry(code, action::kEntryData + data.size() + (pad ? 1 : 0));
  std::copy(data.begin(), data.end(), e.begin() + action::kEntryData);
  if (pad) Put16(&e[action::kEntryFlags], object::kFlagPadByte);
  return e;
}

RecordBytes Record(uint16_t id, uint16_t flags, const std::vector<RecordBytes>& entries,
                   int16_t destination = 0, const std::string& name = "") {
  RecordBytes r = NewObject(object::kButton, id, {10, 20, 30, 60}, 0, kButtonRecordSize);
  Put16(&r[button::kActionFlags], flags);
  Put16(&r[button::kDestination], uint16_t(destination));
  Put16(&r[button::kTransition], 7);
  Put16(&r[button::kSpeed], 16);
  Put16(&r[button::kButtonColor], 3);
  PutCountedName(&r[button::kName], button::kNameField, name);
  for (const RecordBytes& e : entries) AppendToRecord(r, e);
  return r;
}

class Executor : public testing::CardFixture {
 protected:
  Executor() {
    windows.CreateWindow("t", {kWidth, kHeight});
    hooks.current_card = [this] { return card; };
    hooks.browse_mode = [this] { return browse; };
    hooks.go_to_destination = [this](int d, int t, int s) {
      events.push_back("go " + std::to_string(d) + " " + std::to_string(t) + " " +
                       std::to_string(s));
    };
    hooks.go_to_stack = [this](const std::string& path, uint16_t id, int, int) {
      events.push_back("stack " + path + " " + std::to_string(id));
    };
    hooks.alert = [this](int id) {
      events.push_back("alert " + std::to_string(id));
      return 1;
    };
    hooks.resolve_path = [](const std::string& stored) {
      return stored.find("missing") == std::string::npos ? "/found/" + stored : "";
    };
    hooks.confirm_launch = [this](const std::string& program, const std::string& document) {
      events.push_back("confirm " + program + " " + document);
      return agree;
    };
    hooks.launch = [this](const std::string& path) {
      events.push_back("launch " + path);
      return true;
    };
    hooks.close_player = [this] { events.push_back("close"); };
    hooks.set_origin = [this](Point p, int colour) {
      events.push_back("origin " + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
                       std::to_string(colour));
    };
    hooks.toggle_highlight = [this](uint16_t id) {
      events.push_back("highlight " + std::to_string(id));
    };
    hooks.nested_message = [this](const Message& m) {
      events.push_back("nested " + std::to_string(m.message));
    };
  }
  ActionExecutor& Make() {
    executor = std::make_unique<ActionExecutor>(stack, handles, windows, clock, media, hooks);
    executor->set_window(1);
    return *executor;
  }
  // Events without the origin line every record starts with.
  Events Steps() const {
    Events out;
    for (const auto& e : events)
      if (e.rfind("origin", 0) != 0) out.push_back(e);
    return out;
  }

  Events events;
  VirtualClock clock;
  HeadlessWindowSystem windows{clock};
  FakeMedia media{events};
  ExecutorHooks hooks;
  std::unique_ptr<ActionExecutor> executor;
  Handle card = 0;
  bool browse = true;
  bool agree = false;
};

TEST_F(Executor, StepsRunInTheirFixedOrderAndTheMoveComesLast) {
  RecordBytes stack_sound = Entry(action::kEntryStackSound);
  Put16(&stack_sound[action::kEntryResourceId], 7);
  RecordBytes nba = Entry(action::kEntryNba, "xy");
  Put16(&nba[action::kEntryResourceId], 30);
  uint16_t flags = action::kGo | action::kScript | action::kNba | action::kAnimation |
                   action::kMovie | action::kSoundFile | action::kStackSound;
  // Entries are stored out of order: the executor's order is its own.
  card = AddCard(
      1, card::kKindCard, 0,
      {Record(5, flags,
              {Entry(action::kEntryScript, "print 1"), nba, Entry(action::kEntryMovie, "clip.mov"),
               stack_sound, Entry(action::kEntryAnimation, "abcd"),
               Entry(action::kEntrySoundFile, "boing.wav")},
              -1, "All")});
  ActionExecutor& ex = Make();
  ex.RunButton(5, true);
  EXPECT_EQ(events.front(), "origin 20,40 2");
  EXPECT_EQ(Steps(), (Events{"stop sound", "stack sound 7", "sound boing.wav", "movie clip.mov",
                             "animation 4", "nba 30", "script print 1", "step", "stop media",
                             "go -1 7 16"}));
  EXPECT_EQ(ex.last_button_name(), "All");
  EXPECT_FALSE(ex.button_running());
}

TEST_F(Executor, GoingSomewhereNeverLaunchesAndAnOnlyStopEntryOnlyStops) {
  RecordBytes stop_only = Entry(action::kEntryStackSound);
  Put16(&stop_only[action::kEntryResourceId], 7);
  Put16(&stop_only[action::kEntrySoundFlags], 0x8000);
  card = AddCard(1, card::kKindCard, 0,
                 {Record(5, action::kGo | action::kLaunch | action::kStackSound,
                         {Entry(action::kEntryLaunch, "doc.txt"), stop_only}, 3)});
  Make().RunButton(5, true);
  EXPECT_EQ(Steps(), (Events{"stop sound", "stop media", "go 3 7 16"}));
}

TEST_F(Executor, ARunThatRemovesItsButtonStopsTheRemainingSteps) {
  card = AddCard(1, card::kKindCard, 0,
                 {Record(5, action::kNba | action::kScript | action::kGo,
                         {Entry(action::kEntryNba), Entry(action::kEntryScript, "x")}, -1)});
  media.on_nba = [this] {
    // The module renumbers the button: the id no longer finds it.
    ObjectRef obj = FindObjectById(stack, handles, card, object::kButton, 5);
    Put16(handles.Lock(card) + obj.offset + object::kId, 99);
    handles.Unlock(card);
  };
  Make().RunButton(5, true);
  EXPECT_EQ(Steps(), (Events{"nba 0"}));
}

TEST_F(Executor, ActionBlocksRunInBrowseModeAndStopWhenTheirBlockChanges) {
  card = AddCard(1, card::kKindCard, 0);
  AddResource(restype::kActn, 20,
              Record(20, action::kScript | action::kGo, {Entry(action::kEntryScript, "y")}, 1));
  ActionExecutor& ex = Make();
  EXPECT_EQ(ex.RunActionRecord(0, true, false, "x"), 0);
  EXPECT_EQ(ex.RunActionRecord(21, true, false, "x"), 1);  // an id without a block counts
  EXPECT_EQ(ex.RunEventAction(20, false, false, 2030), 1);
  EXPECT_EQ(Steps(), (Events{"script y", "stop media", "go 1 7 16"}));

  events.clear();
  media.on_script = [this] {
    Handle block = stack.resources().Get(restype::kActn, 20);
    handles.SetSize(block, handles.GetSize(block) + 2);
  };
  ex.RunActionRecord(20, true, false, "x");
  EXPECT_EQ(Steps(), (Events{"script y"}));

  events.clear();
  browse = false;
  EXPECT_EQ(ex.RunActionRecord(20, true, false, "x"), 0);
  EXPECT_TRUE(events.empty());
}

TEST_F(Executor, NestedRunsAreCapped) {
  card = AddCard(1, card::kKindCard, 0);
  AddResource(restype::kActn, 20, Record(20, action::kScript, {Entry(action::kEntryScript, "z")}));
  int runs = 0;
  media.on_script = [&] {
    ++runs;
    executor->RunActionRecord(20, false, false, "again");
  };
  Make().RunActionRecord(20, false, false, "first");
  EXPECT_EQ(runs, ActionExecutor::kDepthLimit);
}

TEST_F(Executor, AnswerMarksStoreOneRecordPerCard) {
  RecordBytes right = Record(5, 0, {}, 0, "Yes");
  Put16(&right[button::kAnswer], 1);
  RecordBytes wrong = Record(6, 0, {}, 0, "No");
  Put16(&wrong[button::kAnswer], 2);
  card = AddCard(1, card::kKindCard, 0, {right, wrong});
  Handle second = AddCard(2, card::kKindCard, 0, {Record(7, 0, {})});
  ActionExecutor& ex = Make();
  ex.RunButton(5, true);
  Score score = CountAnswers(stack, handles);
  EXPECT_EQ(score.answered, 1);
  EXPECT_EQ(score.right, 1);
  ex.RunButton(6, true);  // replaces the card's answer
  score = CountAnswers(stack, handles);
  EXPECT_EQ(score.answered, 1);
  EXPECT_EQ(score.right, 0);
  card = second;
  ex.RunButton(5, true);  // found on the other card, recorded on the shown one
  EXPECT_EQ(CountAnswers(stack, handles).answered, 2);
  DisposeAnswers(stack, handles);
  EXPECT_EQ(CountAnswers(stack, handles).answered, 0);
}

std::string LaunchData(const std::string& document, const std::string& program,
                       uint32_t* first_length) {
  std::string first = document + '\0';
  if (first.size() % 2) first += '\0';
  first += std::string(6, '\0') + '\0';
  *first_length = uint32_t(first.size());
  return first + program + '\0';
}

TEST_F(Executor, LaunchingAsksEveryTimeAndOnlyLaunchesWhatWasAgreed) {
  uint32_t first = 0;
  RecordBytes entry =
      Entry(action::kEntryLaunch, LaunchData("Disk:notes.txt", "Disk:edit.exe", &first));
  Put32(&entry[18], first);
  Put16(&entry[action::kEntryResourceId], 0x4000);  // close the player afterwards
  RecordBytes missing = Entry(action::kEntryLaunch, LaunchData("Disk:missing.txt", "", &first));
  Put32(&missing[18], first);
  card = AddCard(1, card::kKindCard, 0,
                 {Record(5, action::kLaunch, {entry}), Record(6, action::kLaunch, {missing})});
  ActionExecutor& ex = Make();
  ex.RunButton(5, true);
  EXPECT_EQ(Steps(), (Events{"stop media", "confirm edit.exe notes.txt"}));

  events.clear();
  agree = true;
  ex.RunButton(5, true);
  EXPECT_EQ(Steps(), (Events{"stop media", "confirm edit.exe notes.txt",
                             "launch /found/Disk:notes.txt", "close"}));

  events.clear();
  ex.RunButton(6, true);
  EXPECT_EQ(Steps(), (Events{"stop media", "confirm  missing.txt", "alert 2344"}));
}

TEST_F(Executor, TheMediaWaitEndsWhenMediaFinishOrOnAClickAndDropsInput) {
  media.starts = true;
  card =
      AddCard(1, card::kKindCard, 0,
              {Record(5, action::kMovie | action::kGo, {Entry(action::kEntryMovie, "m.mov")}, 1)});
  ActionExecutor& ex = Make();
  media.busy_passes = 2;
  windows.PostMessage({1, msg::kPaint, 0, 0, 0});
  windows.PostMessage({1, msg::kChar, 'a', 0, 0});
  windows.PostMessage({1, msg::kUser + 1, 0, 0, 0});  // the player's own: a queued move
  ex.RunButton(5, true);
  EXPECT_EQ(Steps(), (Events{"movie m.mov", "nested 15", "step", "step", "step", "stop media",
                             "go 1 7 16"}));
  // The typed character was dropped; the player's own message is kept for later.
  Message kept;
  ASSERT_TRUE(windows.PeekMessage(kept, 0, 0, 0xFFFF, true));
  EXPECT_EQ(kept.message, msg::kUser + 1);
  EXPECT_EQ(windows.QueuedMessages(), 0u);

  // Busy for ever: a click ends the wait, and goes nowhere else.
  events.clear();
  media.busy_passes = 1 << 30;
  windows.PostMessage({1, msg::kLButtonDown, 0, 0, 0});
  ex.RunButton(5, true);
  EXPECT_EQ(Steps(), (Events{"movie m.mov", "step", "stop media", "go 1 7 16"}));
  EXPECT_EQ(windows.QueuedMessages(), 0u);

  // What ran during the wait removed the button: it goes nowhere.
  events.clear();
  media.busy_passes = 1;
  media.on_step = [this] {
    ObjectRef obj = FindObjectById(stack, handles, card, object::kButton, 5);
    if (obj) Put16(handles.Lock(card) + obj.offset + object::kId, 99), handles.Unlock(card);
  };
  ex.RunButton(5, true);
  EXPECT_EQ(Steps(), (Events{"movie m.mov", "step", "step", "stop media"}));
}

TEST_F(Executor, TheDiscardClicksOptionEmptiesPendingMouseButtons) {
  card = AddCard(1, card::kKindCard, 0, {Record(5, 0, {})});
  stack.SetHeader16(header::kFlags, header::kFlagDiscardClicks);
  ActionExecutor& ex = Make();
  for (uint32_t m :
       {msg::kLButtonDown, msg::kLButtonUp, msg::kRButtonDown, msg::kKeyDown, msg::kLButtonDblClk})
    windows.PostMessage({1, m, 0, 0, 0});
  ex.RunButton(5, true);
  Message left;
  ASSERT_TRUE(windows.PeekMessage(left, 0, 0, 0xFFFF, true));
  EXPECT_EQ(left.message, msg::kKeyDown);
  EXPECT_FALSE(windows.PeekMessage(left, 0, 0, 0xFFFF, true));
}

TEST_F(Executor, KeyboardSelectionMovesOverListedVisibleButtonsAndRunsOnReturn) {
  RecordBytes selection = Entry(action::kEntryNba, "  Alpha \r\r Beta\rGamma\rNone");
  Put16(&selection[action::kEntryResourceId], ActionExecutor::kKeyboardSelectionNba);
  RecordBytes beta = Record(3, 0, {}, 0, "Beta");
  Put16(&beta[object::kFlags], object::kFlagHidden);
  card = AddCard(1, card::kKindCard, 0,
                 {Record(1, action::kNba, {selection}, 0, "Start"), Record(2, 0, {}, 0, "Alpha"),
                  beta, Record(4, action::kGo, {}, 9, "Gamma")});
  ActionExecutor& ex = Make();
  ex.RunButton(1, true);
  EXPECT_TRUE(ex.selection_active());
  EXPECT_EQ(ex.selected_name(), "Alpha");
  events.clear();
  EXPECT_TRUE(ex.SelectionKey(vk::kTab));
  EXPECT_EQ(ex.selected_name(), "Gamma");  // Beta is hidden
  EXPECT_TRUE(ex.SelectionKey(vk::kTab));
  EXPECT_EQ(ex.selected_name(), "Alpha");  // round again past the end
  EXPECT_EQ(events, (Events{"highlight 2", "highlight 4", "highlight 4", "highlight 2"}));
  EXPECT_FALSE(ex.SelectionKey('A'));
  EXPECT_TRUE(ex.SelectionKey(vk::kTab));
  events.clear();
  EXPECT_TRUE(ex.SelectionKey(vk::kReturn));
  EXPECT_EQ(Steps(), (Events{"highlight 4", "stop media", "go 9 7 16"}));
  ex.EndSelection();
  EXPECT_FALSE(ex.SelectionKey(vk::kTab));
}

TEST_F(Executor, TimersRunButtonsAndBlocksFromTheIdleTick) {
  RecordBytes once = Record(5, action::kGo, {}, 2);
  Put16(&once[button::kTimerMode], 1);
  card = AddCard(1, card::kKindCard, 0, {once});
  AddResource(restype::kActn, 20, Record(20, action::kScript, {Entry(action::kEntryScript, "t")}));
  Put16(handles.Lock(card) + card::kClickAction, 20);
  handles.Unlock(card);
  RecordBytes repeat = Record(20, action::kScript, {Entry(action::kEntryScript, "t")});
  Put16(&repeat[button::kTimerCount], 2);
  Put16(&repeat[button::kTimerMode], 2);
  stack.resources().Remove(restype::kActn, 20);
  AddResource(restype::kActn, 20, repeat);
  stack.SetHeader16(header::kAutoTimers, 1);
  ActionExecutor& ex = Make();
  ex.ArmTimers(card);
  Events fired;
  for (int tick = 1; tick <= 4; ++tick) {
    clock.Advance(61 * 17);
    events.clear();
    ex.TimerTick();
    for (const auto& e : Steps())
      if (e != "stop media") fired.push_back(std::to_string(tick) + " " + e);
  }
  EXPECT_EQ(fired, (Events{"1 go 2 7 16", "2 script t", "4 script t"}));
}

}  // namespace
}  // namespace corvida
