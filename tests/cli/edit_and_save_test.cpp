// corvida replay through the Edit commands on field text (keys, menu, greyed items) and
// the question before a changed stack is closed or left: each answer and what it keeps.
#include <gtest/gtest.h>

#include "replay_stack.h"

namespace corvida::edit_and_save_test {
namespace {

const char* kStack = R"({
  "stack": {"width": 200, "height": 150, "depth": 8},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [{"type": "field", "id": 1, "rect": [10, 10, 190, 40], "text": "hello"}]},
    {"id": 11, "name": "Two"}
  ]
})";

bool Has(const std::string& out, const std::string& part) {
  return out.find(part) != std::string::npos;
}

// Dragging across the field selects all of "hello"; a click right of it puts the
// insertion point at its end.
constexpr const char* kSelectAll = "down 12 20\nmove 185 20\nup 185 20\n";
constexpr const char* kToEnd = "click 180 20\n";
// Leaves the card and comes back, then finds `text` in the stored fields.
std::string FindAfterLeaving(const std::string& text) {
  return "command 204\ncommand 203\ntype " + text + "\ncommand 207\n";
}

TEST(EditCommands, KeysCutPasteUndoAndRedoFieldText) {
  testing::ReplayedStack stack(kStack);
  auto r = stack.Play(std::string(kSelectAll) +
                      "key Ctrl+X\nkey Ctrl+V\nkey Ctrl+V\n"  // hellohello
                      "key Ctrl+Z\nkey Ctrl+Z\n" +            // undone, and done again
                      FindAfterLeaving("ohel"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "dialog FIND_TEXT \"ohel\"\nfound field 1 at 4\n")) << r.out;
}

TEST(EditCommands, TheMenuOffersOnlyWhatWouldDoSomething) {
  testing::ReplayedStack stack(kStack);
  // Cut with only an insertion point is greyed; with a selection it runs. Copy then
  // Paste from the menu after the text doubles it.
  auto r = stack.Play(std::string(kToEnd) + "key Alt+E\nkey T\nkey Escape\nkey Escape\n" +
                      kSelectAll + "key Alt+E\nkey C\n" + kToEnd + "key Alt+E\nkey P\n" +
                      "key Alt+E\nkey U\n" + "key Alt+E\nkey U\n" + FindAfterLeaving("lohe"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Has(r.out, "menu 151")) << r.out;
  EXPECT_TRUE(Has(r.out, "menu 152 \"Copy\"\nmenu 153 \"Paste\"\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "menu 150 \"Undo\"\nmenu 150 \"Undo\"\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "found field 1 at 3")) << r.out;
}

// Typing marks the stack changed; closing asks, and each answer does what it says.
TEST(SaveQuestion, EachAnswerToTheQuestionOnClosing) {
  struct Case {
    const char* what;
    std::string events;
    std::vector<std::string> options;
    bool asked, closed, saved;
  } cases[] = {
      {"unchanged", "command 110\n", {"--allow-save"}, false, true, false},
      {"cancel, then don't save",
       std::string(kToEnd) + "char x\nanswer 3\ncommand 110\nanswer 2\ncommand 110\n",
       {"--allow-save"},
       true,
       true,
       false},
      {"save",
       std::string(kToEnd) + "char x\nanswer 1\ncommand 110\n",
       {"--allow-save"},
       true,
       true,
       true},
      {"unanswered",
       std::string(kToEnd) + "char x\ncommand 110\n",
       {"--allow-save"},
       true,
       false,
       false},
      {"a stack that is never saved",
       std::string(kToEnd) + "char x\ncommand 110\n",
       {},
       false,
       true,
       false},
      {"moving between cards",
       "command 204\ncommand 203\ncommand 110\n",
       {"--allow-save"},
       false,
       true,
       false},
  };
  for (const Case& c : cases) {
    testing::ReplayedStack stack(kStack);
    const std::string before = stack.dir.Read("s.stk");
    auto r = stack.Play(c.events, c.options);
    ASSERT_EQ(r.status, 0) << c.what << r.err;
    EXPECT_EQ(Has(r.out, "alert 5106 "), c.asked) << c.what << "\n" << r.out;
    EXPECT_EQ(Has(r.out, "closed\n"), c.closed) << c.what << "\n" << r.out;
    EXPECT_EQ(stack.dir.Read("s.stk") != before, c.saved) << c.what;
    if (c.asked && !c.closed) {
      EXPECT_TRUE(Has(r.out, "close cancelled")) << r.out;
    }
    if (!c.saved) continue;
    // What was typed is in the file.
    auto again = stack.Play("type hellox\ncommand 207\n");
    EXPECT_TRUE(Has(again.out, "found field 1 at 0")) << again.out;
  }
}

TEST(SaveQuestion, OpeningAnotherStackAsksFirst) {
  testing::ReplayedStack stack(kStack);
  auto r = stack.Play(
      std::string(kToEnd) + "char x\nanswer 3\ncommand 101\n" + "answer 2\ncommand 101\n",
      {"--allow-save"});
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t first = r.out.find("alert 5106 ");
  ASSERT_NE(first, std::string::npos) << r.out;
  const size_t second = r.out.find("alert 5106 ", first + 1);
  ASSERT_NE(second, std::string::npos) << r.out;
  const size_t chooser = r.out.find("dialog OPEN_STACK");
  EXPECT_GT(chooser, second) << "cancelled: no chooser the first time\n" << r.out;
  EXPECT_NE(chooser, std::string::npos) << r.out;
}

}  // namespace
}  // namespace corvida::edit_and_save_test
