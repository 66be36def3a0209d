// Stream intake: streams written to cache files and delivered, streams served from the
// cache, failed streams, and the requests a stack makes for further files.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "plugin/streams.h"
#include "support/test_support.h"

namespace corvida::plugin {
namespace {

using testing::TempDir;

// Records what the intake asked of the player and of the browser.
class RecordingTarget : public DownloadTarget, public UrlRequester {
 public:
  bool HasWindow() const override { return window; }
  bool PutInSlot(int slot, const std::string& path) override {
    events.push_back("slot " + std::to_string(slot));
    slot_path = path;
    return true;
  }
  bool OpenDownloadedStack(const std::string& path, const std::string& url) override {
    events.push_back("open " + url);
    opened_path = path;
    return opens;
  }
  void RerunButton(uint16_t id, uint32_t action) override {
    events.push_back("button " + std::to_string(id) + " " + std::to_string(action));
  }
  void RunActionBlock(uint16_t block, const std::string& name) override {
    events.push_back("block " + std::to_string(block) + " " + name);
  }
  void LoadIntoObject(uint32_t object, const std::string& path) override {
    events.push_back("load " + std::to_string(object) + " " + ReadText(path));
  }
  void Repaint() override {}
  void GetUrl(const std::string& url) override { events.push_back("get " + url); }

  static std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes;
    ReadFileUpTo(path, 1000, bytes);
    return std::string(bytes.begin(), bytes.end());
  }

  bool window = true;
  bool opens = true;
  std::vector<std::string> events;
  std::string slot_path, opened_path;
};

class StreamsTest : public ::testing::Test {
 protected:
  // A whole stream: new, the bytes in blocks of `block`, end.
  void Send(const std::string& url, const std::string& bytes, uint32_t modified = 1,
            size_t block = 4) {
    StreamInfo s{url, uint32_t(bytes.size()), modified, ""};
    ASSERT_EQ(intake.NewStream(s), 0);
    for (size_t at = 0; at < bytes.size(); at += block) {
      const auto* data = reinterpret_cast<const uint8_t*>(bytes.data()) + at;
      const size_t n = std::min(block, bytes.size() - at);
      if (intake.Write(s, {data, n}) < 0) break;
    }
    intake.DestroyStream(s);
  }
  std::vector<std::string> TakeEvents() { return std::exchange(target.events, {}); }

  TempDir dir;
  DownloadCache cache{dir.path()};
  NoPinnedFiles pins;
  RecordingTarget target;
  StreamIntake intake{cache, pins, target, target};
};

TEST_F(StreamsTest, AStackStreamIsWrittenHandedOverAndOpened) {
  Send("http://h/s/Game.STK", "stack bytes");
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 1", "open http://h/s/Game.STK"}));
  EXPECT_EQ(RecordingTarget::ReadText(target.opened_path), "stack bytes");
  EXPECT_EQ(target.opened_path.substr(target.opened_path.size() - 4), ".STK");
  EXPECT_EQ(intake.base_url(), "http://h/s/Game.STK");
  ASSERT_EQ(cache.count(), 1);
  EXPECT_TRUE(cache.Complete(0));
  EXPECT_FALSE(intake.file_open());
}

TEST_F(StreamsTest, TheStackTypeMakesAStackWhateverTheUrl) {
  StreamInfo s{"http://h/get?id=3", 3, 1, "application/corvida"};
  ASSERT_EQ(intake.NewStream(s), 0);
  EXPECT_EQ(intake.Write(s, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("abc"), 3)),
            3);
  intake.DestroyStream(s);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 1", "open http://h/get?id=3"}));
}

TEST_F(StreamsTest, DataOfAnotherStreamIsRefusedAndItsEndIgnored) {
  StreamInfo first{"http://h/a.stk", 4, 1, ""};
  StreamInfo other{"http://h/b.bmp", 4, 1, ""};
  const uint8_t bytes[] = {1, 2, 3, 4};
  intake.NewStream(first);
  EXPECT_EQ(intake.Write(other, bytes), 0);
  EXPECT_EQ(intake.DestroyStream(other), 0);
  EXPECT_TRUE(intake.file_open());
  EXPECT_EQ(intake.Write(first, bytes), 4);
  intake.DestroyStream(first);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 1", "open http://h/a.stk"}));
}

TEST_F(StreamsTest, AStreamSeenAgainIsServedFromTheCacheAtItsFirstBlock) {
  Send("http://h/a.stk", "cached");
  const std::string first_path = target.opened_path;
  TakeEvents();
  StreamInfo again{"http://h/a.stk", 6, 1, ""};
  ASSERT_EQ(intake.NewStream(again), 0);
  const uint8_t bytes[] = {9, 9};
  EXPECT_EQ(intake.Write(again, bytes), -1);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 1", "open http://h/a.stk"}));
  EXPECT_EQ(target.opened_path, first_path);
  EXPECT_EQ(cache.count(), 1);
  EXPECT_EQ(cache.UseStamp(0), 2);

  // A newer file is fetched again.
  Send("http://h/a.stk", "newer", 2);
  EXPECT_EQ(RecordingTarget::ReadText(target.opened_path), "newer");
  EXPECT_FALSE(FileExists(first_path));
}

// A page that is reloaded (its player never shut down) finds the stack it already has.
TEST_F(StreamsTest, AReloadedPageIsServedFromTheCacheItsLastLoadLeft) {
  Send("http://h/a.stk", "cached");
  const std::string first_path = target.opened_path;
  DownloadCache reloaded_cache(dir.path());
  reloaded_cache.LoadIndex();
  RecordingTarget reloaded;
  StreamIntake reloaded_intake(reloaded_cache, pins, reloaded, reloaded);
  StreamInfo again{"http://h/a.stk", 6, 1, ""};
  ASSERT_EQ(reloaded_intake.NewStream(again), 0);
  const uint8_t bytes[] = {9, 9};
  EXPECT_EQ(reloaded_intake.Write(again, bytes), -1);
  EXPECT_EQ(reloaded.events, (std::vector<std::string>{"slot 1", "open http://h/a.stk"}));
  EXPECT_EQ(reloaded.opened_path, first_path);
}

TEST_F(StreamsTest, ACacheHitBeforeTheWindowIsDeliveredWhenTheWindowComes) {
  Send("http://h/a.stk", "cached");
  TakeEvents();
  target.window = false;
  StreamInfo again{"http://h/a.stk", 6, 1, ""};
  intake.NewStream(again);
  const uint8_t bytes[] = {9};
  EXPECT_EQ(intake.Write(again, bytes), -1);
  EXPECT_EQ(intake.DestroyStream(again), 0);
  EXPECT_TRUE(intake.stack_waiting());
  EXPECT_TRUE(TakeEvents().empty());
  target.window = true;
  intake.WindowArrived();
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 1", "open http://h/a.stk"}));
  EXPECT_FALSE(intake.stack_waiting());
}

TEST_F(StreamsTest, AStreamThatEndsEarlyLeavesNothingAndTheNextRequestGoesOut) {
  Send("http://h/s/main.stk", "stack");
  intake.SetWaitingObject(77);
  EXPECT_EQ(intake.RequestFile("C:\\x\\one.txt", 3), 0);
  intake.SetWaitingObject(78);
  EXPECT_EQ(intake.RequestFile("C:\\x\\two.txt", 4), 0);
  TakeEvents();

  StreamInfo one{"http://h/s/one.txt", 100, 1, ""};
  intake.NewStream(one);
  const uint8_t bytes[] = {'a', 'b'};
  EXPECT_EQ(intake.Write(one, bytes), 2);
  intake.DestroyStream(one);
  EXPECT_EQ(cache.Find("http://h/s/one.txt"), -1);
  EXPECT_EQ(ListDirectory(dir.path()).size(), 2u) << "only the stack's file and the index";
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"get http://h/s/two.txt"}));
  EXPECT_EQ(intake.target_slot(), 4);

  // More bytes than announced end the stream too.
  StreamInfo two{"http://h/s/two.txt", 1, 1, ""};
  intake.NewStream(two);
  EXPECT_EQ(intake.Write(two, bytes), -1);
  EXPECT_EQ(cache.Find("http://h/s/two.txt"), -1);
  EXPECT_TRUE(intake.queue().empty());
}

// A stack stream that fails is told with its reason (a page shows it); a failed stream
// of any other file is not, and a stack that arrives whole is not.
TEST_F(StreamsTest, AFailedStackStreamIsToldWithItsReason) {
  std::vector<std::string> told;
  intake.set_stack_failure([&](const std::string& url, const std::string& reason) {
    told.push_back(url + ": " + reason);
  });
  struct Case {
    const char* url;
    uint32_t announced;  // 0: unknown length
    uint64_t sent;
    bool broken;
    const char* told;  // "" when nothing is
  } cases[] = {
      {"http://h/a.stk", 8, 8, false, ""},
      {"http://h/b.stk", 8, 5, false, "http://h/b.stk: the stream ended after 5 of its 8 bytes"},
      {"http://h/c.stk", 8, 12, false,
       "http://h/c.stk: the server sent more than the 8 bytes it announced"},
      {"http://h/d.stk", 0, StreamIntake::kStreamByteLimit + 1, false,
       "http://h/d.stk: it is larger than the 15000000 bytes the player takes from a stream of "
       "unknown length"},
      {"http://h/e.stk", 0, 6, true, "http://h/e.stk: the download broke off after 6 bytes"},
      {"http://h/f.txt", 8, 5, false, ""},  // not a stack
  };
  for (const Case& c : cases) {
    told.clear();
    StreamInfo s{c.url, c.announced, 1, ""};
    ASSERT_EQ(intake.NewStream(s), 0);
    const std::vector<uint8_t> block(1 << 20, 'x');
    for (uint64_t at = 0; at < c.sent;) {
      const size_t n = size_t(std::min<uint64_t>(block.size(), c.sent - at));
      if (intake.Write(s, {block.data(), n}) < 0) break;
      at += n;
    }
    intake.DestroyStream(s, c.broken);
    EXPECT_EQ(told, c.told[0] ? std::vector<std::string>{c.told} : std::vector<std::string>{})
        << c.url;
  }
}

TEST_F(StreamsTest, RequestsGoOutOneAtATimeAndActWhenTheirFileArrives) {
  Send("http://h/s/main.stk", "stack");
  TakeEvents();
  intake.SetWaitingObject(5);
  EXPECT_EQ(intake.RequestFile("C:\\STACKS\\Pic 1.bmp", 4), 0);
  intake.SetButtonRequest(12, 0x10002);
  EXPECT_EQ(intake.RequestFile("C:\\STACKS\\b.txt", 6), 0);
  intake.SetActionRequest(300, "Door");
  EXPECT_EQ(intake.RequestFile("C:\\STACKS\\c.txt", 8), 0);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"get http://h/s/Pic%201.bmp"}));
  EXPECT_EQ(intake.queue().count(), 3);

  Send("http://h/s/Pic%201.bmp", "picture");
  EXPECT_EQ(TakeEvents(),
            (std::vector<std::string>{"slot 4", "load 5 picture", "get http://h/s/b.txt"}));
  Send("http://h/s/b.txt", "b");
  EXPECT_EQ(TakeEvents(),
            (std::vector<std::string>{"slot 6", "button 12 65538", "get http://h/s/c.txt"}));
  Send("http://h/s/c.txt", "c");
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 8", "block 300 Door"}));
  EXPECT_TRUE(intake.queue().empty());

  // Already here: handed over at once.
  EXPECT_EQ(intake.RequestFile("C:\\STACKS\\c.txt", 9), 1);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 9"}));
}

TEST_F(StreamsTest, AStackRequestEmptiesTheQueueAndGoesOutAtOnce) {
  Send("http://h/s/main.stk", "stack");
  intake.SetWaitingObject(5);
  intake.RequestFile("C:\\a.bmp", 4);
  intake.SetWaitingObject(6);
  intake.RequestFile("C:\\b.bmp", 4);
  TakeEvents();
  EXPECT_EQ(intake.RequestFile("C:\\next.stk", 1), 0);
  EXPECT_TRUE(intake.queue().empty());
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"get http://h/s/next.stk"}));
  Send("http://h/s/next.stk", "second");
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 1", "open http://h/s/next.stk"}));
}

TEST_F(StreamsTest, RequestsWithoutAUrlOrRoomAreFileErrors) {
  EXPECT_EQ(intake.RequestFile("C:\\a.bmp", 4), -1) << "no stack yet";
  Send("http://h/s/main.stk", "stack");
  EXPECT_EQ(intake.RequestFile("C:\\", 4), -1);
  EXPECT_EQ(intake.RequestFile("C:\\a\x01.bmp", 4), -1);
  EXPECT_EQ(intake.RequestFile("C:\\" + std::string(250, 'n') + ".bmp", 4), -1);
  for (int i = 0; i < RequestQueue::kLimit; ++i)
    EXPECT_EQ(intake.RequestFile("C:\\p" + std::to_string(i) + ".bmp", 4), 0);
  EXPECT_EQ(intake.RequestFile("C:\\one-more.bmp", 4), -1);
}

TEST_F(StreamsTest, AStackThatCannotBeOpenedIsForgotten) {
  target.opens = false;
  Send("http://h/bad.stk", "not a stack");
  EXPECT_EQ(cache.count(), 0);
  EXPECT_FALSE(FileExists(target.opened_path));
}

TEST_F(StreamsTest, AFileTheCacheHasNoRoomForStillServesOnce) {
  class AllPinned : public PinnedFiles {
   public:
    bool IsPinned(const std::string&) const override { return true; }
  } all;
  for (int i = 0; i < kCacheEntryLimit; ++i) {
    std::string path;
    File f = cache.CreateFile("http://h/f", path);
    cache.Add("http://h/f" + std::to_string(i), path, 1, 1, all);
  }
  StreamIntake pinned_intake(cache, all, target, target);
  StreamInfo s{"http://h/x.stk", 2, 1, ""};
  pinned_intake.NewStream(s);
  const uint8_t bytes[] = {1, 2};
  pinned_intake.Write(s, bytes);
  pinned_intake.DestroyStream(s);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 1", "open http://h/x.stk"}));
  EXPECT_EQ(cache.Find("http://h/x.stk"), -1);
  EXPECT_TRUE(FileExists(target.opened_path));
}

// Streams the browser breaks off, URLs it cannot fetch and requests made while a stream
// is under way: none of them may stall the requests behind them or leave a file that
// looks complete.
TEST_F(StreamsTest, BrokenStreamsAndFailedUrlsGiveWayToTheNextRequest) {
  Send("http://h/s/main.stk", "stack");
  for (uint32_t object : {1u, 2u, 3u}) {
    intake.SetWaitingObject(object);
    intake.RequestFile("C:\\p" + std::to_string(object) + ".txt", 4);
  }
  TakeEvents();
  // Of unknown length, broken off after some bytes: not complete, not cached.
  StreamInfo one{"http://h/s/p1.txt", 0, 1, ""};
  intake.NewStream(one);
  const uint8_t bytes[] = {'a', 'b'};
  EXPECT_EQ(intake.Write(one, bytes), 2);
  intake.DestroyStream(one, true);
  EXPECT_EQ(cache.Find("http://h/s/p1.txt"), -1);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"get http://h/s/p2.txt"}));
  // Never sent at all.
  intake.UrlFailed("http://h/s/other.txt");
  EXPECT_TRUE(TakeEvents().empty()) << "only the head's URL moves the queue";
  intake.UrlFailed("http://h/s/p2.txt");
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"get http://h/s/p3.txt"}));
  Send("http://h/s/p3.txt", "three");
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 4", "load 3 three"}));
}

// A stream whose file cannot be made (the cache's folder went, the disk is full) delivers
// nothing, and its end lets the next request go out instead of holding up every one.
TEST_F(StreamsTest, AStreamWithoutAFileGivesWayToTheNextRequest) {
  DownloadCache unwritable(dir.path() + "/gone");
  StreamIntake stuck(unwritable, pins, target, target);
  const StreamInfo stack{"http://h/s/main.stk", 5, 1, ""};
  EXPECT_EQ(stuck.NewStream(stack), 1);
  stuck.DestroyStream(stack);
  for (uint32_t object : {1u, 2u}) {
    stuck.SetWaitingObject(object);
    stuck.RequestFile("C:\\p" + std::to_string(object) + ".txt", 4);
  }
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"get http://h/s/p1.txt"}));
  const StreamInfo one{"http://h/s/p1.txt", 2, 1, ""};
  EXPECT_EQ(stuck.NewStream(one), 1);
  const uint8_t bytes[] = {'a', 'b'};
  EXPECT_EQ(stuck.Write(one, bytes), 2) << "dropped";
  stuck.DestroyStream(one);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"get http://h/s/p2.txt"}));
  EXPECT_EQ(stuck.queue().count(), 1);
}

TEST_F(StreamsTest, ARequestWhileAFileArrivesLetsItArriveAndWaitsItsTurn) {
  Send("http://h/s/main.stk", "stack");
  intake.SetWaitingObject(1);
  intake.RequestFile("C:\\a.txt", 4);
  TakeEvents();
  StreamInfo a{"http://h/s/a.txt", 4, 1, ""};
  intake.NewStream(a);
  const uint8_t bytes[] = {'a', 'a'};
  intake.Write(a, bytes);
  // The card is drawn again meanwhile: the same object asks once, another one waits.
  intake.SetWaitingObject(1);
  EXPECT_EQ(intake.RequestFile("C:\\a.txt", 4), 0);
  intake.SetWaitingObject(2);
  EXPECT_EQ(intake.RequestFile("C:\\b.txt", 5), 0);
  EXPECT_EQ(intake.queue().count(), 2);
  EXPECT_TRUE(intake.file_open());
  intake.Write(a, bytes);
  intake.DestroyStream(a);
  EXPECT_EQ(TakeEvents(),
            (std::vector<std::string>{"slot 4", "load 1 aaaa", "get http://h/s/b.txt"}));
}

TEST_F(StreamsTest, AFileAlreadyHereIsHandedOverWithoutAsking) {
  EXPECT_EQ(intake.FileHere("C:\\pic.png", 9), "") << "no stack yet";
  Send("http://h/s/main.stk", "stack");
  Send("http://h/s/pic.png", "png");
  TakeEvents();
  const std::string path = intake.FileHere("C:\\Art\\pic.png", 9);
  EXPECT_EQ(RecordingTarget::ReadText(path), "png");
  EXPECT_EQ(intake.FileHere("C:\\other.png", 9), "");
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"slot 9"}));
}

}  // namespace
}  // namespace corvida::plugin
