#include "ui/alerts.h"

#include <gtest/gtest.h>

#include "base/strings.h"
#include "platform/headless/headless.h"

namespace corvida {
namespace {

TEST(AlertString, ParsesDigitsMessageLabelsAndDefault) {
  AlertSpec spec;
  ASSERT_TRUE(ParseAlertString("54There are buttons.\nDelete them also?~^Cancel~No ~Yes", spec));
  EXPECT_EQ(spec.size_class, 5);
  EXPECT_EQ(spec.icon_digit, 4);
  EXPECT_EQ(spec.message, "There are buttons.\nDelete them also?");
  EXPECT_EQ(spec.buttons, (std::vector<std::string>{"Cancel", "No ", "Yes"}));
  EXPECT_EQ(spec.default_button, 0);

  ASSERT_TRUE(ParseAlertString("44The button was too small.~Try Again~Cancel", spec));
  EXPECT_EQ(spec.default_button, 0);  // no '^': the first button
  ASSERT_TRUE(ParseAlertString("22Pick~A~^B~C~D", spec));
  EXPECT_EQ(spec.buttons, (std::vector<std::string>{"A", "B", "C"}));  // three at most
  EXPECT_EQ(spec.default_button, 1);
  EXPECT_EQ(spec.icon_digit, 4);  // 2 is taken as 4

  ASSERT_TRUE(ParseAlertString("x9Odd size~OK", spec));
  EXPECT_EQ(spec.size_class, 0);
  EXPECT_EQ(IconForDigit(spec.icon_digit), AlertIcon::kNone);
  EXPECT_FALSE(ParseAlertString("24No buttons here", spec));
  EXPECT_FALSE(ParseAlertString("2", spec));
  EXPECT_FALSE(ParseAlertString("", spec));
  EXPECT_TRUE(ParseAlertString("00~", spec));  // one empty label still makes a button
}

TEST(AlertLayout, SizeClassButtonsMessageAndIcon) {
  AlertMetrics m;  // 7-pixel base unit, 75-pixel default button, frame 3 + border 1
  AlertSpec spec;
  ASSERT_TRUE(ParseAlertString("24No match found.~^OK", spec));
  AlertLayout l = LayoutAlert(spec, true, m);
  EXPECT_EQ(l.dialog, (Size{280, 120}));
  EXPECT_EQ(l.client, (Size{272, 93}));
  EXPECT_EQ(l.icon, (Rect{4, 4, 52, 52}));  // half the mascot bitmap
  EXPECT_EQ(l.message, (Rect{60, 12, 268, 12 + 93 - 43}));
  ASSERT_EQ(l.buttons.size(), 1u);
  EXPECT_EQ(l.buttons[0], (Rect{268 - 75, 93 - 4 - 23, 268, 89}));

  // Long labels widen the buttons and then the dialog beyond its class.
  ASSERT_TRUE(ParseAlertString("11Q~A rather long first label~Second label~Third", spec));
  l = LayoutAlert(spec, false, m);
  EXPECT_TRUE(l.icon.Empty());
  EXPECT_EQ(l.message.left, 4);
  const int w0 = 7 * 25 + 24, w1 = 7 * 12 + 24, w2 = 75;
  EXPECT_EQ(l.dialog.width, w0 + w1 + w2 + 45 + 8 - 7);
  EXPECT_EQ(l.dialog.height, 100);
  EXPECT_EQ(l.buttons[0].right, l.client.width - 4);
  EXPECT_EQ(l.buttons[0].Width(), w0);
  EXPECT_EQ(l.buttons[1].right, l.buttons[0].left - 15);
  EXPECT_EQ(l.buttons[2].right, l.buttons[1].left - 15);
  EXPECT_EQ(l.buttons[2].Width(), w2);

  ASSERT_TRUE(ParseAlertString("13Stop!~OK", spec));
  EXPECT_EQ(LayoutAlert(spec, true, m).icon, (Rect{4, 4, 36, 36}));
}

TEST(AlertLayout, SizeMessagesAreFilledWithoutFormatting) {
  EXPECT_EQ(FormatSizeMessage("at least %d wide and %d high", 136, 40),
            "at least 136 wide and 40 high");
  EXPECT_EQ(FormatSizeMessage("%s %n %d%% %d %d", 1, 2), "%s %n 1%% 2 %d");
}

class AlertsTest : public ::testing::Test {
 protected:
  RecordingAlertResponder presenter;
  Alerts alerts{presenter};
  const std::vector<AlertRequest>& shown() { return presenter.shown(); }
};

TEST_F(AlertsTest, ShowsTheNumberedStringAndReturnsTheChosenButton) {
  presenter.SetResponder([](const AlertRequest&) { return 1; });
  alerts.set_player_window(7);
  EXPECT_EQ(alerts.Alert(strid::kStackCardTooSmall), 2);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].id, 2334);
  EXPECT_EQ(shown()[0].owner, 7u);
  EXPECT_NE(shown()[0].text.find("at least 136 wide and 40 high"), std::string::npos);
  EXPECT_EQ(shown()[0].buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(shown()[0].size, (Size{400, 180}));
  EXPECT_EQ(alerts.ShowAlertEx(3, strid::kNoMatchFound, false, false, false), 52);  // 1 button
  EXPECT_EQ(shown()[1].owner, 3u);
  EXPECT_EQ(shown()[1].icon, AlertIcon::kNone);
}

TEST_F(AlertsTest, MissingStringsAndStringsWithoutButtonsAnswerTheFirstButton) {
  EXPECT_EQ(alerts.ShowAlertEx(0, 9999, false, true, true), 52);
  EXPECT_EQ(alerts.ShowAlertEx(0, strid::kUntitled, false, true, true), 52);  // a plain label
  alerts.SetCurrentMessage("");
  EXPECT_EQ(alerts.Alert(0), 1);
  EXPECT_TRUE(shown().empty());
}

TEST_F(AlertsTest, AdvancedUsersSkipUnforcedAlerts) {
  alerts.set_advanced_user(true);
  EXPECT_EQ(alerts.ShowAlertEx(0, strid::kCardNotFound, false, false, true), 52);
  EXPECT_TRUE(shown().empty());
  alerts.Alert(strid::kCardNotFound);  // forced
  EXPECT_EQ(shown().size(), 1u);
}

TEST_F(AlertsTest, OnceOnlyAlertsShowOncePerRunAndTheListHoldsFiveHundred) {
  EXPECT_EQ(alerts.ShowAlertEx(0, strid::kCardNotFound, true, false, true), 52);
  EXPECT_EQ(alerts.ShowAlertEx(0, strid::kCardNotFound, true, false, true), 52);
  EXPECT_EQ(shown().size(), 1u);
  alerts.ShowAlertEx(0, strid::kCardNotFound, true, true, true);  // forced: shown again
  EXPECT_EQ(shown().size(), 2u);
  for (int id = 1; id < Alerts::kOnceOnlyCapacity; ++id) {
    alerts.ShowAlertEx(0, 100000 + id, true, false, true);  // missing strings: still remembered
  }
  EXPECT_TRUE(alerts.ShownOnce(100000 + 499));
  // The list is full: further ids are shown every time.
  alerts.ShowAlertEx(0, strid::kNoMatchFound, true, false, true);
  alerts.ShowAlertEx(0, strid::kNoMatchFound, true, false, true);
  EXPECT_EQ(shown().size(), 4u);
  EXPECT_FALSE(alerts.ShownOnce(strid::kNoMatchFound));
}

TEST_F(AlertsTest, FileErrorsMapToTheirMessages) {
  alerts.ReportFileError(0);
  alerts.ReportFileError(-12);
  EXPECT_TRUE(shown().empty());
  alerts.ReportFileError(2685);
  alerts.ReportFileError(-2688);
  alerts.ReportFileError(2694);  // in the mapped range but without a message
  alerts.ReportFileError(2688);  // outside it
  alerts.ReportFileError(-1);
  ASSERT_EQ(shown().size(), 5u);
  EXPECT_EQ(shown()[0].text, "Sorry, this disk is full, try saving on another disk.");
  EXPECT_EQ(shown()[0].id, 0);
  EXPECT_EQ(shown()[1].text,
            "Sorry, you do not have the access to make changes to this file, "
            "or the file is locked.");
  for (int i = 2; i < 5; ++i) EXPECT_EQ(shown()[i].text, "Sorry, some kind of error has occurred.");
}

TEST(AlertsAnswer, APresenterAnswerOutsideTheButtonsCountsAsTheFirstOrTheCancel) {
  struct Wild : AlertPresenter {
    int ShowAlert(const AlertRequest&) override { return -1; }
    void ShowMessageBox(const std::string&, const std::string&, AlertIcon) override {}
  } wild;
  Alerts alerts(wild);
  EXPECT_EQ(alerts.Alert(strid::kStackCardTooSmall), 1);
  EXPECT_EQ(alerts.AskWithNames(strid::kConfirmLaunch, {"a", "b"}, 1), 2);
}

TEST(AlertNames, FillTheirMarkersOnceAndShowAsPlainText) {
  const std::string long_name(100, 'x');
  const struct {
    const char* message;
    std::vector<std::string> names;
    std::string filled;
  } cases[] = {
      {"open %1 with %2", {"a", "b"}, "open a with b"},
      {"open %1 with %2", {"doc %2 %1", "prog"}, "open doc %2 %1 with prog"},
      {"%2 then %1", {"one", "two"}, "two then one"},
      {"%1 and %3", {"one"}, "one and %3"},
      {"100% sure %", {"x"}, "100% sure %"},
      {"[%1]", {"Notepad~^Open~Cancel"}, "[Notepad??Open?Cancel]"},
      {"[%1]", {"line\rbreak\x1B[2J\x7F"}, "[line?break?[2J?]"},
      {"[%1]", {long_name}, "[" + std::string(kMaxShownName, 'x') + "...]"},
  };
  for (const auto& c : cases) EXPECT_EQ(FillNames(c.message, c.names), c.filled) << c.message;
}

TEST_F(AlertsTest, NamesFromAStackCannotRewriteTheLaunchQuestion) {
  // Return takes the default button.
  presenter.SetResponder([](const AlertRequest& r) { return r.default_button; });
  EXPECT_EQ(alerts.AskWithNames(strid::kConfirmLaunch, {"notes.txt", "Notepad~^Open~Cancel"}, 1),
            2);
  ASSERT_EQ(shown().size(), 1u);
  const AlertRequest& r = shown()[0];
  EXPECT_EQ(r.id, strid::kConfirmLaunch);
  EXPECT_EQ(r.buttons, (std::vector<std::string>{"Open", "Cancel"}));
  EXPECT_EQ(r.default_button, 1);
  EXPECT_EQ(r.cancel_button, 1);
  EXPECT_EQ(r.text,
            "This stack asks to open \"notes.txt\" with \"Notepad??Open?Cancel\". Open it only "
            "when you trust the stack.");
  // Unanswered (the responder's own choice): Cancel.
  presenter.SetResponder(nullptr);
  EXPECT_EQ(alerts.AskWithNames(strid::kConfirmLaunch, {"a", "b"}, 1), 2);
}

TEST(StringTable, EveryAlertStringParsesAndLabelsLoad) {
  for (int id = 2200; id < 2700; ++id) {
    auto text = FindString(id);
    if (!text || (id >= 2502 && id <= 2521)) continue;
    if (id == 2408) continue;  // a prompt, not an alert
    AlertSpec spec;
    EXPECT_TRUE(ParseAlertString(*text, spec)) << id;
    EXPECT_GE((*text)[0], '0') << id;
  }
  EXPECT_EQ(LoadLocalizedString(strid::kTransitionTopToBottom), "Top to bottom");
  EXPECT_EQ(LoadLocalizedString(2776), "Fade to button color");
  EXPECT_EQ(LoadLocalizedString(2035), "Click on stack action");
  char small[6];
  EXPECT_EQ(LoadLocalizedString(strid::kUntitled, small, sizeof small), 5u);
  EXPECT_STREQ(small, "Untit");
  EXPECT_EQ(LoadLocalizedString(1038, small, sizeof small), 0u);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(PlayerMenuItems().front().command, MenuCommand::kNewStack);
}

}  // namespace
}  // namespace corvida
