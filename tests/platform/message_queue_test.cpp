// The message queue both window systems share: queued messages before timers, one timer
// message however late, the two rhythms, and peeking by window and range.
#include "platform/message_queue.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

TEST(MessageQueue, QueuedMessagesComeFirstAndALateTimerFiresOnce) {
  VirtualClock clock;
  MessageQueue q(clock, MessageQueue::Rhythm::kFromNow);
  q.SetTimer(1, 7, 55);
  q.Post({1, msg::kChar, 'a', 0, 0});
  clock.Advance(200);  // more than three periods late
  Message m;
  ASSERT_TRUE(q.TakeQueued(m));
  EXPECT_EQ(m.message, msg::kChar);
  EXPECT_EQ(m.time, 0u);  // stamped when posted, at time 0
  ASSERT_TRUE(q.TakeDueTimer(m));
  EXPECT_EQ(m.message, msg::kTimer);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(q.TakeDueTimer(m));
  EXPECT_EQ(q.UntilNextTimer(), 55u);
  q.KillTimer(1, 7);
  EXPECT_EQ(q.UntilNextTimer(), MessageQueue::kForever);
}

TEST(MessageQueue, AKeptRhythmIsNotSlowedByWakingLate) {
  VirtualClock clock;
  MessageQueue q(clock, MessageQueue::Rhythm::kKeepRhythm);
  q.SetTimer(1, 1, 100);
  Message m;
  clock.Set(110);
  ASSERT_TRUE(q.TakeDueTimer(m));
  EXPECT_EQ(q.UntilNextTimer(), 90u);  // due at 200, not 210
  clock.Set(450);                      // over a period behind: starts again from now
  ASSERT_TRUE(q.TakeDueTimer(m));
  EXPECT_EQ(q.UntilNextTimer(), 100u);
}

TEST(MessageQueue, PeekFiltersByWindowAndRangeAndTakesThatWindowsTimer) {
  VirtualClock clock;
  MessageQueue q(clock, MessageQueue::Rhythm::kFromNow);
  q.SetTimer(1, 1, 10);
  q.SetTimer(2, 2, 20);
  q.Post({1, msg::kKeyDown, 65, 0, 5});
  clock.Set(30);
  Message m;
  EXPECT_FALSE(q.Peek(m, 2, msg::kKeyDown, msg::kKeyUp, true));
  ASSERT_TRUE(q.Peek(m, 1, msg::kKeyDown, msg::kKeyUp, false));
  EXPECT_EQ(q.size(), 1u);
  // Window 1's timer is the more overdue one, yet peeking for window 2 takes window 2's.
  ASSERT_TRUE(q.Peek(m, 2, 0, 0, true));
  EXPECT_EQ(m.window, 2u);
  EXPECT_EQ(m.wParam, 2u);
  ASSERT_TRUE(q.TakeDueTimer(m));
  EXPECT_EQ(m.window, 1u);
  q.Forget(1);
  EXPECT_EQ(q.size(), 0u);
  EXPECT_EQ(q.UntilNextTimer(), 20u);
}

}  // namespace
}  // namespace corvida
