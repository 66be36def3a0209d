// corvida replay as the desktop's window: stacks dropped on it (after the question about
// a changed stack), the File menu's stacks opened last, and the window's size kept for
// the next start, with hostile preference files read as nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "replay_stack.h"

namespace corvida::desktop_window_test {
namespace {

const char* kStack = R"({
  "stack": {"width": 200, "height": 150, "depth": 8},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "field", "id": 1, "rect": [10, 10, 190, 40], "text": "hello"},
       {"type": "button", "id": 2, "rect": [10, 100, 80, 130], "name": "Away",
        "destination": -6, "actions": [{"kind": "stack", "path": "C:\\STACKS\\other.stk"}]},
       {"type": "button", "id": 3, "rect": [100, 100, 190, 130], "name": "Far",
        "destination": -6, "actions": [{"kind": "stack", "path": "C:\\STACKS\\Far.stk"}]}]},
    {"id": 11, "name": "Two"}
  ]
})";

const char* kOther = R"({
  "stack": {"width": 240, "height": 160, "depth": 8},
  "cards": [{"id": 20, "name": "Elsewhere"}]
})";

bool Has(const std::string& out, const std::string& part) {
  return out.find(part) != std::string::npos;
}

class DesktopWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    stack.dir.Write("other.json", kOther);
    auto r = testing::RunCorvida({"build", stack.dir.File("other.json"), "-o", other()});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::string other() const { return stack.dir.File("other.stk"); }
  std::string prefs() const { return stack.dir.File("out/.config/CVPREFS.INI"); }
  testing::ReplayedStack stack{kStack};
};

TEST_F(DesktopWindow, ADroppedStackOpensAfterTheQuestionAboutChanges) {
  struct Case {
    const char* what;
    std::string events;
    bool asked, opened;
  } cases[] = {
      {"unchanged", "drop " + other() + "\n", false, true},
      {"changed, cancelled", "click 180 20\nchar x\nanswer 3\ndrop " + other() + "\n", true, false},
      {"changed, not saved", "click 180 20\nchar x\nanswer 2\ndrop " + other() + "\n", true, true},
      {"not a stack", "drop " + stack.dir.File("other.json") + "\n", false, false},
      {"nothing there", "drop " + stack.dir.File("gone.stk") + "\n", false, false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(stack.dir.File("out"));
    auto r = stack.Play(c.events, {"--allow-save"});
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    EXPECT_TRUE(Has(r.out, "dropped \"")) << c.what << "\n" << r.out;
    EXPECT_EQ(Has(r.out, "alert 5106 "), c.asked) << c.what << "\n" << r.out;
    EXPECT_EQ(Has(r.out, "card 1 id 20 \"Elsewhere\""), c.opened) << c.what << "\n" << r.out;
    if (!c.opened) {
      EXPECT_TRUE(Has(r.out, "card 1 id 10 \"One\"")) << c.what << ": the first stack stays";
    }
  }
}

TEST_F(DesktopWindow, AButtonGoingToAnotherStackAsksAboutChangesFirst) {
  struct Case {
    const char* what;
    const char* events;
    bool asked, went;
  } cases[] = {
      {"unchanged", "click 40 115\n", false, true},
      {"changed, cancelled", "click 180 20\nchar x\nanswer 3\nclick 40 115\n", true, false},
      {"changed, not saved", "click 180 20\nchar x\nanswer 2\nclick 40 115\n", true, true},
  };
  for (const Case& c : cases) {
    auto r = stack.Play(c.events, {"--allow-save"});
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    EXPECT_EQ(Has(r.out, "alert 5106 "), c.asked) << c.what << "\n" << r.out;
    EXPECT_EQ(Has(r.out, "card 1 id 20 \"Elsewhere\""), c.went) << c.what << "\n" << r.out;
  }
}

size_t Count(const std::string& out, const std::string& part) {
  size_t n = 0;
  for (size_t at = out.find(part); at != std::string::npos; at = out.find(part, at + 1)) ++n;
  return n;
}

// Back and Home from the other stack lead back to this one: a change typed into the other
// stack is asked about first, as for a button; Cancel stays, and Back can be asked again.
TEST_F(DesktopWindow, BackAndHomeIntoAnotherStackAskAboutChangesFirst) {
  stack.dir.Write("other.json", R"({
    "stack": {"width": 240, "height": 160, "depth": 8},
    "cards": [{"id": 20, "name": "Elsewhere",
               "objects": [{"type": "field", "id": 5, "rect": [10, 10, 230, 40], "text": "a"}]}]
  })");
  ASSERT_EQ(testing::RunCorvida({"build", stack.dir.File("other.json"), "-o", other()}).status, 0);
  const std::string away = "click 40 115\n";
  const std::string typed = away + "click 200 20\nchar x\n";
  struct Case {
    std::string what, events;
    bool asked;
    size_t shown_one;  // times card One arrived
  } cases[] = {
      {"Back, unchanged", away + "command 200\n", false, 2},
      {"Back, cancelled", typed + "answer 3\ncommand 200\n", true, 1},
      {"Back, not saved", typed + "answer 2\ncommand 200\n", true, 2},
      {"Back, cancelled then again", typed + "answer 3\ncommand 200\nanswer 2\ncommand 200\n", true,
       2},
      {"Home, unchanged", away + "command 201\n", false, 2},
      {"Home, cancelled", typed + "answer 3\ncommand 201\n", true, 1},
      {"Home, saved", typed + "answer 1\ncommand 201\n", true, 2},
  };
  for (const Case& c : cases) {
    auto r = stack.Play(c.events, {"--allow-save"});
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    ASSERT_TRUE(Has(r.out, "card 1 id 20 \"Elsewhere\"")) << c.what << "\n" << r.out;
    EXPECT_EQ(Has(r.out, "alert 5106 "), c.asked) << c.what << "\n" << r.out;
    EXPECT_EQ(Count(r.out, "card 1 id 10 \"One\""), c.shown_one) << c.what << "\n" << r.out;
  }
}

// Far.stk is not beside the stack but in a folder below it: the user points to it once a
// session, or says it cannot be found, once too.
TEST_F(DesktopWindow, AMissingStackIsLookedForWithTheUserOncePerSession) {
  std::filesystem::create_directory(stack.dir.File("sub"));
  std::filesystem::copy_file(other(), stack.dir.File("sub/far.stk"));
  const std::string asked = "dialog LOCATE_FILE \"Please find the stack named: Far.stk\"";
  struct Case {
    const char* what;
    const char* events;
    int went;  // times the far stack was shown
  } cases[] = {
      {"cancelled", "click 140 115\nclick 140 115\n", 0},
      {"pointed to", "type sub/far.stk\nclick 140 115\ncommand 200\nclick 140 115\n", 2},
  };
  for (const Case& c : cases) {
    auto r = stack.Play(c.events);
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    const size_t first = r.out.find(asked);
    EXPECT_NE(first, std::string::npos) << c.what << "\n" << r.out;
    EXPECT_EQ(r.out.find(asked, first + 1), std::string::npos) << c.what << ": asked twice\n"
                                                               << r.out;
    int went = 0;
    for (size_t at = 0; (at = r.out.find("card 1 id 20", at)) != std::string::npos; ++at) ++went;
    EXPECT_EQ(went, c.went) << c.what << "\n" << r.out;
  }
}

TEST_F(DesktopWindow, TheFileMenuListsTheStacksOpenedLast) {
  // The first start opens s.stk; the second, on other.stk, lists both, newest first:
  // the second entry (access key 2) brings s.stk back.
  ASSERT_EQ(stack.Play("").status, 0);
  auto r = stack.Play("key Alt+F\nkey 2\n", {}, other());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "menu 112 \"2 s.stk  (")) << r.out;
  EXPECT_TRUE(Has(r.out, "recent \"s.stk\"\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "card 1 id 10 \"One\"")) << r.out;

  // A stack that went away stays listed, greyed: its access key chooses nothing.
  std::filesystem::rename(stack.path(), stack.dir.File("moved.stk"));
  r = stack.Play("key Alt+F\nkey 2\nkey Escape\nkey Escape\n", {}, other());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Has(r.out, "menu 112")) << r.out;
}

TEST_F(DesktopWindow, TheWindowSizeIsKeptForTheNextStart) {
  struct Case {
    const char* what;
    std::string events;
    const char* prefs;  // written before the second start; null: as the first left it
    const char* restored;
  } cases[] = {
      {"resized", "resize 700 500\ncommand 110\n", nullptr, "window size 700 x 500"},
      {"full screen is not a size", "resize 700 500\ncommand 370\ncommand 110\n", nullptr, nullptr},
      {"hostile", "", "[window]\nwidth=99999999\nheight=-3\n", nullptr},
      {"hand-edited", "", "[window]\nwidth=800\nheight=600\n", "window size 800 x 600"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(stack.dir.File("out"));
    auto r = stack.Play(c.events);
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    if (c.prefs) stack.dir.Write("out/.config/CVPREFS.INI", c.prefs);
    r = stack.Play("");
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    EXPECT_EQ(Has(r.out, "window size "), c.restored != nullptr) << c.what << "\n" << r.out;
    if (c.restored) {
      EXPECT_TRUE(Has(r.out, c.restored)) << c.what << "\n" << r.out;
    }
  }
}

}  // namespace
}  // namespace corvida::desktop_window_test
