#include "engine/timers.h"

#include <gtest/gtest.h>

#include <vector>

#include "stackfile/actions.h"
#include "stackfile/records_access.h"
#include "stackfile/resources.h"
#include "tests/engine/card_fixture.h"

namespace corvida {
namespace {

struct Fired {
  uint32_t source;
  uint16_t id;
  uint32_t at;
  friend bool operator==(const Fired&, const Fired&) = default;
};

// Drives the table one timer tick (61 clock ticks) at a time and records what fires.
struct TimerRun {
  TimerTable table;
  uint32_t now = 1000;
  std::vector<Fired> fired;

  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      now += kTimerMinTicks;
      table.Tick(now, true, true, [&](uint32_t source, uint16_t id) {
        fired.push_back({source, id, now});
      });
    }
  }
  std::vector<int> FiredAtTicks(uint16_t id, uint32_t start) const {
    std::vector<int> ticks;
    for (const Fired& f : fired)
      if (f.id == id) ticks.push_back(static_cast<int>((f.at - start) / kTimerMinTicks));
    return ticks;
  }
};

TEST(Timers, OnceFiresOnceAndRepeatingFiresEveryCount) {
  TimerRun run;
  run.table.Clear(run.now);
  uint32_t start = run.now;
  EXPECT_TRUE(run.table.Add(1, kTimerFromButton, 0, kTimerModeOnce));
  EXPECT_TRUE(run.table.Add(2, kTimerFromBlock, 3, kTimerModeRepeat));
  EXPECT_FALSE(run.table.Add(3, kTimerFromBlock, 3, kTimerModeNone));
  run.Ticks(9);
  EXPECT_EQ(run.FiredAtTicks(1, start), (std::vector<int>{1}));
  EXPECT_EQ(run.FiredAtTicks(2, start), (std::vector<int>{3, 6, 9}));
  EXPECT_EQ(run.fired[0].source, kTimerFromButton);
  EXPECT_EQ(run.fired[1].source, kTimerFromBlock);
  EXPECT_EQ(run.table.active(), 1);
}

TEST(Timers, SpacedBySixtyOneTicksAndOnlyWhenEnabledInBrowseMode) {
  TimerTable table;
  table.Clear(0);
  table.Add(5, kTimerFromButton, 0, kTimerModeRepeat);
  int runs = 0;
  auto fire = [&](uint32_t, uint16_t) { ++runs; };
  table.Tick(60, true, true, fire);
  EXPECT_EQ(runs, 0);
  table.Tick(61, false, true, fire);  // timers switched off in the stack
  table.Tick(61, true, false, fire);  // another tool
  EXPECT_EQ(runs, 0);
  table.Tick(61, true, true, fire);
  table.Tick(100, true, true, fire);
  EXPECT_EQ(runs, 1);
  table.Tick(122, true, true, fire);
  EXPECT_EQ(runs, 2);
  // The spacing holds across the clock wrapping around.
  table.Clear(0xFFFFFFF0u);
  table.Add(5, kTimerFromButton, 0, kTimerModeOnce);
  table.Tick(10, true, true, fire);
  EXPECT_EQ(runs, 2);
  table.Tick(60, true, true, fire);
  EXPECT_EQ(runs, 3);
}

TEST(Timers, ARunThatRearmsDropsTheOldSlots) {
  TimerTable table;
  table.Clear(0);
  table.Add(1, kTimerFromButton, 0, kTimerModeOnce);
  table.Add(2, kTimerFromButton, 0, kTimerModeOnce);
  std::vector<uint16_t> ran;
  table.Tick(61, true, true, [&](uint32_t, uint16_t id) {
    ran.push_back(id);
    table.Clear(61);  // the button moved to another card, whose arming clears the table
    table.Add(9, kTimerFromButton, 0, kTimerModeOnce);
  });
  EXPECT_EQ(ran, std::vector<uint16_t>{1});
  EXPECT_EQ(table.active(), 1);
  EXPECT_EQ(table.slots()[0].id, 9u);
}

class ArmingTimers : public testing::CardFixture {
 protected:
  RecordBytes TimedBlock(uint16_t id, uint16_t count, uint16_t mode) {
    RecordBytes b = NewObject(object::kButton, id, {0, 0, 10, 10}, 0, button::kEntries);
    Put16(&b[button::kTimerCount], count);
    Put16(&b[button::kTimerMode], mode);
    return b;
  }
  RecordBytes TimedButton(uint16_t id, uint16_t count, uint16_t mode) {
    testing::ButtonSpec spec;
    spec.id = id;
    RecordBytes b = testing::ButtonRecord(spec);
    Put16(&b[button::kTimerCount], count);
    Put16(&b[button::kTimerMode], mode);
    return b;
  }
};

TEST_F(ArmingTimers, CardStackThenObjectsInOrderUpToTwenty) {
  AddResource(restype::kActn, 100, TimedBlock(100, 2, kTimerModeOnce));  // card click action
  AddResource(restype::kActn, 101, TimedBlock(101, 0, kTimerModeNone));  // no timer
  AddResource(restype::kActn, 102, TimedBlock(102, 4, kTimerModeRepeat));
  stack.SetHeader16(header::kClickAction, 102);
  std::vector<RecordBytes> objects;
  RecordBytes graphic = testing::GraphicRecord(50, {0, 0, 5, 5});
  Put16(&graphic[graphic::kActionId], 101);
  objects.push_back(graphic);
  for (uint16_t id = 1; id <= 20; ++id) objects.push_back(TimedButton(id, id, kTimerModeOnce));
  Handle card = AddCard(7, card::kKindCard, 0, objects);
  Put16(handles.Lock(card) + card::kClickAction, 100);
  handles.Unlock(card);

  TimerTable table;
  ArmTimers(table, stack, handles, card, 0);
  const auto& s = table.slots();
  EXPECT_EQ(table.active(), kTimerSlots);
  EXPECT_EQ(s[0].id, 100u);
  EXPECT_EQ(s[0].source, kTimerFromBlock);
  EXPECT_EQ(s[0].counter, 2u);
  EXPECT_EQ(s[1].id, 102u);
  EXPECT_EQ(s[1].repeat, 1u);
  EXPECT_EQ(s[2].id, 1u);
  EXPECT_EQ(s[2].source, kTimerFromButton);
  EXPECT_EQ(s[19].id, 18u);  // buttons 19 and 20 find no slot
}

}  // namespace
}  // namespace corvida
