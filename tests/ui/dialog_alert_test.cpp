// The player's own alert dialog and the "Jump to card" dialog, driven by posted input.
#include "ui/dialog_alert.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "ui/dialog_assets.h"
#include "ui/dialog_jump.h"

namespace corvida {
namespace {

struct AlertFixture : ::testing::Test {
  testing::TestPlatform tp;
  HeadlessWindowSystem& windows = tp.platform->headless_windows();
  WindowId window = windows.CreateWindow("card", {640, 480});
  gfx::Bitmap card;
  DialogHost host;
  InWindowAlertPresenter presenter{host};

  void SetUp() override {
    ASSERT_TRUE(card.Create(640, 480, 32));
    host.windows = &windows;
    host.window = window;
    host.backdrop = [this] { return &card; };
  }
  void Key(uint32_t key) { windows.PostMessage({window, msg::kKeyDown, key, 0, 0}); }
  AlertRequest Request(std::vector<std::string> buttons, int default_button) {
    AlertSpec spec;
    spec.size_class = 2;
    spec.icon_digit = 4;
    spec.buttons = buttons;
    AlertRequest r;
    r.text = "Save changes & quit?";
    r.buttons = std::move(buttons);
    r.default_button = default_button;
    r.icon = AlertIcon::kMascot;
    r.size = LayoutAlert(spec, true).dialog;
    return r;
  }
};

TEST_F(AlertFixture, DialogFollowsTheAlertLayout) {
  const AlertRequest r = Request({"Yes", "No", "Cancel"}, 1);
  const Dialog d = MakeAlertDialog(r);
  AlertSpec spec;
  spec.size_class = 2;
  spec.icon_digit = 4;
  spec.buttons = r.buttons;
  const AlertLayout layout = LayoutAlert(spec, true);
  EXPECT_EQ(d.Find(52)->rect.left, layout.buttons[0].left);
  EXPECT_EQ(d.Find(54)->rect.right, layout.buttons[2].right);
  EXPECT_EQ(d.Find(kAlertIconControl)->rect.Width(), kMascotSide);
  EXPECT_EQ(d.Find(kAlertMessageControl)->text, "Save changes & quit?");
  EXPECT_TRUE(d.Find(kAlertMessageControl)->plain);
  EXPECT_EQ(d.default_id(), 53);
  EXPECT_EQ(d.focus_id(), 53);
}

TEST_F(AlertFixture, KeyboardChoosesButtons) {
  Key(vk::kReturn);
  EXPECT_EQ(presenter.ShowAlert(Request({"Yes", "No"}, 1)), 1);
  Key(vk::kTab);
  Key(vk::kSpace);
  EXPECT_EQ(presenter.ShowAlert(Request({"Yes", "No"}, 1)), 0);  // focus wraps to 52
  // Escape is not an answer to a question; it dismisses a lone OK.
  Key(vk::kEscape);
  Key(vk::kReturn);
  EXPECT_EQ(presenter.ShowAlert(Request({"Yes", "No"}, 0)), 0);
  EXPECT_EQ(windows.QueuedMessages(), 0u);
  Key(vk::kEscape);
  EXPECT_EQ(presenter.ShowAlert(Request({"OK"}, 0)), 0);
}

TEST_F(AlertFixture, AQuestionsCancelButtonAnswersEscapeAndClosing) {
  AlertRequest r = Request({"Open", "Cancel"}, 0);
  r.cancel_button = 1;
  Key(vk::kEscape);
  EXPECT_EQ(presenter.ShowAlert(r), 1);
  windows.PostMessage({window, msg::kClose, 0, 0, 0});
  EXPECT_EQ(presenter.ShowAlert(r), 1);
  EXPECT_EQ(presenter.ShowAlert(r), 1);  // nothing more will come: unanswered
  Key(vk::kReturn);
  EXPECT_EQ(presenter.ShowAlert(r), 0);  // the default stays what the question says
}

TEST_F(AlertFixture, MascotShowsItsPictureThroughTheMask) {
  const gfx::Bitmap both = MakeMascotBitmap();
  ASSERT_EQ(both.width(), 2 * kMascotSide);
  gfx::Bitmap target;
  ASSERT_TRUE(target.Create(kMascotSide, kMascotSide, 32));
  gfx::DrawTarget t(target);
  t.FillRect(target.Bounds(), gfx::Color::FromRgb(0, 0, 255));
  DrawMascot(t, {0, 0});
  EXPECT_EQ(target.ColorAt(0, 0).b, 255);  // a corner is outside the dog
  const gfx::Rgb centre = target.ColorAt(kMascotSide / 2, kMascotSide / 4);
  EXPECT_NE(centre.b, 255);
  EXPECT_EQ(centre.r, both.ColorAt(kMascotSide / 2, kMascotSide / 4).r);
}

TEST_F(AlertFixture, ThroughTheAlertLayer) {
  Alerts alerts(presenter);
  alerts.SetCurrentMessage("24Quit now?~Yes~^No");
  Key(vk::kReturn);
  EXPECT_EQ(alerts.ShowAlertEx(window, 0, false, true, true), 53);
}

TEST(JumpToCard, TheDialogTakesTypedTextWithinItsLimit) {
  Dialog d = MakeJumpToCardDialog();
  EXPECT_EQ(d.focus_id(), kJumpField);
  for (int i = 0; i < 20; ++i) d.Char('7');
  EXPECT_EQ(d.Text(kJumpField).size(), kJumpTextLimit);
}

}  // namespace
}  // namespace corvida
