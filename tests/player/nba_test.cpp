// Extension modules in a player: the example modules installed in the player's "NBAs"
// and "Extras" folders, called from buttons, callback command 67 and the player's own
// events; where modules may come from; the module cache; the persistent value.
#include <gtest/gtest.h>

#include <filesystem>

#include "player/nba_extras.h"
#include "player/nba_modules.h"
#include "player/player_dialogs.h"
#include "player/stack_open.h"
#include "player_fixture.h"
#include "stackfile/actions.h"
#include "stackfile/records_access.h"
#include "stackfile/resources.h"
#include "stackfile/stack.h"
#include "support/test_support.h"

namespace corvida::testing {
namespace {

namespace fs = std::filesystem;

// Card "One" (10) has a button per module; the stack names modules 7 (counter), 8 (click
// stop, only when asked for) and 9 (busy) by its own 'NBAs' blocks.
std::string Stack(bool with_click_stop, std::string counter_file = "COUNTER.NBA") {
  for (size_t at = 0; (at = counter_file.find('\\', at)) != std::string::npos; at += 2)
    counter_file.insert(at, 1, '\\');  // as JSON writes it
  std::string nbas =
      R"({"type": "NBAs", "id": 7, "name": "Counter", "nbaId": 7, "displayName": "Counter",
          "module": ")" +
      counter_file + R"("},
         {"type": "NBAs", "id": 9, "nbaId": 9, "module": "BUSY.NBA"},
         {"type": "NBAs", "id": 10, "nbaId": 10, "module": "CARDHAND.NBA"})";
  if (with_click_stop)
    nbas += R"(, {"type": "NBAs", "id": 8, "nbaId": 8, "module": "CLICKSTOP.NBA"})";
  return R"({
  "stack": {"width": 160, "height": 100, "depth": 8},
  "cards": [
    {"id": 10, "name": "One", "objects": [
      {"type": "button", "id": 1, "rect": [4, 4, 40, 20], "name": "Count",
       "actions": [{"kind": "nba", "id": 7}]},
      {"type": "button", "id": 2, "rect": [50, 4, 90, 20], "name": "Wait",
       "destination": -1, "actions": [{"kind": "nba", "id": 9, "text": "12"}]},
      {"type": "button", "id": 3, "rect": [100, 4, 140, 20], "name": "Go",
       "actions": [{"kind": "nba", "id": 10}]},
      {"type": "button", "id": 4, "rect": [4, 40, 40, 60], "name": "Next", "destination": -1}]},
    {"id": 11, "name": "Two"},
    {"id": 12, "name": "Three"}
  ],
  "resources": [)" +
         nbas + "]}";
}

// Installs an example module under `name` in a folder of the player.
void Install(const std::string& folder, const std::string& example, const std::string& name) {
  fs::create_directories(folder);
  fs::copy_file(testing::ExampleNbasFolder() + "/" + example, folder + "/" + name,
                fs::copy_options::overwrite_existing);
}

class Nbas : public PlayerFixture {
 protected:
  std::string NbaFolder() { return tp.root.File("data/NBAs"); }
  std::string ExtrasFolder() { return tp.root.File("data/Extras"); }
  void SetUp() override {
    for (const char* m : {"COUNTER.NBA", "CLICKSTOP.NBA", "BUSY.NBA", "CARDHAND.NBA"})
      Install(NbaFolder(), m, m);
  }
  // The stack closing is logged: the window goes while the log is still there.
  void TearDown() override { window.reset(); }
  void Click(int x, int y) {
    Post(msg::kLButtonDown, mk::kLButton, MakePointParam(x, y));
    Post(msg::kLButtonUp, 0, MakePointParam(x, y));
    Settle(100);
  }
  CallbackDispatch& D() { return window->callbacks().dispatch(); }
  // Callback command 67 as a script issues it: the module's answer as text.
  std::string Call67(uint32_t id, int message, const std::string& data = "",
                     const std::string& name = "") {
    CallbackBlock& b = D().block();
    b.Clear();
    b.set_param(1, id);
    b.set_param(2, D().NewBlock({reinterpret_cast<const uint8_t*>(data.data()), data.size()}));
    if (!name.empty()) b.set_param(3, D().NewString(name));
    b.set_param(4, uint32_t(message));
    D().Issue(67);
    const uint32_t answer = b.param(2);
    std::vector<uint8_t> bytes = D().ReadBlock(answer, 64);
    D().DisposeBlock(answer);
    return std::string(bytes.begin(), bytes.end());
  }
  uint32_t KeptValue(uint16_t id) {
    Handle h = player.stack.resources().Get(restype::kNBAs, id);
    LockedHandle locked(player.handles, h);
    return locked.size() >= 12 ? GetBE32(locked.data() + nba::kKeptValue) : 0;
  }
  int Count(const std::string& line) { return int(std::count(log.begin(), log.end(), line)); }
};

TEST_F(Nbas, TheStacksOwnDescriptorWinsOverTheModuleThePreferencesName) {
  // The preferences name another module for id 7: the stack's block is used.
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "7", "BUSY.NBA"));
  Start(Stack(false));
  EXPECT_EQ(Call67(7, 4), "1");
  EXPECT_EQ(Call67(0, 4, "", "counter"), "2");  // by the block's name, any case
  EXPECT_EQ(Count("nba 7 message 4"), 2);
}

TEST_F(Nbas, APersistentValueSurvivesCallsAndASaveButNotTheRunTimeSlot) {
  Start(Stack(false));
  for (int i = 0; i < 3; ++i) Click(20, 12);
  EXPECT_EQ(Count("nba 7 message 4"), 3);
  EXPECT_EQ(KeptValue(7), 3u);
  const std::string saved = tp.root.File("saved.stk");
  ASSERT_TRUE(SaveStackWithAlerts(player.stack, player.alerts, saved).saved());
  ASSERT_EQ(window->OpenStack(saved), 0);
  EXPECT_EQ(KeptValue(7), 3u);
  {
    LockedHandle locked(player.handles, player.stack.resources().Get(restype::kNBAs, 7));
    EXPECT_EQ(GetBE32(locked.data() + nba::kRuntimeSlot), 0u);
  }
  EXPECT_EQ(Call67(7, 4), "4");
}

TEST_F(Nbas, AStackThatMayNotBeSavedKeepsTheValueForTheSessionOnly) {
  window = std::make_unique<PlayerWindow>(player);
  window->set_stacks_downloaded(true);
  path = BuildStack(tp.root, Stack(false));
  ASSERT_EQ(window->OpenStack(path), 0);
  id = tp.platform->windows().CreateWindow("test", window->CardSize());
  ASSERT_TRUE(window->Attach(id));
  window->ShowFirstCard();
  EXPECT_EQ(Call67(7, 4), "1");
  EXPECT_EQ(Call67(7, 4), "2");
  EXPECT_EQ(KeptValue(7), 0u);  // the stack's block is left as it came
}

TEST_F(Nbas, TwentyModulesAreCachedAndATwentyFirstStillRuns) {
  std::string blocks;
  for (int n = 1; n <= 21; ++n) {
    const std::string file = "C" + std::to_string(n) + ".NBA";
    Install(NbaFolder(), "COUNTER.NBA", file);
    blocks += std::string(n > 1 ? "," : "") + R"({"type": "NBAs", "id": )" + std::to_string(n) +
              R"(, "module": ")" + file + R"("})";
  }
  Start(R"({"stack": {"width": 64, "height": 48}, "cards": [{"id": 10, "name": "One"}],
            "resources": [)" +
        blocks + "]}");
  for (int n = 1; n <= 21; ++n) EXPECT_EQ(Call67(uint32_t(n), 4), "1") << n;
  int cached = 0;
  for (const NbaCacheSlot& slot : player.nbas.cache) cached += slot.module != nullptr;
  EXPECT_EQ(cached, 20);
  EXPECT_EQ(player.nbas.cache.back().nba_id, 20);
  EXPECT_EQ(Call67(21, 4), "2");  // uncached, its value still kept
  // The stack closing lets every module go.
  window->Shutdown();
  for (const NbaCacheSlot& slot : player.nbas.cache) EXPECT_EQ(slot.module, nullptr);
  EXPECT_EQ(Count("nba 1 message 2"), 1);
}

TEST_F(Nbas, AModuleThatConsumesLeftPressesStopsClicksOnTheCard) {
  Start(Stack(true));
  Settle();
  Click(20, 50);  // "Next"
  EXPECT_EQ(CardId(), 10);
  EXPECT_GE(Count("nba 8 message 11 consumed"), 1);
  EXPECT_EQ(Count("nba 7 message 4"), 0);
}

TEST_F(Nbas, CardChangesAreToldToTheStacksModules) {
  Start(Stack(false));
  Settle();
  Call67(7, 4);  // loaded
  log.clear();
  Click(20, 50);
  EXPECT_EQ(CardId(), 11);
  for (const char* line : {"nba 7 message 9", "nba 7 message 10"})
    EXPECT_EQ(Count(line), 1) << line;
}

// The modules hear of the leaving before the card's leave action runs, and of the arrival
// after the card shows; a card drawn anew is neither left nor entered.
TEST_F(Nbas, ModulesHearOfLeavingBeforeTheLeaveActionAndNotOfARedraw) {
  std::string stack = Stack(false);
  stack.replace(stack.find(R"("name": "One", )"), 15,
                R"("name": "One", "actions": {"leave": 21}, )");
  stack.replace(
      stack.rfind(']'), 1,
      R"(, {"type": "Actn", "id": 21, "button": {"actions": [{"kind": "script", "text": "bye"}]}}])");
  Start(stack);
  Settle();
  Call67(7, 4);  // loaded
  log.clear();
  window->navigation().RedisplayCard();
  Settle();
  EXPECT_EQ(Count("nba 7 message 9") + Count("nba 7 message 10"), 0);
  Click(20, 50);  // "Next"
  EXPECT_EQ(CardId(), 11);
  std::vector<std::string> order;
  for (const std::string& line : log)
    if (line == "nba 7 message 9" || line == "nba 7 message 10" || line.rfind("action 21 ", 0) == 0)
      order.push_back(line);
  EXPECT_EQ(order, (std::vector<std::string>{"nba 7 message 9", "action 21 \"Leave card action\"",
                                             "nba 7 message 10"}));
}

TEST_F(Nbas, ABusyModuleKeepsTheMediaWaitGoing) {
  Start(Stack(false));
  Settle();
  Clock& clock = tp.platform->clock();
  const uint32_t before = clock.Milliseconds();
  // Module 9 runs with "12", then the button goes to the next card once the wait ends.
  Post(msg::kLButtonDown, mk::kLButton, MakePointParam(70, 12));
  Post(msg::kLButtonUp, 0, MakePointParam(70, 12));
  Settle(1);
  EXPECT_EQ(CardId(), 11);
  // It answered "busy" twelve times, counting down: the wait went on for as many passes
  // (17 ms each, a few cut short by the player's timer).
  EXPECT_EQ(KeptValue(9), 0u);
  EXPECT_GE(clock.Milliseconds() - before, 100u);
}

TEST_F(Nbas, AModuleActsOnTheCardThroughCallbackCommands) {
  Start(Stack(false));
  Settle();
  Click(120, 12);  // module 10 hides "Go" and moves on
  EXPECT_EQ(CardId(), 11);
  window->navigation().GoToCard(10, 0, 0, false);
  Settle();
  ASSERT_EQ(CardId(), 10);
  Click(120, 12);  // hidden: nothing there to click
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(Count("nba 10 message 4"), 1);
}

TEST_F(Nbas, ModulesNamedWithPathsOrLinksOutsideAreNeverLoaded) {
  const std::string outside = tp.root.File("outside");
  Install(outside, "COUNTER.NBA", "EVIL.NBA");
  fs::create_symlink(outside + "/EVIL.NBA", NbaFolder() + "/LINKED.NBA");
  fs::create_symlink(NbaFolder() + "/COUNTER.NBA", NbaFolder() + "/INSIDE.NBA");
  for (const std::string& name :
       {std::string("../outside/EVIL.NBA"), outside + "/EVIL.NBA", std::string("LINKED.NBA"),
        std::string("..\\outside\\EVIL.NBA"), std::string("C:EVIL.NBA")}) {
    Start(Stack(false, name));
    EXPECT_EQ(Call67(7, 4), "") << name;
    EXPECT_EQ(Count("nba 7 message 4"), 0) << name;
  }
  Start(Stack(false, "INSIDE.NBA"));  // a link that stays inside is fine
  EXPECT_EQ(Call67(7, 4), "1");
}

TEST_F(Nbas, AFileThatIsNoModuleIsAlertedOnce) {
  tp.root.Write("data/NBAs/JUNK.NBA", "not a library");
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "30", "JUNK.NBA"));
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "31", "COUNTER.NBA"));
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "32", "NOTHERE.NBA"));
  Start(Stack(false));
  EXPECT_EQ(Call67(30, 4), "");
  EXPECT_EQ(Call67(30, 4), "");
  EXPECT_EQ(Call67(32, 4), "");
  EXPECT_EQ(Alerts(), std::vector<int>{2241});
  // A module the preferences name for an id the stack has no block for.
  EXPECT_EQ(Call67(31, 4), "1");
  EXPECT_EQ(Call67(31, 4), "2");
}

TEST_F(Nbas, ExtrasAreOfferedByNameRunAndRemovedAfterTheQuestion) {
  Install(ExtrasFolder(), "CARDHAND.NBA", "HAND.XTR");
  Install(ExtrasFolder(), "COUNTER.NBA", "NONAME.XTR");  // answers no name: not offered
  ASSERT_TRUE(player.prefs.WritePref("ExtraIDs", "1", "NONAME.XTR"));
  ASSERT_TRUE(player.prefs.WritePref("ExtraIDs", "2", "HAND.XTR"));
  ASSERT_TRUE(player.prefs.WritePref("ExtraIDs", "4", "AFTERGAP.XTR"));
  Start(Stack(false));
  Settle();
  const auto items = window->extras().Items();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].name, "Next Card");
  // The Extras menu lists it: Alt+X opens the menu, Return chooses its only entry.
  Post(msg::kSysKeyDown, 'X');
  Post(msg::kSysKeyUp, 'X');
  Post(msg::kKeyDown, vk::kReturn);
  Settle(100);
  EXPECT_EQ(CardId(), 11);
  // Ctrl+F1 runs the first Extra as well.
  Post(msg::kKeyDown, vk::kControl);
  Post(msg::kKeyDown, vk::kF1);
  Post(msg::kKeyUp, vk::kControl);
  Settle(100);
  EXPECT_EQ(CardId(), 12);

  EXPECT_FALSE(window->extras().Remove(items[0].command));  // nobody answered: kept
  tp.platform->responder().SetResponder([](const AlertRequest&) { return 0; });  // Delete
  EXPECT_TRUE(window->extras().Remove(items[0].command));
  EXPECT_TRUE(window->extras().Items().empty());
  EXPECT_EQ(player.prefs.ReadPref("ExtraIDs", "1"), "NONAME.XTR");
  EXPECT_EQ(player.prefs.ReadPref("ExtraIDs", "2"), "");
}

// Command 10 chooses an Extra by its name: among the player's own commands first, and
// only among the Extras when the "Extras" menu is named.
TEST_F(Nbas, CommandTenChoosesExtrasByName) {
  Install(ExtrasFolder(), "CARDHAND.NBA", "HAND.XTR");  // "Next Card", as the player's own
  ASSERT_TRUE(player.prefs.WritePref("ExtraIDs", "1", "HAND.XTR"));
  Start(Stack(false));
  Settle();
  struct Case {
    const char* menu;  // "" for none
    const char* item;
    int extra_runs;
    uint16_t card;  // where it ends
  } cases[] = {
      {"", "Next Card", 0, 11},            // the player's own command
      {"E&xtras", "next card...", 1, 11},  // the Extra: it moves on as well
      {"extras", "Nothing", 0, 10},
  };
  for (const Case& c : cases) {
    window->navigation().GoToCard(10, 0, 0, false);
    Settle();
    const int before = Count("nba 0 message 4");
    CallbackBlock& b = D().block();
    b.Clear();
    if (c.menu[0]) b.set_param(3, D().NewString(c.menu));
    b.set_param(4, D().NewString(c.item));
    D().Issue(10);
    Settle(100);
    EXPECT_EQ(Count("nba 0 message 4") - before, c.extra_runs) << c.menu << " " << c.item;
    EXPECT_EQ(CardId(), c.card) << c.menu << " " << c.item;
  }
}

// The Extras manager (Edit > Extras...) offers the Extras folder's .xtr files that
// are not listed, adds the chosen one to the list, the preferences and the menu, and
// removes a listed one only when the question is answered with Delete.
TEST_F(Nbas, TheExtrasManagerAddsAndRemovesExtras) {
  Install(ExtrasFolder(), "CARDHAND.NBA", "HAND.XTR");
  Install(ExtrasFolder(), "COUNTER.NBA", "count.xtr");
  Install(ExtrasFolder(), "COUNTER.NBA", "OTHER.NBA");  // not an Extra's name
  fs::create_directories(ExtrasFolder() + "/FOLDER.XTR");
  ASSERT_TRUE(player.prefs.WritePref("ExtraIDs", "1", "COUNT.XTR"));
  Start(Stack(false));
  PlayerDialogs dialogs(player, *window);
  std::vector<std::string> offered, rows;
  std::string choose = "HAND.XTR";
  bool remove = false;
  dialogs.SetScript([&](Dialog& d, std::string_view name) {
    Control* list = d.Find(kExtrasList);
    if (name == kAddExtraDialogName) {
      offered = list->items;
      auto it = std::find(offered.begin(), offered.end(), choose);
      if (it == offered.end()) return 0;
      list->selected = int(it - offered.begin());
      return kIdOk;
    }
    if (remove) {
      list->selected = 1;
      AnswerDialog(d, nullptr, kExtrasRemoveButton);
    } else {
      AnswerDialog(d, nullptr, kExtrasAddButton);
    }
    rows = d.Find(kExtrasList)->items;
    return kIdOk;
  });
  Command(NbaExtras::kManageCommand);
  Settle();
  EXPECT_EQ(offered, std::vector<std::string>{"HAND.XTR"});  // count.xtr is listed already
  EXPECT_EQ(rows,
            (std::vector<std::string>{"COUNT.XTR (not in the menu)", "Next Card (HAND.XTR)"}));
  EXPECT_EQ(player.prefs.ReadPref("ExtraIDs", "2"), "HAND.XTR");
  // The new Extra is in the menu at once: Ctrl+F1 runs the first offered Extra.
  Post(msg::kKeyDown, vk::kControl);
  Post(msg::kKeyDown, vk::kF1);
  Post(msg::kKeyUp, vk::kControl);
  Settle(100);
  EXPECT_EQ(CardId(), 11);

  remove = true;
  Command(NbaExtras::kManageCommand);  // nobody answers the question: kept
  Settle();
  EXPECT_EQ(rows.size(), 2u);
  tp.platform->responder().SetResponder([](const AlertRequest&) { return 0; });  // Delete
  Command(NbaExtras::kManageCommand);
  Settle();
  EXPECT_EQ(rows, std::vector<std::string>{"COUNT.XTR (not in the menu)"});
  EXPECT_EQ(player.prefs.ReadPref("ExtraIDs", "2"), "");
  EXPECT_TRUE(window->extras().Items().empty());
}

TEST_F(Nbas, ScriptsCallModulesByNameAndGetTheirAnswer) {
  Start(R"({"stack": {"width": 120, "height": 80},
    "cards": [{"id": 10, "name": "One", "objects": [
      {"type": "button", "id": 1, "rect": [4, 4, 40, 20], "name": "Run", "actions": [
        {"kind": "script", "text": "textio print callnba \"counter [] \"run print callnba \"counter [] \"run print callnba \"nosuch [] \"run"}]}]}],
    "resources": [{"type": "NBAs", "id": 7, "name": "Counter", "module": "COUNTER.NBA"}]})");
  Settle();
  Click(20, 12);
  std::vector<std::string> prints;
  for (const std::string& line : log)
    if (line.rfind("print ", 0) == 0) prints.push_back(line);
  EXPECT_EQ(prints, (std::vector<std::string>{"print \"1\"", "print \"2\"", "print \"\""}));
}

// A built-in module that shows an About box of its own: it counts its About calls.
int own_box_abouts = 0;
int32_t OwnBoxMain(unsigned char* block) {
  if (corvida_command(block) == NBA_MSG_ABOUT) ++own_box_abouts;
  return 0;
}
const CorvidaNbaInfo kOwnBoxInfo = {sizeof(CorvidaNbaInfo), 21,
                                    NBA_ABOUT_OWN_BOX,      "Own Box",
                                    "OWNBOX.NBA",           "Never shown by the player."};

// About (message 1) from a script: the module is called once, then the player shows its
// about text (from the stack's block, else the module's description), unless the module
// says it shows a box of its own.
TEST_F(Nbas, AboutShowsTheModulesTextUnlessItHasABoxOfItsOwn) {
  RegisterBuiltInNba(&OwnBoxMain, &kOwnBoxInfo);
  own_box_abouts = 0;
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "21", "OWNBOX.NBA"));
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "8", "CLICKSTOP.NBA"));
  std::string stack = Stack(false);
  const std::string counter = R"("module": "COUNTER.NBA")";
  stack.replace(stack.find(counter), counter.size(),
                counter + R"(, "about": "Counts runs, saved with the stack.")");
  Start(stack);
  struct Case {
    uint32_t id;
    std::vector<std::string> texts;  // message boxes shown
  } cases[] = {
      {7, {"About Counter: Counts runs, saved with the stack."}},  // the stack's block
      {8, {"About Click Stop: Keeps clicks off the card."}},       // the module's description
      {21, {}},                                                    // its own box
      {99, {}},                                                    // no module: nothing
  };
  for (const Case& c : cases) {
    const size_t before = tp.platform->responder().shown().size();
    Call67(c.id, NBA_MSG_ABOUT);
    std::vector<std::string> texts;
    for (size_t i = before; i < tp.platform->responder().shown().size(); ++i)
      texts.push_back(tp.platform->responder().shown()[i].text);
    EXPECT_EQ(texts, c.texts) << "module " << c.id;
  }
  EXPECT_EQ(own_box_abouts, 1);
  EXPECT_EQ(KeptValue(7), 0u);  // About is no run
  ForgetBuiltInNbas();
}

// The Extras manager's About button shows the selected Extra's about text.
TEST_F(Nbas, TheExtrasManagerShowsAnExtrasAbout) {
  Install(ExtrasFolder(), "CARDHAND.NBA", "HAND.XTR");
  ASSERT_TRUE(player.prefs.WritePref("ExtraIDs", "1", "HAND.XTR"));
  Start(Stack(false));
  PlayerDialogs dialogs(player, *window);
  dialogs.SetScript([&](Dialog& d, std::string_view name) {
    if (name != kExtrasDialogName) return 0;
    d.Find(kExtrasList)->selected = 0;
    AnswerDialog(d, nullptr, kExtrasAboutButton);
    return kIdOk;
  });
  Command(NbaExtras::kManageCommand);
  Settle();
  ASSERT_FALSE(tp.platform->responder().shown().empty());
  EXPECT_EQ(tp.platform->responder().shown().back().text,
            "About Next Card: Hides a button, moves on.");
}

// A built-in module that answers with its data block itself (ECHO) or leaves no answer.
int32_t EchoMain(unsigned char* block) {
  if (corvida_command(block) == NBA_MSG_RUN) corvida_set_param(block, 7, corvida_param(block, 1));
  return 0;
}
int32_t QuietMain(unsigned char*) {
  return 0;
}
const CorvidaNbaInfo kEchoInfo = {sizeof(CorvidaNbaInfo), 22, 0, "Echo", "ECHO.NBA", ""};
const CorvidaNbaInfo kQuietInfo = {sizeof(CorvidaNbaInfo), 23, 0, "Quiet", "QUIET.NBA", ""};

// Command 67 hands back in p2 the module's answer (p7), and the caller's data block
// otherwise: emptied, under the token the caller holds, so the caller may use it again.
TEST_F(Nbas, CommandSixtySevenAnswersInPTwoAndEmptiesTheCallersData) {
  RegisterBuiltInNba(&EchoMain, &kEchoInfo);
  RegisterBuiltInNba(&QuietMain, &kQuietInfo);
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "22", "ECHO.NBA"));
  ASSERT_TRUE(player.prefs.WritePref("NBAIDs", "23", "QUIET.NBA"));
  Start(Stack(false));
  enum class Back { kAnswer, kData, kDataEmptied };
  struct Case {
    uint32_t id;
    Back back;
    std::string text;  // what p2 holds afterwards
  } cases[] = {
      {7, Back::kAnswer, "1"},     // the counter answers a block of its own
      {22, Back::kData, "hello"},  // the answer is the data itself
      {23, Back::kDataEmptied, ""},
      {99, Back::kDataEmptied, ""},  // no module for the id
  };
  for (const Case& c : cases) {
    CallbackBlock& b = D().block();
    b.Clear();
    const uint32_t data = D().NewString("hello");
    ASSERT_TRUE(D().ResizeBlock(data, 5));
    ASSERT_TRUE(D().WriteBlock(data, 0, std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
    b.set_param(1, c.id);
    b.set_param(2, data);
    b.set_param(4, NBA_MSG_RUN);
    D().Issue(67);
    const uint32_t back = b.param(2);
    const std::vector<uint8_t> bytes = D().ReadBlock(back, 64);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.text) << "module " << c.id;
    EXPECT_EQ(back == data, c.back != Back::kAnswer) << "module " << c.id;
    // The data is still the caller's unless the module's answer replaced it.
    EXPECT_EQ(D().ResizeBlock(data, 3), c.back != Back::kAnswer) << "module " << c.id;
    D().DisposeBlock(back);
    D().DisposeBlock(data);
  }
  // Without data there is nothing to give back.
  CallbackBlock& b = D().block();
  b.Clear();
  b.set_param(1, 23);
  b.set_param(4, NBA_MSG_RUN);
  D().Issue(67);
  EXPECT_EQ(b.param(2), 0u);
  ForgetBuiltInNbas();
}

TEST(NbaModuleNames, OnlyBareNamesAreTaken) {
  for (const char* good : {"COUNTER.NBA", "a.b.c", "tool-2.so", "x"})
    EXPECT_TRUE(IsBareModuleName(good)) << good;
  for (const char* bad : {"", ".", "..", "a/b", "a\\b", "C:x", "..x", "x..", "a\x01"})
    EXPECT_FALSE(IsBareModuleName(bad)) << bad;
  EXPECT_FALSE(IsBareModuleName(std::string("a\0b", 3)));
  EXPECT_FALSE(IsBareModuleName(std::string(256, 'a')));
}

}  // namespace
}  // namespace corvida::testing
