// The dialog toolkit: keyboard and mouse handling, and the modal runner on the headless
// window system (drawn over the window's image, which comes back unchanged afterwards).
#include "ui/dialog.h"

#include <gtest/gtest.h>

#include <array>

#include "support/test_support.h"
#include "ui/dialog_runner.h"

namespace corvida {
namespace {

// A dialog with every kind of control: field 10, check box 11, list 12, disabled
// button 13, OK and Cancel.
Dialog Sample() {
  Dialog d("Sample", {200, 150});
  d.Add(StaticText(-1, {4, 4, 100, 20}, "&Name:"));
  d.Add(EditField(10, {4, 24, 120, 46}, 5));
  d.Add(CheckBox(11, {4, 50, 150, 66}, "&Loud"));
  d.Add(ListBox(12, {4, 70, 120, 70 + 3 * Dialog::kListRowHeight + 4}, {"a", "b", "c", "d", "e"}));
  d.Add(Button(13, {130, 24, 190, 46}, "Off")).enabled = false;
  d.Add(Button(kIdOk, {130, 90, 190, 112}, "OK"));
  d.Add(Button(kIdCancel, {130, 120, 190, 142}, "Cancel"));
  return d;
}

// A point inside a control, in the dialog's own coordinates.
Point Inside(const Dialog& d, int id, int dy = 2) {
  const Rect r = d.Find(id)->rect;
  return {d.client_origin().x + r.left + 3, d.client_origin().y + r.top + dy};
}

TEST(Dialog, TabOrderSkipsStaticAndDisabledControlsAndWraps) {
  Dialog d = Sample();
  EXPECT_EQ(d.focus_id(), 10);  // the first focusable control
  std::vector<int> order;
  for (int i = 0; i < 5; ++i) {
    d.KeyDown(vk::kTab, false);
    order.push_back(d.focus_id());
  }
  EXPECT_EQ(order, (std::vector<int>{11, 12, kIdOk, kIdCancel, 10}));
  d.KeyDown(vk::kTab, true);
  EXPECT_EQ(d.focus_id(), kIdCancel);
  EXPECT_FALSE(d.ended());
}

TEST(Dialog, EnterPressesTheDefaultOrFocusedButtonAndEscapeCancels) {
  Dialog d = Sample();
  d.KeyDown(vk::kReturn, false);  // focus in the field: the default button
  EXPECT_TRUE(d.ended());
  EXPECT_EQ(d.result(), kIdOk);

  Dialog focused = Sample();
  focused.SetFocus(kIdCancel);
  focused.KeyDown(vk::kReturn, false);
  EXPECT_EQ(focused.result(), kIdCancel);

  Dialog escaped = Sample();
  escaped.KeyDown(vk::kEscape, false);
  EXPECT_EQ(escaped.result(), kIdCancel);

  Dialog no_cancel = Sample();
  no_cancel.SetCancel(0);
  no_cancel.KeyDown(vk::kEscape, false);
  EXPECT_FALSE(no_cancel.ended());
  EXPECT_EQ(no_cancel.dismiss_id(), kIdOk);
}

TEST(Dialog, TypingKeepsToTheLimitAndIgnoresControlCharacters) {
  Dialog d = Sample();
  for (char c : std::string("ab\x01"
                            "cdefg"))
    d.Char(uint8_t(c));
  EXPECT_EQ(d.Text(10), "abcde");
  d.KeyDown(vk::kBack, false);
  EXPECT_EQ(d.Text(10), "abcd");
  d.KeyDown(vk::kSpace, false);  // a space in a field is typed as a character, not a press
  EXPECT_FALSE(d.ended());
  d.SetText(10, "much too long");
  EXPECT_EQ(d.Text(10), "much ");
  d.SetFocus(11);
  d.Char('x');  // typing outside a field changes nothing
  EXPECT_EQ(d.Text(10), "much ");
}

// A field that gets the focus from the keyboard or the program has its whole text
// selected, as the system's dialogs do (the password of the Preferences, a proposed file
// name): typing replaces it, Backspace clears it. A click puts the insertion point at the
// end instead, and text set while focused is not selected.
TEST(Dialog, AFieldFocusedByKeyOrProgramSelectsItsTextForTypingOver) {
  struct Row {
    const char* how;
    void (*focus)(Dialog&);
    const char* typed;  // '\b' is Backspace
    const char* text_then;
  };
  const Row rows[] = {
      {"SetFocus, then typing", [](Dialog& d) { d.SetFocus(10); }, "ab", "ab"},
      {"SetFocus, then Backspace", [](Dialog& d) { d.SetFocus(10); }, "\bx", "x"},
      {"Tab round to it",
       [](Dialog& d) {
         d.SetFocus(11);
         for (int i = 0; i < 4; ++i) d.KeyDown(vk::kTab, false);
       },
       "z", "z"},
      {"a click in it", [](Dialog& d) { d.MouseDown(Inside(d, 10), false); }, "!", "Bone!"},
      {"text set after the focus",
       [](Dialog& d) {
         d.SetFocus(10);
         d.SetText(10, "Bone");
       },
       "s", "Bones"},
      {"focus elsewhere", [](Dialog& d) { d.SetFocus(11); }, "q", "Bone"},
  };
  for (const Row& row : rows) {
    Dialog d = Sample();
    d.SetText(10, "Bone");
    row.focus(d);
    for (const char* c = row.typed; *c; ++c) {
      if (*c == '\b') {
        d.KeyDown(vk::kBack, false);
      } else {
        d.Char(uint8_t(*c));
      }
    }
    EXPECT_EQ(d.Text(10), row.text_then) << row.how;
  }
}

TEST(Dialog, SpaceTogglesCheckBoxesAndCommandsSeeEveryChange) {
  Dialog d = Sample();
  std::vector<int> commands;
  d.OnCommand([&](Dialog&, int id) {
    commands.push_back(id);
    return false;
  });
  d.Char('z');
  d.SetFocus(11);
  d.KeyDown(vk::kSpace, false);
  EXPECT_TRUE(d.Checked(11));
  d.MouseDown(Inside(d, 11, 5), false);
  EXPECT_FALSE(d.Checked(11));
  EXPECT_EQ(commands, (std::vector<int>{10, 11, 11}));
  EXPECT_FALSE(d.ended());
}

TEST(Dialog, ArrowKeysMoveInTheListAndScrollIt) {
  Dialog d = Sample();
  d.SetFocus(12);
  d.KeyDown(vk::kUp, false);
  EXPECT_EQ(d.Find(12)->selected, 0);
  for (int i = 0; i < 10; ++i) d.KeyDown(vk::kDown, false);
  EXPECT_EQ(d.Find(12)->selected, 4);  // stops at the last row
  EXPECT_EQ(d.Find(12)->top, 2);       // three rows show: the last one is in view
}

TEST(Dialog, ButtonsCountOnlyWhenReleasedInsideAndListDoubleClickMeansOk) {
  Dialog d = Sample();
  d.MouseDown(Inside(d, kIdCancel), false);
  d.MouseUp({0, 0});  // dragged off before release
  EXPECT_FALSE(d.ended());
  d.MouseDown(Inside(d, 13), false);  // disabled
  d.MouseUp(Inside(d, 13));
  EXPECT_FALSE(d.ended());
  d.MouseDown(Inside(d, kIdCancel), false);
  d.MouseUp(Inside(d, kIdCancel));
  EXPECT_EQ(d.result(), kIdCancel);

  Dialog list = Sample();
  const Point second_row = Inside(list, 12, 2 + Dialog::kListRowHeight + 3);
  list.MouseDown(second_row, false);
  EXPECT_EQ(list.Find(12)->selected, 1);
  EXPECT_FALSE(list.ended());
  list.MouseDown(second_row, true);
  EXPECT_EQ(list.result(), kIdOk);
  list.MouseDown(Inside(list, 12, 70), false);  // below the last row of a short list: nothing
}

TEST(Dialog, LabelsDropTheirKeyboardMarkers) {
  EXPECT_EQ(Dialog::ShownLabel("Turn on Automatic &Timers && HyperLinks"),
            "Turn on Automatic Timers & HyperLinks");
  EXPECT_EQ(Dialog::ShownLabel("A&"), "A&");
}

// The runner over a headless window showing a card-sized grey image.
struct RunnerFixture : ::testing::Test {
  testing::TestPlatform tp;
  HeadlessWindowSystem& windows = tp.platform->headless_windows();
  WindowId window = windows.CreateWindow("card", {320, 240});
  gfx::Bitmap card;
  bool close_requested = false;
  DialogHost host;

  void SetUp() override {
    ASSERT_TRUE(card.Create(320, 240, 8));
    card.palette.count = 256;
    card.palette.Set(7, {10, 200, 30});
    gfx::DrawTarget(card).FillRect(card.Bounds(), gfx::Color::Index(7));
    host.windows = &windows;
    host.window = window;
    host.backdrop = [this] { return &card; };
    host.close_requested = &close_requested;
  }
  void Key(uint32_t key) { windows.PostMessage({window, msg::kKeyDown, key, 0, 0}); }
  void Char(char c) { windows.PostMessage({window, msg::kChar, uint8_t(c), 0, 0}); }
  void Click(Point p) {
    windows.PostMessage({window, msg::kLButtonDown, mk::kLButton, MakePointParam(p.x, p.y), 0});
    windows.PostMessage({window, msg::kLButtonUp, 0, MakePointParam(p.x, p.y), 0});
  }
  // The RGB of a window pixel in the last frame.
  std::array<uint8_t, 3> Pixel(int x, int y) const {
    const auto* f = windows.LastFrame(window);
    const uint8_t* p = f->rgba.data() + (size_t(y) * size_t(f->width) + size_t(x)) * 4;
    return {p[0], p[1], p[2]};
  }
};

TEST_F(RunnerFixture, DrawsOverTheCardWhileOpenAndRestoresItAfter) {
  Dialog d = Sample();
  const Point at = DialogPlacement(card.size(), d.outer_size());
  const Point corner{at.x + 1, at.y + 1};  // inside the dialog's frame
  std::array<uint8_t, 3> during{};
  host.pass_on = [&](const Message&) { during = Pixel(corner.x, corner.y); };
  windows.PostMessage({window, msg::kUser, 0, 0, 0});
  for (char c : std::string("Rex")) Char(c);
  Key(vk::kReturn);
  EXPECT_EQ(RunDialog(host, d), kIdOk);
  EXPECT_EQ(d.Text(10), "Rex");
  EXPECT_NE(during, (std::array<uint8_t, 3>{10, 200, 30}));
  EXPECT_EQ(Pixel(corner.x, corner.y), (std::array<uint8_t, 3>{10, 200, 30}));
  EXPECT_EQ(Pixel(0, 0), (std::array<uint8_t, 3>{10, 200, 30}));
}

TEST_F(RunnerFixture, DialogOpenedFromADialogShowsItAgainWhenItEnds) {
  Dialog outer = Sample();
  const Point at = DialogPlacement(card.size(), outer.outer_size());
  std::array<uint8_t, 3> after_inner{};
  int inner_result = 0;
  outer.OnCommand([&](Dialog&, int id) {
    if (id != 11) return false;
    Dialog inner("Inner", {60, 40});
    inner_result = RunDialog(host, inner);
    after_inner = Pixel(at.x + 1, at.y + 1);
    return true;
  });
  outer.SetFocus(11);
  Key(vk::kSpace);
  Key(vk::kReturn);  // read by the inner dialog
  Key(vk::kEscape);
  EXPECT_EQ(RunDialog(host, outer), kIdCancel);
  EXPECT_EQ(inner_result, kIdOk);
  EXPECT_NE(after_inner, (std::array<uint8_t, 3>{10, 200, 30}));  // the outer dialog again
  EXPECT_EQ(Pixel(at.x + 1, at.y + 1), (std::array<uint8_t, 3>{10, 200, 30}));
  EXPECT_TRUE(host.backdrop && host.backdrop() == &card);
}

TEST_F(RunnerFixture, MouseClicksAreInWindowCoordinates) {
  Dialog d = Sample();
  const Point at = DialogPlacement(card.size(), d.outer_size());
  const Point p = Inside(d, kIdCancel);
  Click({at.x + p.x, at.y + p.y});
  EXPECT_EQ(RunDialog(host, d), kIdCancel);
}

TEST_F(RunnerFixture, CloseRequestEndsTheLoopAndIsLeftToTheOwner) {
  Dialog d = Sample();
  windows.PostMessage({window, msg::kClose, 0, 0, 0});
  Key(vk::kReturn);  // never reached: the dialog ended at the close request
  EXPECT_EQ(RunDialog(host, d), kIdCancel);
  EXPECT_TRUE(close_requested);
  EXPECT_EQ(windows.QueuedMessages(), 1u);
  Dialog later = Sample();
  EXPECT_EQ(RunDialog(host, later), kIdCancel);  // no new loop once the owner is closing
}

TEST_F(RunnerFixture, UnansweredDialogsCancelAndScriptsAnswerThem) {
  Dialog silent = Sample();
  EXPECT_EQ(RunDialog(host, silent), kIdCancel);  // nothing will ever arrive

  host.script = [](Dialog& d) {
    const std::string text = "Fido the dog";
    return AnswerDialog(d, &text, kIdOk);
  };
  Dialog typed = Sample();
  EXPECT_EQ(RunDialog(host, typed), kIdOk);
  EXPECT_EQ(typed.Text(10), "Fido ");

  host.script = [](Dialog&) { return 0; };
  Dialog refused = Sample();
  EXPECT_EQ(RunDialog(host, refused), kIdCancel);
}

}  // namespace
}  // namespace corvida
