// The action executor against fake media and a recording action host.
#include "engine/executor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "stackfile/actions.h"
#include "stackfile/records_access.h"
#include "stackfile/records_build.h"
#include "stackfile/resources.h"
#include "tests/engine/card_fixture.h"
#include "tests/engine/recording_action_host.h"

namespace corvida::executor_test {
namespace {

using Events = std::vector<std::string>;

// Media hooks that note every request and can be told to stay busy or to run code.
struct FakeMedia : MediaHooks {
  Events& events;
  int busy_passes = 0;  // passes the media wait sees as busy
  bool starts = false;  // sounds, movies and animations report they play
  std::function<void()> on_nba, on_script, on_step;
  // The last request of each kind, field by field.
  StackSoundRequest stack_sound;
  FileRequest sound_file, movie;
  Rect animation_rect, script_rect;
  NbaRequest nba;
  explicit FakeMedia(Events& e) : events(e) {}

  void StopSound() override { events.push_back("stop sound"); }
  bool PlayStackSound(const StackSoundRequest& r) override {
    events.push_back("stack sound " + std::to_string(r.sound_id));
    stack_sound = r;
    return starts;
  }
  bool PlaySoundFile(const FileRequest& r) override {
    events.push_back("sound " + r.stored);
    sound_file = r;
    return starts;
  }
  bool StartMovie(uint16_t, const FileRequest& r) override {
    events.push_back("movie " + r.stored);
    movie = r;
    return starts;
  }
  bool StartAnimation(const AnimationRequest& r) override {
    events.push_back("animation " + std::to_string(r.data.size()));
    animation_rect = r.rect;
    return starts;
  }
  bool CallNba(const NbaRequest& r) override {
    events.push_back("nba " + std::to_string(r.nba_id));
    nba = r;
    nba.data = {};  // the entry's bytes do not outlive the call
    if (on_nba) on_nba();
    return true;
  }
  void RunScript(const ScriptRequest& r) override {
    events.push_back("script " + r.text);
    script_rect = r.rect;
    if (on_script) on_script();
  }
  void Step(uint32_t) override {
    events.push_back("step");
    if (on_step) on_step();
  }
  bool Busy(uint16_t, const StartedMedia& started) override {
    waited_for = started;
    return busy_passes-- > 0;
  }
  StartedMedia waited_for;  // what the last media wait pass was asked about
  void StopAnimationsAndMovies() override { events.push_back("stop media"); }
};

RecordBytes Entry(uint16_t code, const std::string& data = "") {
  bool pad = data.size() % 2 != 0;
  RecordBytes e = NewActionEntry(code, action::kEntryData + data.size() + (pad ? 1 : 0));
  std::copy(data.begin(), data.end(), e.begin() + action::kEntryData);
  if (pad) Put16(&e[action::kEntryFlags], object::kFlagPadByte);
  return e;
}

// A rectangle held left, top, right, bottom at `at` of an entry.
void PutRect(RecordBytes& entry, size_t at, Rect r) {
  for (int v : {r.left, r.top, r.right, r.bottom}) Put16(&entry[at], uint16_t(v)), at += 2;
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
  Executor() { windows.CreateWindow("t", {kWidth, kHeight}); }
  ActionExecutor& Make() {
    executor = std::make_unique<ActionExecutor>(stack, handles, windows, clock, media, host);
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
  testing::RecordingActionHost host{events};
  Handle& card = host.card;
  std::unique_ptr<ActionExecutor> executor;
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
  ex.RunButton(5);
  EXPECT_EQ(events.front(), "origin 20,40 2");
  EXPECT_EQ(Steps(), (Events{"stop sound", "stack sound 7", "sound boing.wav", "movie clip.mov",
                             "animation 4", "nba 30", "script print 1", "step", "stop media",
                             "go -1 7 16"}));
  EXPECT_EQ(ex.last_button_name(), "All");
  EXPECT_FALSE(ex.button_running());
}

TEST_F(Executor, EachStepHandsTheFieldsOfItsEntryOn) {
  RecordBytes sound = Entry(action::kEntryStackSound);
  Put16(&sound[action::kEntryResourceId], 7);
  Put16(&sound[action::kEntryPlayParam], 11);
  Put16(&sound[action::kEntrySoundFlags], 2);
  RecordBytes file = Entry(action::kEntrySoundFile, "Disk:boing.wav");
  Put16(&file[action::kEntryPlayParam], 12);
  Put16(&file[action::kEntrySoundFlags], 3);
  RecordBytes movie = Entry(action::kEntryMovie, "Disk:clip.mov");
  PutRect(movie, action::kEntryRect, {1, 2, 3, 4});
  RecordBytes animation = Entry(action::kEntryAnimation, "Sprt");
  PutRect(animation, action::kEntryRect, {5, 6, 7, 8});
  RecordBytes script = Entry(action::kEntryScript, "fd 10");
  PutRect(script, action::kEntryRect, {9, 10, 11, 12});
  RecordBytes nba = Entry(action::kEntryNba, "p");
  Put16(&nba[action::kEntryResourceId], 30);
  RecordBytes module(nba::kModuleName + nba::kModuleNameField, 0);
  std::copy_n("Clock", 5, &module[nba::kModuleName]);  // zero-terminated, as stored
  AddResource(restype::kNBAs, 30, module);
  stack.resources().Add(HandleFromBytes(handles, RecordBytes(16, 0)), restype::kSnd, 7, "Boing");
  uint16_t flags = action::kStackSound | action::kSoundFile | action::kMovie | action::kAnimation |
                   action::kScript | action::kNba;
  card = AddCard(1, card::kKindCard, 0,
                 {Record(5, flags, {sound, file, movie, animation, script, nba})});
  Make().RunButton(5);

  EXPECT_EQ(media.stack_sound.sound_id, 7);
  EXPECT_EQ(media.stack_sound.name, "Boing");
  EXPECT_EQ(media.stack_sound.param, 11);
  EXPECT_EQ(media.stack_sound.flags, 2);
  EXPECT_EQ(media.sound_file.host_path, "/found/Disk:boing.wav");
  EXPECT_EQ(media.sound_file.param, 12);
  EXPECT_EQ(media.sound_file.flags, 3);
  EXPECT_EQ(media.movie.host_path, "/found/Disk:clip.mov");
  EXPECT_EQ(media.movie.rect, (Rect{1, 2, 3, 4}));
  EXPECT_EQ(media.animation_rect, (Rect{5, 6, 7, 8}));
  EXPECT_EQ(media.script_rect, (Rect{9, 10, 11, 12}));
  EXPECT_EQ(media.nba.module, "Clock");
  EXPECT_EQ(media.nba.record_id, 5);
}

TEST_F(Executor, AnotherStackOpensAtItsCardOrTheCardIsShownAgainWhenItIsMissing) {
  struct Case {
    int16_t destination;
    std::string stored;
    Events steps;
    Events log;
  };
  const Case cases[] = {
      {-6, "Disk:other.stk", {"stack /found/Disk:other.stk 65530"}, {}},
      {3, "Disk:other.stk", {"stack /found/Disk:other.stk 3"}, {}},
      {3, "Disk:missing.stk", {"redisplay"}, {"missing \"missing.stk\""}},
  };
  ActionExecutor& ex = Make();
  uint16_t id = 1;
  for (const Case& c : cases) {
    card = AddCard(
        id, card::kKindCard, 0,
        {Record(id, action::kGo, {Entry(action::kEntryOtherStack, c.stored)}, c.destination)});
    events.clear();
    host.log.clear();
    ex.RunButton(id++);
    Events steps = c.steps;
    steps.insert(steps.begin(), "stop media");
    EXPECT_EQ(Steps(), steps) << c.stored << " " << c.destination;
    Events log = c.log;
    log.insert(log.begin(), host.log.front());  // the button line
    EXPECT_EQ(host.log, log);
  }
}

TEST_F(Executor, AskingForTheUserNameKeepsTheOldNameWhenCancelled) {
  RecordBytes ask = Record(5, 0, {});
  Put16(&ask[button::kAnswer], 3);
  card = AddCard(1, card::kKindCard, 0, {ask});
  ActionExecutor& ex = Make();
  host.typed_name = "Ada";
  ex.RunButton(5);
  EXPECT_EQ(ex.user_name(), "Ada");
  host.typed_name.reset();
  ex.RunButton(5);
  EXPECT_EQ(ex.user_name(), "Ada");
  EXPECT_EQ(Steps(), (Events{"ask name", "ask name"}));
  EXPECT_EQ(CountAnswers(stack, handles).answered, 0);
}

TEST_F(Executor, GoingSomewhereNeverLaunchesAndAnOnlyStopEntryOnlyStops) {
  RecordBytes stop_only = Entry(action::kEntryStackSound);
  Put16(&stop_only[action::kEntryResourceId], 7);
  Put16(&stop_only[action::kEntrySoundFlags], action::kSoundStopOnly);
  card = AddCard(1, card::kKindCard, 0,
                 {Record(5, action::kGo | action::kLaunch | action::kStackSound,
                         {Entry(action::kEntryLaunch, "doc.txt"), stop_only}, 3)});
  Make().RunButton(5);
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
  Make().RunButton(5);
  EXPECT_EQ(Steps(), (Events{"nba 0"}));
}

TEST_F(Executor, ActionBlocksRunInBrowseModeAndStopWhenTheirBlockChanges) {
  card = AddCard(1, card::kKindCard, 0);
  AddResource(restype::kActn, 20,
              Record(20, action::kScript | action::kGo, {Entry(action::kEntryScript, "y")}, 1));
  ActionExecutor& ex = Make();
  EXPECT_FALSE(ex.RunActionRecord(0, "x", MediaWait::kNone));
  EXPECT_TRUE(ex.RunActionRecord(21, "x", MediaWait::kNone));  // an id without a block counts
  EXPECT_TRUE(ex.RunEventAction(20, 2030, MediaWait::kNone));
  EXPECT_EQ(Steps(), (Events{"script y", "stop media", "go 1 7 16"}));

  events.clear();
  media.on_script = [this] {
    Handle block = stack.resources().Get(restype::kActn, 20);
    handles.SetSize(block, handles.GetSize(block) + 2);
  };
  ex.RunActionRecord(20, "x", MediaWait::kNone);
  EXPECT_EQ(Steps(), (Events{"script y"}));

  events.clear();
  host.browsing = false;
  EXPECT_FALSE(ex.RunActionRecord(20, "x", MediaWait::kNone));
  EXPECT_TRUE(events.empty());
}

TEST_F(Executor, NestedRunsAreCapped) {
  card = AddCard(1, card::kKindCard, 0);
  AddResource(restype::kActn, 20, Record(20, action::kScript, {Entry(action::kEntryScript, "z")}));
  int runs = 0;
  media.on_script = [&] {
    ++runs;
    executor->RunActionRecord(20, "again", MediaWait::kNone);
  };
  Make().RunActionRecord(20, "first", MediaWait::kNone);
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
  ex.RunButton(5);
  Score score = CountAnswers(stack, handles);
  EXPECT_EQ(score.answered, 1);
  EXPECT_EQ(score.right, 1);
  ex.RunButton(6);  // replaces the card's answer
  score = CountAnswers(stack, handles);
  EXPECT_EQ(score.answered, 1);
  EXPECT_EQ(score.right, 0);
  card = second;
  ex.RunButton(5);  // found on the other card, recorded on the shown one
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
  Put32(&entry[action::kEntryFirstReferenceLength], first);
  Put16(&entry[action::kEntryLaunchFlags], action::kCloseAfterLaunch);
  RecordBytes missing = Entry(action::kEntryLaunch, LaunchData("Disk:missing.txt", "", &first));
  Put32(&missing[action::kEntryFirstReferenceLength], first);
  card = AddCard(1, card::kKindCard, 0,
                 {Record(5, action::kLaunch, {entry}), Record(6, action::kLaunch, {missing})});
  ActionExecutor& ex = Make();
  ex.RunButton(5);
  EXPECT_EQ(Steps(), (Events{"stop media", "confirm edit.exe notes.txt"}));

  events.clear();
  host.agree = true;
  ex.RunButton(5);
  EXPECT_EQ(Steps(), (Events{"stop media", "confirm edit.exe notes.txt",
                             "launch /found/Disk:notes.txt", "close"}));

  events.clear();
  ex.RunButton(6);
  EXPECT_EQ(Steps(), (Events{"stop media", "confirm  missing.txt", "alert 2344"}));

  // The opener failed: the user is told, and the player stays open.
  events.clear();
  host.launch_works = false;
  ex.RunButton(5);
  EXPECT_EQ(Steps(), (Events{"stop media", "confirm edit.exe notes.txt",
                             "launch /found/Disk:notes.txt", "alert 2344"}));
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
  ex.RunButton(5);
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
  ex.RunButton(5);
  EXPECT_EQ(Steps(), (Events{"movie m.mov", "step", "stop media", "go 1 7 16"}));
  EXPECT_EQ(windows.QueuedMessages(), 0u);

  // What ran during the wait removed the button: it goes nowhere.
  events.clear();
  media.busy_passes = 1;
  media.on_step = [this] {
    ObjectRef obj = FindObjectById(stack, handles, card, object::kButton, 5);
    if (obj) Put16(handles.Lock(card) + obj.offset + object::kId, 99), handles.Unlock(card);
  };
  ex.RunButton(5);
  EXPECT_EQ(Steps(), (Events{"movie m.mov", "step", "step", "stop media"}));
}

TEST_F(Executor, ASoundThatPlaysHoldsTheMoveUntilItEnds) {
  RecordBytes sound = Entry(action::kEntryStackSound);
  Put16(&sound[action::kEntryResourceId], 7);
  card = AddCard(
      1, card::kKindCard, 0,
      {Record(5, action::kStackSound | action::kGo, {sound}, 1),
       Record(6, action::kSoundFile | action::kGo, {Entry(action::kEntrySoundFile, "a.wav")}, 1)});
  ActionExecutor& ex = Make();
  media.starts = true;
  for (uint16_t button : {5, 6}) {
    events.clear();
    media.busy_passes = 2;
    ex.RunButton(button);
    EXPECT_EQ(Steps().back(), "go 1 7 16");
    EXPECT_EQ(std::count(events.begin(), events.end(), "step"), 3) << button;
    EXPECT_TRUE(media.waited_for.sound);
    EXPECT_FALSE(media.waited_for.movie || media.waited_for.animation || media.waited_for.nba);
  }
  // A sound that could not be played holds nothing.
  events.clear();
  media.starts = false;
  ex.RunButton(5);
  EXPECT_EQ(Steps(), (Events{"stop sound", "stack sound 7", "stop media", "go 1 7 16"}));
}

TEST_F(Executor, TheDiscardClicksOptionEmptiesPendingMouseButtons) {
  card = AddCard(1, card::kKindCard, 0, {Record(5, 0, {})});
  stack.SetHeader16(header::kFlags, header::kFlagDiscardClicks);
  ActionExecutor& ex = Make();
  for (uint32_t m :
       {msg::kLButtonDown, msg::kLButtonUp, msg::kRButtonDown, msg::kKeyDown, msg::kLButtonDblClk})
    windows.PostMessage({1, m, 0, 0, 0});
  ex.RunButton(5);
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
  ex.RunButton(1);
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
}  // namespace corvida::executor_test
