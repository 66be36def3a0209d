// The "Find text" dialog: what it shows of the search settings, and what OK and Cancel
// store, driven by posted keys as a person would use it.
#include "ui/dialog_find.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

struct FindDialog : ::testing::Test {
  testing::TestPlatform tp;
  HeadlessWindowSystem& windows = tp.platform->headless_windows();
  WindowId window = windows.CreateWindow("card", {640, 480});
  gfx::Bitmap card;
  DialogHost host;
  FindState state;

  void SetUp() override {
    ASSERT_TRUE(card.Create(640, 480, 32));
    host.windows = &windows;
    host.window = window;
    host.backdrop = [this] { return &card; };
  }
  void Key(uint32_t key) { windows.PostMessage({window, msg::kKeyDown, key, 0, 0}); }
  void Type(const std::string& text) {
    for (char c : text) windows.PostMessage({window, msg::kChar, uint8_t(c), 0, 0});
  }
};

TEST_F(FindDialog, ShowsTheSettingsWithOneFieldChoice) {
  state.text = "cat";
  state.flags = findflag::kEditable | findflag::kReadOnly | findflag::kCaseSensitive;
  Dialog d = MakeFindTextDialog(state);
  EXPECT_EQ(d.Text(kFindTextField), "cat");
  EXPECT_EQ(d.focus_id(), kFindTextField);
  EXPECT_TRUE(d.Checked(kFindCaseBox));
  EXPECT_FALSE(d.Checked(kFindWrapBox));
  EXPECT_FALSE(d.Checked(kFindAllFields));
  EXPECT_TRUE(d.Checked(kFindEditableFields));  // editable wins over read-only
  EXPECT_FALSE(d.Checked(kFindReadOnlyFields));
  EXPECT_EQ(FindFlagsOf(d), findflag::kEditable | findflag::kCaseSensitive);

  state.flags = 0;
  EXPECT_TRUE(MakeFindTextDialog(state).Checked(kFindReadOnlyFields));
}

TEST_F(FindDialog, OkStoresTextAndChoicesAndClearsFindAgain) {
  state.text = "old";
  state.flags = findflag::kAllFields | findflag::kWrap | findflag::kFindAgain;
  // Replace the text, then Tab to the case box (toggle), the wrap box (toggle), and the
  // read-only choice (choose), and press Return.
  Key(vk::kBack), Key(vk::kBack), Key(vk::kBack);
  Type("Needle");
  Key(vk::kTab), Key(vk::kSpace);
  Key(vk::kTab), Key(vk::kSpace);
  Key(vk::kTab), Key(vk::kTab), Key(vk::kTab), Key(vk::kSpace);
  Key(vk::kReturn);
  ASSERT_TRUE(RunFindTextDialog(host, state));
  EXPECT_EQ(state.text, "Needle");
  EXPECT_EQ(state.flags, findflag::kCaseSensitive | findflag::kReadOnly);
}

TEST_F(FindDialog, CancelStoresNothing) {
  state.text = "keep";
  state.flags = findflag::kAllFields | findflag::kWrap;
  Type("x");
  Key(vk::kEscape);
  EXPECT_FALSE(RunFindTextDialog(host, state));
  EXPECT_EQ(state.text, "keep");
  EXPECT_EQ(state.flags, findflag::kAllFields | findflag::kWrap);
}

TEST_F(FindDialog, TheSearchTextIsCutAtItsLimit) {
  host.script = [](Dialog& d) {
    const std::string text(400, 'z');
    return AnswerDialog(d, &text, kIdOk);
  };
  ASSERT_TRUE(RunFindTextDialog(host, state));
  EXPECT_EQ(state.text.size(), kFindTextLimit);
}

}  // namespace
}  // namespace corvida
