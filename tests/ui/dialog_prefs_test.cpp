// The Preferences dialog driven by posted input: the password guard of a locked stack,
// OK applying the copy, Cancel changing nothing.
#include "ui/dialog_prefs.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

struct PrefsDialogFixture : ::testing::Test {
  testing::TestPlatform tp;
  HeadlessWindowSystem& windows = tp.platform->headless_windows();
  WindowId window = windows.CreateWindow("card", {512, 342});
  DialogHost host;
  StackSettings locked;

  void SetUp() override {
    host.windows = &windows;
    host.window = window;
    locked.locked = 1;
    locked.password = "Bone";
    locked.presentation_mode = 0x00010001;
    locked.flags = 0x0011;
  }
  void Type(const std::string& text) {
    for (char c : text) windows.PostMessage({window, msg::kChar, uint8_t(c), 0, 0});
  }
  void Key(uint32_t key) { windows.PostMessage({window, msg::kKeyDown, key, 0, 0}); }
  void ClickControl(const Dialog& d, int id) {
    const Point at = DialogPlacement({512, 342}, d.outer_size());
    const Rect r = d.Find(id)->rect;
    const int x = at.x + d.client_origin().x + r.left + 6,
              y = at.y + d.client_origin().y + r.top + 6;
    windows.PostMessage({window, msg::kLButtonDown, mk::kLButton, MakePointParam(x, y), 0});
    windows.PostMessage({window, msg::kLButtonUp, 0, MakePointParam(x, y), 0});
  }
};

TEST_F(PrefsDialogFixture, LockedStackHidesItsPasswordAndGreysTheSettings) {
  const Dialog d = MakePreferencesDialog(locked, false);
  EXPECT_EQ(d.Text(prefid::kPassword), "");
  EXPECT_EQ(d.focus_id(), prefid::kPassword);
  for (int id = prefid::kIgnoreClicks; id <= prefid::kPresentation; ++id)
    EXPECT_FALSE(d.Find(id)->enabled) << id;
  EXPECT_TRUE(d.Find(prefid::kAdvancedUser)->enabled);
  EXPECT_TRUE(d.Find(prefid::kHighCompression)->enabled);

  StackSettings open;
  open.password = "Bone";
  const Dialog shown = MakePreferencesDialog(open, true);
  EXPECT_EQ(shown.Text(prefid::kPassword), "Bone");
  EXPECT_TRUE(shown.Find(prefid::kLocked)->enabled);
  EXPECT_FALSE(shown.Find(prefid::kPresentation)->enabled);
  EXPECT_TRUE(shown.Checked(prefid::kAdvancedUser));
}

TEST_F(PrefsDialogFixture, PasswordInOtherLetterCaseOpensNothing) {
  StackSettings copy = locked;
  Type("bONE");
  Key(vk::kTab);  // to the first check box, which is still enabled
  Key(vk::kSpace);
  Key(vk::kReturn);
  EXPECT_TRUE(RunPreferencesDialog(host, copy, false));
  EXPECT_EQ(copy.password, "Bone");  // kept: the settings were never opened
  EXPECT_EQ(copy.locked, 1);
  EXPECT_EQ(copy.advanced_user, 1);  // the unguarded box did change
}

TEST_F(PrefsDialogFixture, ExactPasswordOpensTheSettingsAndOkTakesThem) {
  StackSettings copy = locked;
  const Dialog layout = MakePreferencesDialog(copy, false);
  Type("Bone");
  ClickControl(layout, prefid::kPresentation);  // switch presentation mode off
  ClickControl(layout, prefid::kLocked);        // unlock
  ClickControl(layout, prefid::kIgnoreClicks);
  Key(vk::kReturn);  // the click gave the focus back to the field: OK is pressed
  EXPECT_TRUE(RunPreferencesDialog(host, copy, false));
  EXPECT_EQ(copy.locked, 0);
  EXPECT_EQ(copy.presentation_mode, 0u);
  EXPECT_EQ(copy.presentation_switched_off & 1, 1);
  EXPECT_EQ(copy.flags, 0x0013);  // other bits kept
  EXPECT_EQ(copy.password, "Bone");
}

// The password of a stack that is not guarded shows fully selected: typing replaces it.
TEST_F(PrefsDialogFixture, TypingOverTheShownPasswordReplacesIt) {
  StackSettings copy;
  copy.password = "Bone";
  Type("Cat");
  Key(vk::kReturn);
  EXPECT_TRUE(RunPreferencesDialog(host, copy, false));
  EXPECT_EQ(copy.password, "Cat");
}

TEST_F(PrefsDialogFixture, CancelLeavesTheCopyAlone) {
  StackSettings copy = locked;
  Type("Bone");
  Key(vk::kTab);
  Key(vk::kSpace);
  Key(vk::kEscape);
  EXPECT_FALSE(RunPreferencesDialog(host, copy, false));
  EXPECT_EQ(copy.advanced_user, 0);
  EXPECT_EQ(copy.presentation_mode, 0x00010001u);
}

TEST_F(PrefsDialogFixture, ApplyingWritesTheHeaderAndThePreference) {
  Handles handles;
  Stack stack(handles);
  ASSERT_EQ(stack.CreateNew(512, 342, 8), 0);
  StackSettings copy = ReadStackSettings(handles, stack);
  copy.advanced_user = 1;
  copy.locked = 1;
  copy.password = "Kennel";
  copy.presentation_mode = 0x00020000;
  copy.flags = header::kFlagDiscardClicks;
  Prefs prefs(tp.root.File("config"));
  ApplyStackSettings(copy, handles, stack, prefs);
  EXPECT_TRUE(prefs.AdvancedUser());
  const StackSettings back = ReadStackSettings(handles, stack);
  EXPECT_EQ(back.password, "Kennel");
  EXPECT_EQ(back.locked, 1);
  EXPECT_EQ(back.presentation_mode, 0x00020000u);
  EXPECT_EQ(back.flags, header::kFlagDiscardClicks);

  copy.password = "";
  copy.advanced_user = 0;
  ApplyStackSettings(copy, handles, stack, prefs);
  EXPECT_EQ(ReadStackSettings(handles, stack).password, "");
  EXPECT_FALSE(prefs.AdvancedUser());
}

// OK marks the stack changed whenever it wrote something new into its header, the password
// and the presentation mode included, so that closing asks to save it; OK with nothing
// changed is no change.
TEST_F(PrefsDialogFixture, ApplyingMarksTheStackChangedWhenAnySettingDiffers) {
  struct Row {
    const char* what;
    void (*edit)(StackSettings&);
    bool changed;
  };
  const Row rows[] = {
      {"nothing", [](StackSettings&) {}, false},
      {"the password", [](StackSettings& s) { s.password = "Bone"; }, true},
      {"presentation mode off", [](StackSettings& s) { s.presentation_mode = 0; }, true},
      {"card numbers", [](StackSettings& s) { s.card_number_in_title = 1; }, true},
      {"the advanced-user copy", [](StackSettings& s) { s.advanced_user = 1; }, true},
  };
  Prefs prefs(tp.root.File("config"));
  for (const Row& row : rows) {
    Handles handles;
    Stack stack(handles);
    ASSERT_EQ(stack.CreateNew(512, 342, 8), 0);
    StackSettings stored = ReadStackSettings(handles, stack);
    stored.presentation_mode = 1;
    ApplyStackSettings(stored, handles, stack, prefs);
    ASSERT_EQ(stack.Save(tp.root.File("prefs.stk")).code, 0);
    ASSERT_FALSE(stack.changed()) << row.what;
    StackSettings copy = ReadStackSettings(handles, stack);
    row.edit(copy);
    ApplyStackSettings(copy, handles, stack, prefs);
    EXPECT_EQ(stack.changed(), row.changed) << row.what;
  }
}

}  // namespace
}  // namespace corvida
