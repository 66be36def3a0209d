#include "engine/cursors.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

TEST(Cursors, OnlyTheTwentyThreeStackCursorIdsHaveSlots) {
  EXPECT_EQ(CursorSlot(28016), 0);
  EXPECT_EQ(CursorSlot(28032), 1);
  EXPECT_EQ(CursorSlot(28368), 22);
  EXPECT_EQ(CursorSlot(28384), -1);  // would lie beyond the cache
  EXPECT_EQ(CursorSlot(28000), -1);
  EXPECT_EQ(CursorSlot(28017), -1);
  EXPECT_EQ(CursorSlot(0), -1);
  EXPECT_EQ(CursorSlot(65535), -1);
}

}  // namespace
}  // namespace corvida
