// The handle manager's contract: a handle names its bytes until it is disposed, whatever
// else is allocated, moved or freed; a locked block never moves; running out of memory
// fails the one operation and changes nothing, and only the table and system-block
// failures are reported to the listener.
#include "base/handles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

namespace corvida {
namespace {

struct FailureLog : MemoryFailureListener {
  void TableCannotGrow() override { events.push_back("table"); }
  void SystemMemoryExhausted() override { events.push_back("memory"); }
  std::vector<std::string> events;
};

class HandlesTest : public ::testing::Test {
 protected:
  Handle Make(const std::string& bytes) {
    Handle h = handles.New(static_cast<uint32_t>(bytes.size()));
    EXPECT_NE(h, 0);
    if (h == 0) return 0;
    std::memcpy(handles.Lock(h), bytes.data(), bytes.size());
    handles.Unlock(h);
    return h;
  }
  std::string Bytes(Handle h) {
    LockedHandle locked(handles, h);
    return std::string(reinterpret_cast<const char*>(locked.data()), locked.size());
  }

  FailureLog failures;
  Handles handles{&failures};
};

TEST_F(HandlesTest, AHandleKeepsNamingItsBytesWhileOthersComeAndGo) {
  std::map<Handle, std::string> live;
  for (int i = 0; i < 1000; ++i) {
    std::string bytes = "block " + std::to_string(i);
    Handle h = Make(bytes);
    ASSERT_EQ(live.count(h), 0u) << "a live handle's number was handed out again";
    live[h] = bytes;
    if (i % 3 == 2) {  // free another one, and grow the new one so that it moves
      auto victim = live.begin()->first == h ? std::next(live.begin()) : live.begin();
      handles.Dispose(victim->first);
      live.erase(victim);
      const std::string more(200, 'x');
      ASSERT_EQ(handles.InsertBytes(h, more.data(), uint32_t(bytes.size()), 200), 0);
      live[h] += more;
    }
  }
  for (const auto& [h, bytes] : live) {
    EXPECT_EQ(handles.IsValid(h), 1);
    EXPECT_EQ(Bytes(h), bytes);
  }
  EXPECT_EQ(handles.used(), live.size());
}

TEST_F(HandlesTest, BlocksStartZeroFilledAndGrowWithZeros) {
  Handle h = handles.New(6);
  EXPECT_EQ(Bytes(h), std::string(6, '\0'));
  ASSERT_EQ(handles.SetSize(h, 300), 0);
  EXPECT_EQ(Bytes(h), std::string(300, '\0'));
  ASSERT_EQ(handles.SetSize(h, 0), 0);
  EXPECT_EQ(handles.GetSize(h), 0u);
  // Growing again shows zeros, not the bytes the block held before.
  Handle g = Make("abcdef");
  ASSERT_EQ(handles.SetSize(g, 2), 0);
  ASSERT_EQ(handles.SetSize(g, 6), 0);
  EXPECT_EQ(Bytes(g), std::string("ab\0\0\0\0", 6));
}

TEST_F(HandlesTest, AbsentHandlesAreHarmless) {
  for (Handle h : {0, -1, 1, 201, 100000}) {
    EXPECT_EQ(handles.Lock(h), nullptr);
    handles.Unlock(h);
    handles.Dispose(h);
    EXPECT_EQ(handles.GetSize(h), 0u);
    EXPECT_EQ(handles.SetSize(h, 4), -1);
    EXPECT_EQ(handles.IsValid(h), 0);
    EXPECT_EQ(handles.CopyBytes(h, 0, 0), 0);
    EXPECT_EQ(handles.InsertBytes(h, "x", 0, 1), -1);
  }
  Handle none = 0;
  handles.DisposeAndClear(&none);
  EXPECT_EQ(handles.used(), 0u);
}

TEST_F(HandlesTest, LockedBlocksNeverMoveAndDisposeFreesThem) {
  Handle h = handles.New(10);
  uint8_t* p = handles.Lock(h);
  handles.Lock(h);
  handles.Lock(h);
  EXPECT_EQ(handles.LockCount(h), 3u);
  // Growing past the block's room would move it: refused, handle unchanged.
  EXPECT_EQ(handles.SetSize(h, 100000), -1);
  EXPECT_EQ(handles.GetSize(h), 10u);
  // Growing within its room or shrinking works in place.
  EXPECT_EQ(handles.SetSize(h, 12), 0);
  EXPECT_EQ(handles.Lock(h), p);
  handles.Unlock(h);
  EXPECT_EQ(handles.SetSize(h, 1), 0);
  EXPECT_EQ(handles.Lock(h), p);
  handles.Unlock(h);
  handles.Dispose(h);
  EXPECT_EQ(handles.IsValid(h), 0);
  EXPECT_EQ(handles.live_system_blocks(), 0u);
}

TEST_F(HandlesTest, OversizedRequestsFailLikeExhaustedMemory) {
  EXPECT_EQ(handles.New(0xFFFFFFFFu), 0);  // size + 8 would wrap in 32 bits
  EXPECT_EQ(handles.New(Handles::kMaxRequest + 1), 0);
  Handle h = Make("abc");
  EXPECT_EQ(handles.SetSize(h, 0xFFFFFFF9u), -1);
  EXPECT_EQ(handles.InsertBytes(h, "x", 0, 0xFFFFFFFFu), -1);
  EXPECT_EQ(Bytes(h), "abc");
  EXPECT_TRUE(failures.events.empty());  // handle failures are the caller's to report
}

TEST_F(HandlesTest, AnExhaustedBudgetFailsEachOperationAndChangesNothing) {
  // Growth beyond a block's slack needs memory the budget no longer has.
  Handle h = Make("0123456789");
  Handle big = Make(std::string(4000, 'B'));
  handles.SetBudget(handles.bytes_allocated());
  struct Case {
    const char* what;
    int (*run)(Handles&, Handle h, Handle big);
  } cases[] = {
      {"new", [](Handles& m, Handle, Handle) { return m.New(100) == 0 ? -1 : 0; }},
      {"set size", [](Handles& m, Handle h, Handle) { return m.SetSize(h, 5000); }},
      {"insert",
       [](Handles& m, Handle h, Handle b) { return m.InsertBytes(h, m.Lock(b), 2, 4000); }},
      {"replace", [](Handles& m, Handle h, Handle b) { return m.ReplaceBytes(h, b, 0, 1); }},
      {"append", [](Handles& m, Handle h, Handle b) { return m.Append(b, h); }},
      {"copy", [](Handles& m, Handle h, Handle) { return m.CopyBytes(h, 0, 4) == 0 ? -1 : 0; }},
      {"duplicate", [](Handles& m, Handle h, Handle) { return m.Duplicate(&h); }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.run(handles, h, big), -1) << c.what;
    EXPECT_EQ(Bytes(h), "0123456789") << c.what;
  }
  handles.Unlock(big);
  EXPECT_TRUE(failures.events.empty());
  // Room again once something is freed.
  handles.Dispose(big);
  EXPECT_NE(handles.New(8), 0);
}

TEST_F(HandlesTest, OnlyTheTableAndSystemBlocksTellTheListener) {
  handles.SetMaxSlots(Handles::kTableGrowth);
  for (int i = 0; i < Handles::kTableGrowth; ++i) ASSERT_NE(handles.New(1), 0);
  const uint64_t bytes = handles.bytes_allocated();
  EXPECT_EQ(handles.New(1), 0);
  EXPECT_EQ(failures.events, std::vector<std::string>{"table"});
  EXPECT_EQ(handles.bytes_allocated(), bytes);  // the block made for it was freed

  handles.SetBudget(handles.bytes_allocated() + 64);
  EXPECT_EQ(handles.SystemBlockNew(1000), nullptr);
  EXPECT_EQ(failures.events, (std::vector<std::string>{"table", "memory"}));

  Handles quiet;  // without a listener failures are only results
  quiet.SetMaxSlots(Handles::kTableGrowth);
  for (int i = 0; i < Handles::kTableGrowth; ++i) ASSERT_NE(quiet.New(1), 0);
  EXPECT_EQ(quiet.New(1), 0);
}

TEST_F(HandlesTest, ByteRangesInsertDeleteAndReplace) {
  Handle h = Make("0123456789");
  EXPECT_EQ(handles.InsertBytes(h, "ab", 3, 2), 0);
  EXPECT_EQ(Bytes(h), "012ab3456789");
  EXPECT_EQ(handles.DeleteBytes(h, 0, 5), 0);
  EXPECT_EQ(Bytes(h), "3456789");
  EXPECT_EQ(handles.InsertBytes(h, "xy", 7, 2), 0);  // at the very end
  EXPECT_EQ(Bytes(h), "3456789xy");
  // Ranges outside the payload change nothing.
  EXPECT_EQ(handles.InsertBytes(h, "z", 10, 1), -1);
  EXPECT_EQ(handles.DeleteBytes(h, 5, 5), -1);
  EXPECT_EQ(handles.DeleteBytes(h, 0xFFFFFFFFu, 2), -1);
  EXPECT_EQ(Bytes(h), "3456789xy");

  Handle big = handles.New(100);
  Handle ten = Make("ABCDEFGHIJ");
  EXPECT_EQ(handles.ReplaceBytes(big, ten, 50, 4), 0);
  EXPECT_EQ(handles.GetSize(big), 106u);
  EXPECT_EQ(Bytes(big).substr(48, 14), std::string("\0\0ABCDEFGHIJ\0\0", 14));
  Handle two = Make("--");
  EXPECT_EQ(handles.ReplaceBytes(big, two, 50, 10), 0);  // shrinking replacement
  EXPECT_EQ(handles.GetSize(big), 98u);
  EXPECT_EQ(Bytes(big).substr(49, 4), std::string("\0--\0", 4));
  EXPECT_EQ(handles.ReplaceBytes(two, ten, 1, 2), -1);  // range past the end
}

TEST_F(HandlesTest, InsertingAHandleIntoItselfUsesItsOldBytes) {
  Handle h = Make("abc");
  EXPECT_EQ(handles.InsertHandle(h, h, 1, false), 0);
  EXPECT_EQ(Bytes(h), "aabcbc");
  EXPECT_EQ(handles.ReplaceBytes(h, h, 0, 1), 0);
  EXPECT_EQ(Bytes(h), "aabcbcabcbc");
  // A pointer into the handle's own payload as the source of an insert.
  const uint8_t* own = handles.Lock(h);
  handles.Unlock(h);
  EXPECT_EQ(handles.InsertBytes(h, own, 0, 11), 0);
  EXPECT_EQ(Bytes(h), "aabcbcabcbcaabcbcabcbc");
}

TEST_F(HandlesTest, PaddedInsertOfAnOddSourceInsertsAnEvenCount) {
  Handle dest = Make("xy");
  Handle five = Make("12345");
  EXPECT_EQ(handles.InsertHandle(dest, five, 1, true), 0);
  EXPECT_EQ(handles.GetSize(dest), 8u);
  EXPECT_EQ(Bytes(dest).substr(0, 6), "x12345");
  EXPECT_EQ(handles.Append(five, dest), 0);
  EXPECT_EQ(handles.GetSize(dest), 13u);
  EXPECT_EQ(Bytes(dest).substr(8), "12345");
}

TEST_F(HandlesTest, CopiesCutsDuplicatesAndComparisons) {
  Handle h = Make("hello world");
  Handle copy = handles.CopyBytes(h, 6, 5);
  EXPECT_EQ(Bytes(copy), "world");
  EXPECT_EQ(handles.CopyBytes(h, 6, 6), 0);
  Handle cut = handles.CutBytes(h, 0, 6);
  EXPECT_EQ(Bytes(cut), "hello ");
  EXPECT_EQ(Bytes(h), "world");
  EXPECT_EQ(handles.Equal(h, copy), 1);
  EXPECT_EQ(handles.Equal(h, cut), 0);
  Handle dup = h;
  EXPECT_EQ(handles.Duplicate(&dup), 0);
  EXPECT_NE(dup, h);
  EXPECT_EQ(handles.IsValid(h), 1);  // the original still belongs to the caller
  EXPECT_EQ(handles.Equal(h, dup), 1);
  Handle none = 0;
  EXPECT_EQ(handles.Duplicate(&none), -1);
  EXPECT_EQ(handles.Equal(0, 0), 0);
}

TEST_F(HandlesTest, SystemBlocksRoundTrip) {
  Handle h = Make("data");
  SystemBlock* block = handles.ToSystemBlock(h);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->size, 4u);
  Handle back = handles.FromSystemBlock(block);
  EXPECT_EQ(Bytes(back), "data");
  SystemBlock* dup = handles.SystemBlockDuplicate(block);
  EXPECT_EQ(std::memcmp(dup->data, "data", 4), 0);
  EXPECT_EQ(handles.SystemBlockRelease(dup), 1);
  EXPECT_EQ(handles.SystemBlockRelease(nullptr), 1);
  SystemBlock* locked = nullptr;
  uint8_t* p = handles.SystemBlockNewLocked(&locked, 16);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(locked->locks, 1u);
  handles.SystemBlockFree(locked, true);
  handles.SystemBlockFree(block, false);
  EXPECT_EQ(handles.FromSystemBlock(nullptr), 0);
  // A handle's own block stays with its handle.
  EXPECT_EQ(handles.SystemBlockRelease(handles.GetBlock(h)), 0);
  handles.SystemBlockFree(handles.GetBlock(h), false);
  EXPECT_EQ(Bytes(h), "data");
}

TEST_F(HandlesTest, DiscardedBlocksCannotBeLockedOrCopied) {
  Handle h = handles.NewWithFlags(memflags::kDiscardable, 8);
  SystemBlock* block = handles.GetBlock(h);
  handles.Lock(h);
  EXPECT_FALSE(handles.SystemBlockDiscard(block));  // locked
  handles.Unlock(h);
  EXPECT_TRUE(handles.SystemBlockDiscard(block));
  EXPECT_EQ(handles.IsPurged(h), 1);
  EXPECT_EQ(handles.Lock(h), nullptr);
  EXPECT_EQ(handles.FromSystemBlock(block), 0);
  EXPECT_EQ(handles.SetSize(h, 4), -1);
  handles.Dispose(h);
  EXPECT_FALSE(handles.SystemBlockDiscard(handles.GetBlock(handles.New(1))));  // not discardable
}

TEST(BlockMove, CopiesOverlappingRangesInEitherDirection) {
  char up[] = "abcdefgh";
  BlockMove(up, up + 2, 5);
  EXPECT_STREQ(up, "ababcdeh");
  char down[] = "abcdefgh";
  BlockMove(down + 2, down, 5);
  EXPECT_STREQ(down, "cdefgfgh");
  BlockFill(down, 'z', 3);
  BlockClear(down + 3, 0);
  EXPECT_STREQ(down, "zzzfgfgh");
}

}  // namespace
}  // namespace corvida
