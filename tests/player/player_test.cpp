#include "player/player.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

TEST(Player, StartsFreshOnAFreshPlatform) {
  testing::TestPlatform tp;
  Player player(*tp.platform);
  EXPECT_EQ(player.handles.used(), 0u);
  EXPECT_EQ(player.handles.New(4), 1);
  EXPECT_EQ(player.prefs.path(), tp.platform->folders().config + "/CVPREFS.INI");
  EXPECT_FALSE(player.alerts.advanced_user());
  EXPECT_EQ(player.files.HostPath(FileSlots::kStack),
            tp.platform->folders().program + "/CORVIDA.EXE");
  // Alerts reach the platform's presenter.
  player.alerts.Alert(2223);
  ASSERT_EQ(tp.platform->responder().shown().size(), 1u);
  EXPECT_EQ(tp.platform->responder().shown()[0].text, "Sorry, I can't find that card.");
}

TEST(Player, TakesTheAdvancedUserFlagFromThePreferences) {
  testing::TestPlatform tp;
  Prefs(tp.platform->folders().config).WritePref("user", "AdvancedUser", "yes");
  Player player(*tp.platform);
  EXPECT_TRUE(player.alerts.advanced_user());
  EXPECT_EQ(player.alerts.ShowAlertEx(0, 2223, false, false, true), 52);
  EXPECT_TRUE(tp.platform->responder().shown().empty());
  // A second player is independent of the first.
  Player other(*tp.platform);
  EXPECT_EQ(other.handles.New(1), 1);
}

}  // namespace
}  // namespace corvida
