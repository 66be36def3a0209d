// Dialogs on a card smaller than they are (200 x 150): every control can still be reached,
// by the keyboard focus, the wheel and the scroll bars, and a click lands where the
// control is shown.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "ui/dialog_prefs.h"
#include "ui/dialog_scroll.h"
#include "ui/dialog_slides.h"

namespace corvida::dialog_small_window_test {
namespace {

constexpr Size kCard{200, 150};
constexpr int kBar = DialogScroll::kBarWidth;

struct SmallWindow : ::testing::Test {
  testing::TestPlatform tp;
  HeadlessWindowSystem& windows = tp.platform->headless_windows();
  WindowId window = windows.CreateWindow("card", kCard);
  gfx::Bitmap card;
  DialogHost host;

  void SetUp() override {
    ASSERT_TRUE(card.Create(kCard.width, kCard.height, 32));
    host.windows = &windows;
    host.window = window;
    host.backdrop = [this] { return &card; };
  }
  void Post(uint32_t message, uint64_t w, Point p = {}) {
    windows.PostMessage({window, message, w, MakePointParam(p.x, p.y), 0});
  }
  void Click(Point p) {
    Post(msg::kLButtonDown, mk::kLButton, p);
    Post(msg::kLButtonUp, 0, p);
  }
  // The centre of a control when the dialog's outer top-left lies at `at`.
  static Point Centre(const Dialog& d, int id, Point at) {
    const Rect r = d.Find(id)->rect;
    return {at.x + d.client_origin().x + (r.left + r.right) / 2,
            at.y + d.client_origin().y + (r.top + r.bottom) / 2};
  }
};

TEST_F(SmallWindow, PreferencesScrolledToItsEndByTheWheelAndTheBarAnswerOk) {
  StackSettings settings;
  Dialog d = MakePreferencesDialog(settings, false);
  const Size outer = d.outer_size();
  ASSERT_GT(outer.width, kCard.width);
  ASSERT_GT(outer.height, kCard.height);
  // Scrolled to the end the dialog's bottom-right corner lies at the view's.
  const Point end{kCard.width - kBar - outer.width, kCard.height - kBar - outer.height};
  const Point ok = Centre(d, kIdOk, end);
  for (int notch = 0; notch < 10; ++notch) Post(msg::kMouseWheel, uint64_t(uint16_t(-120)) << 16);
  for (int step = 0; step < 12; ++step) Click({kCard.width - kBar - 4, kCard.height - 4});
  Click(ok);
  EXPECT_EQ(RunDialog(host, d), kIdOk);
  const auto* frame = windows.LastFrame(window);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, kCard.width);  // drawn within the window, not cut off beyond it
  EXPECT_EQ(frame->height, kCard.height);
}

TEST_F(SmallWindow, PreferencesScrollBackWithTheThumbAndTheFirstBoxIsClickedAgain) {
  StackSettings settings;
  Dialog d = MakePreferencesDialog(settings, false);
  const DialogScroll geometry(kCard, d.outer_size());
  // Down to the end with the thumb, back with the up arrow held for long enough.
  const Rect thumb = geometry.Thumb(true);
  const Point grip{thumb.left + 4, thumb.top + 2};
  Post(msg::kLButtonDown, mk::kLButton, grip);
  Post(msg::kMouseMove, mk::kLButton, {grip.x, grip.y + 400});
  Post(msg::kLButtonUp, 0, {grip.x, grip.y + 400});
  for (int step = 0; step < 20; ++step) Click({kCard.width - 4, 4});
  Click(Centre(d, prefid::kAdvancedUser, {0, 0}));
  Post(msg::kKeyDown, vk::kEscape);
  EXPECT_EQ(RunDialog(host, d), kIdCancel);
  EXPECT_TRUE(d.Checked(prefid::kAdvancedUser));
}

TEST_F(SmallWindow, TabbingToAControlOutOfSightScrollsItIntoView) {
  for (const char* name : {"Preferences", "Slide Show"}) {
    SCOPED_TRACE(name);
    Dialog d = std::string(name) == "Preferences" ? MakePreferencesDialog({}, false)
                                                  : MakeSlideShowDialog({});
    const DialogScroll geometry(kCard, d.outer_size());
    const Rect cancel = d.Find(kIdCancel)->rect.Offset(d.client_origin().x, d.client_origin().y);
    // Unscrolled, Cancel is cut off at the window's right edge.
    const Rect view = geometry.view();
    ASSERT_GT(geometry.DialogAt().x + cancel.right, view.right);
    // Brought into view, its bottom-right corner is at most at the view's.
    const Point at{view.right - cancel.right, geometry.vertical()
                                                  ? std::min(0, view.bottom - cancel.bottom)
                                                  : geometry.DialogAt().y};
    Dialog probe = d;
    for (int tab = 1; tab < 20; ++tab) {
      probe.KeyDown(vk::kTab, false);
      Post(msg::kKeyDown, vk::kTab);
      if (probe.focus_id() == kIdCancel) break;
    }
    ASSERT_EQ(probe.focus_id(), kIdCancel);
    Click(Centre(d, kIdCancel, at));
    EXPECT_EQ(RunDialog(host, d), kIdCancel);
    EXPECT_TRUE(d.ended());
  }
}

TEST_F(SmallWindow, SlideShowTakesOnlyWholeSecondsFromOneToAnHour) {
  const struct {
    const char* typed;
    std::optional<int> seconds;
  } kCases[] = {{"12", 12},
                {"1", 1},
                {"3600", 3600},
                {"0", std::nullopt},
                {"3601", std::nullopt},
                {"", std::nullopt},
                {"1a", std::nullopt}};
  for (const auto& c : kCases) {
    Dialog d = MakeSlideShowDialog({5, true, false});
    d.SetText(kSlideSecondsField, c.typed);
    const auto choice = ReadSlideShowDialog(d);
    ASSERT_EQ(choice.has_value(), c.seconds.has_value()) << c.typed;
    if (!choice) continue;
    EXPECT_EQ(choice->seconds, *c.seconds);
    EXPECT_TRUE(choice->loop);
    EXPECT_FALSE(choice->from_first);
  }
}

}  // namespace
}  // namespace corvida::dialog_small_window_test
