#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/test_support.h"

namespace corvida {
namespace {

TEST(HeadlessWindows, TimersFireOnTheVirtualClockWithoutSleeping) {
  testing::TestPlatform tp;
  auto& windows = tp.platform->headless_windows();
  auto& clock = tp.platform->virtual_clock();
  WindowId w = windows.CreateWindow("player", {512, 342});
  windows.SetTimer(w, 1, 55);
  Message m;
  ASSERT_TRUE(windows.WaitMessage(m, 0xFFFFFFFFu));
  EXPECT_EQ(m.message, msg::kTimer);
  EXPECT_EQ(m.wParam, 1u);
  EXPECT_EQ(clock.Milliseconds(), 55u);
  ASSERT_TRUE(windows.WaitMessage(m, 0xFFFFFFFFu));
  EXPECT_EQ(clock.Milliseconds(), 110u);
  // A bounded wait shorter than the next deadline times out and moves the clock.
  EXPECT_FALSE(windows.WaitMessage(m, 20));
  EXPECT_EQ(clock.Milliseconds(), 130u);
  windows.KillTimer(w, 1);
  EXPECT_FALSE(windows.WaitMessage(m, 0xFFFFFFFFu));  // nothing can arrive: no hang
}

TEST(HeadlessWindows, QueuedInputComesBeforeTimersAndPaintsCoalesce) {
  testing::TestPlatform tp;
  auto& windows = tp.platform->headless_windows();
  WindowId w = windows.CreateWindow("player", {100, 100});
  windows.SetTimer(w, 1, 10);
  tp.platform->virtual_clock().Advance(50);
  windows.PostMessage({w, msg::kLButtonDown, mk::kLButton, MakePointParam(-3, 7)});
  windows.Invalidate(w, nullptr);
  windows.Invalidate(w, nullptr);
  Message m;
  ASSERT_TRUE(windows.WaitMessage(m, 0));
  EXPECT_EQ(m.message, msg::kLButtonDown);
  EXPECT_EQ(ParamX(m.lParam), -3);
  EXPECT_EQ(ParamY(m.lParam), 7);
  ASSERT_TRUE(windows.WaitMessage(m, 0));
  EXPECT_EQ(m.message, msg::kPaint);
  ASSERT_TRUE(windows.WaitMessage(m, 0));
  EXPECT_EQ(m.message, msg::kTimer);
}

TEST(HeadlessWindows, ScheduledInputArrivesWhenTheClockReachesIt) {
  testing::TestPlatform tp;
  auto& windows = tp.platform->headless_windows();
  auto& clock = tp.platform->virtual_clock();
  WindowId w = windows.CreateWindow("player", {100, 100});
  windows.SetTimer(w, 1, 55);
  windows.PostMessageAt({w, msg::kKeyUp, vk::kEscape, 0, 0}, 130);
  windows.PostMessageAt({w, msg::kKeyDown, vk::kEscape, 0, 0}, 120);
  EXPECT_FALSE(windows.TakeThroughKey(vk::kEscape));  // not yet pressed
  Message m;
  // The waits jump to the timers and then to the key, in the order of their moments.
  std::vector<std::pair<uint32_t, uint32_t>> seen;
  while (seen.size() < 4 && windows.WaitMessage(m, 1000))
    seen.push_back({m.message, clock.Milliseconds()});
  EXPECT_EQ(seen,
            (std::vector<std::pair<uint32_t, uint32_t>>{
                {msg::kTimer, 55}, {msg::kTimer, 110}, {msg::kKeyDown, 120}, {msg::kKeyUp, 130}}));
  // A key due by now is seen by the interrupt check without a wait.
  windows.PostMessageAt({w, msg::kKeyDown, vk::kEscape, 0, 0}, 140);
  EXPECT_FALSE(windows.TakeThroughKey(vk::kEscape));
  clock.Advance(10);
  EXPECT_TRUE(windows.TakeThroughKey(vk::kEscape));
}

TEST(HeadlessAlerts, RecordsAndAnswersWithTheDefaultUnlessTold) {
  testing::TestPlatform tp;
  auto& responder = tp.platform->responder();
  AlertRequest r;
  r.id = 2396;
  r.text = "damaged";
  r.buttons = {"Cancel", "OK"};
  r.default_button = 1;
  EXPECT_EQ(responder.ShowAlert(r), 1);
  responder.SetResponder([](const AlertRequest&) { return 7; });
  EXPECT_EQ(responder.ShowAlert(r), 1);  // clamped to the buttons there are
  responder.SetResponder([](const AlertRequest&) { return 0; });
  EXPECT_EQ(responder.ShowAlert(r), 0);
  ASSERT_EQ(responder.shown().size(), 3u);
  EXPECT_EQ(responder.shown()[0].id, 2396);
}

}  // namespace
}  // namespace corvida
