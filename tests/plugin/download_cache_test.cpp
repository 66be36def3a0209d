// The download cache: its index file with the checks on what it reads back, eviction by
// count and by bytes, pinned files, hits by URL and last-modified, and forgetting files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>

#include "platform/bytes.h"
#include "platform/files.h"
#include "plugin/download_cache.h"
#include "support/test_support.h"

namespace corvida::plugin {
namespace {

using testing::TempDir;

class PinnedSet : public PinnedFiles {
 public:
  bool IsPinned(const std::string& path) const override { return paths.count(path) > 0; }
  std::set<std::string> paths;
};

// A change to a cache and the entries a fresh load of the index then finds.
struct IndexStep {
  const char* what;
  std::function<void()> change;
  std::vector<std::string> urls_then;  // "+" marks an entry complete
};

class DownloadCacheTest : public ::testing::Test {
 protected:
  // A complete entry with its file, as a finished stream leaves it.
  std::string AddComplete(const std::string& url, uint32_t size, uint32_t modified = 7) {
    std::string path;
    File file = cache.CreateFile(url, path);
    EXPECT_TRUE(file.is_open());
    const std::string bytes(size, 'x');
    file.Write(bytes.data(), bytes.size());
    EXPECT_TRUE(cache.Add(url, path, modified, size, pins));
    cache.AddWritten(path, size);
    cache.MarkComplete(path);
    return path;
  }
  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (int i = 0; i < cache.count(); ++i) urls.push_back(cache.Url(i));
    return urls;
  }

  TempDir dir;
  DownloadCache cache{dir.path()};
  PinnedSet pins;
};

TEST_F(DownloadCacheTest, NewFilesAreInsideTheFolderWithTheUrlsExtensionWhenItIsPlain) {
  const struct {
    const char* url;
    const char* suffix;
  } cases[] = {
      {"http://a/b/Game.STK", ".STK"}, {"http://a/b/pic.bmp?x=1", ".bmp"},
      {"http://a/b/readme", ".tmp"},   {"http://a/b/x.jpeg", ".tmp"},
      {"http://a/b/x.b$d", ".tmp"},    {"http://a/b.d/x", ".tmp"},
  };
  for (const auto& c : cases) {
    std::string path;
    File file = cache.CreateFile(c.url, path);
    ASSERT_TRUE(file.is_open()) << c.url;
    EXPECT_TRUE(cache.InsideFolder(path)) << path;
    EXPECT_EQ(PathFileName(path).substr(0, 3), "stk");
    EXPECT_EQ(path.substr(path.size() - 4), c.suffix) << c.url;
  }
}

TEST_F(DownloadCacheTest, HitNeedsTheSameLastModifiedACompleteEntryAndItsFile) {
  const std::string path = AddComplete("http://Host/a.stk", 10, 7);
  EXPECT_TRUE(cache.Lookup("HTTP://host/a.stk", 7, 10));
  EXPECT_FALSE(cache.Lookup("http://host/A.stk", 7, 10)) << "the path keeps its case";
  EXPECT_EQ(cache.count(), 1);
  EXPECT_FALSE(cache.Lookup("http://host/a.stk", 8, 10)) << "a newer file";
  EXPECT_EQ(cache.count(), 0);
  EXPECT_FALSE(FileExists(path));

  const std::string gone = AddComplete("http://host/b.stk", 10);
  DeleteFile(gone);
  EXPECT_FALSE(cache.Lookup("http://host/b.stk", 7, 10));
  EXPECT_EQ(cache.count(), 0);
}

// A stream is the cached file when its last-modified value is the cached one's and its
// length (when it announces one) the cached file's size; a copy from an earlier run
// needs a date the server gave (a server that never says when a file changed would
// otherwise get its first copy served for ever).
TEST_F(DownloadCacheTest, OnlyAStreamKnownToBeTheSameFileIsServedFromTheCache) {
  struct Row {
    uint32_t cached_modified, cached_size;
    bool earlier_run;
    uint32_t stream_modified, stream_length;
    bool hit;
  };
  const Row rows[] = {
      {7, 10, true, 7, 10, true},    // the same file
      {7, 10, true, 7, 0, true},     // no length announced
      {7, 10, true, 8, 10, false},   // changed since
      {7, 10, false, 7, 11, false},  // changed within the same second
      {0, 10, true, 0, 10, false},   // no date: an earlier run's copy may be old
      {0, 10, false, 0, 10, true},   // no date, but fetched in this run
  };
  for (const Row& row : rows) {
    const std::string path = AddComplete("http://h/a.stk", row.cached_size, row.cached_modified);
    DownloadCache reloaded(dir.path());
    reloaded.LoadIndex();
    DownloadCache& looking = row.earlier_run ? reloaded : cache;
    EXPECT_EQ(looking.Lookup("http://h/a.stk", row.stream_modified, row.stream_length), row.hit)
        << row.cached_modified << " " << row.cached_size << " " << row.earlier_run << " / "
        << row.stream_modified << " " << row.stream_length;
    EXPECT_EQ(FileExists(path), row.hit) << "a file that is not served is deleted";
    looking.Drop("http://h/a.stk");
    cache.ReadIndex({});
  }
}

TEST_F(DownloadCacheTest, OnlyAStreamWhoseBytesAllArrivedIsComplete) {
  std::string path;
  File file = cache.CreateFile("http://h/a.stk", path);
  ASSERT_TRUE(cache.Add("http://h/a.stk", path, 1, 100, pins));
  cache.AddWritten(path, 60);
  cache.MarkComplete(path);
  EXPECT_FALSE(cache.Complete(0));
  EXPECT_EQ(cache.HandOver("http://h/a.stk"), "");
  cache.AddWritten(path, 60);
  EXPECT_EQ(cache.Received(0), 100u) << "capped at the expected size";
  cache.MarkComplete(path);
  EXPECT_EQ(cache.HandOver("http://h/a.stk"), path);
  EXPECT_EQ(cache.UseStamp(0), 1);

  // An unknown length is complete with what was written.
  std::string other;
  File second = cache.CreateFile("http://h/b.txt", other);
  ASSERT_TRUE(cache.Add("http://h/b.txt", other, 1, 0, pins));
  cache.AddWritten(other, 42);
  cache.MarkComplete(other);
  EXPECT_TRUE(cache.Complete(1));
  EXPECT_EQ(cache.Expected(1), 42u);
}

// Two downloads of one URL (a newer last-modified value, or the URL written with another
// case) are two entries: bytes and completion go to the file being written only.
TEST_F(DownloadCacheTest, BytesGoToTheFileBeingWrittenNotToAnotherEntryOfItsUrl) {
  const std::string old_path = AddComplete("http://h/a.stk", 10, 1);
  std::string path;
  File file = cache.CreateFile("HTTP://H/a.stk", path);
  ASSERT_TRUE(cache.Add("HTTP://H/a.stk", path, 2, 0, pins));
  cache.AddWritten(path, 25);
  cache.MarkComplete(path);
  ASSERT_EQ(cache.count(), 2);
  EXPECT_EQ(cache.Path(0), old_path);
  EXPECT_EQ(cache.Received(0), 10u);
  EXPECT_EQ(cache.Expected(0), 10u);
  EXPECT_EQ(cache.Received(1), 25u);
  EXPECT_EQ(cache.Expected(1), 25u);
  cache.AddWritten(path, 5);
  EXPECT_EQ(cache.Received(1), 25u) << "a complete entry never changes";
}

TEST_F(DownloadCacheTest, TheFiftyFirstEntryEvictsTheOneUsedLongestAgo) {
  for (int i = 0; i < kCacheEntryLimit; ++i) AddComplete("http://h/" + std::to_string(i), 1);
  for (int i = 0; i < kCacheEntryLimit; ++i) cache.HandOver("http://h/" + std::to_string(i));
  cache.HandOver("http://h/0");  // 1 is now the oldest
  const std::string oldest = cache.Path(1);
  AddComplete("http://h/new", 1);
  EXPECT_EQ(cache.count(), kCacheEntryLimit);
  EXPECT_EQ(cache.Find("http://h/1"), -1);
  EXPECT_FALSE(FileExists(oldest));
  EXPECT_NE(cache.Find("http://h/0"), -1);
}

TEST_F(DownloadCacheTest, EvictionTakesTheLastIncompleteEntryFirstAndNeverAPinnedOne) {
  const std::string first = AddComplete("http://h/first", 10);
  std::string path;
  File file = cache.CreateFile("http://h/broken", path);
  ASSERT_TRUE(cache.Add("http://h/broken", path, 1, 10, pins));
  AddComplete("http://h/third", 10);
  // All stamps are 0: the incomplete entry goes before the complete ones.
  ASSERT_TRUE(cache.Add("http://h/big", dir.File("big"), 1, kCacheByteLimit - 20, pins));
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/first", "http://h/third", "http://h/big"}));

  // With "first" pinned, the next eviction takes "big" (incomplete) and "third", never
  // "first".
  pins.paths.insert(first);
  ASSERT_TRUE(cache.Add("http://h/huge", dir.File("huge"), 1, kCacheByteLimit - 10, pins));
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/first", "http://h/huge"}));
  EXPECT_TRUE(FileExists(first));
}

TEST_F(DownloadCacheTest, WhenEverythingIsPinnedTheNewFileStaysUncached) {
  for (int i = 0; i < kCacheEntryLimit; ++i)
    pins.paths.insert(AddComplete("http://h/" + std::to_string(i), 1));
  EXPECT_FALSE(cache.Add("http://h/more", dir.File("more"), 1, 1, pins));
  EXPECT_EQ(cache.count(), kCacheEntryLimit);
  for (const std::string& path : pins.paths) EXPECT_TRUE(FileExists(path));
}

TEST_F(DownloadCacheTest, ADownloadLargerThanTheLimitEmptiesTheCacheAndIsAdded) {
  AddComplete("http://h/a", 10);
  AddComplete("http://h/b", 10);
  ASSERT_TRUE(cache.Add("http://h/huge", dir.File("huge"), 1, kCacheByteLimit + 5, pins));
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/huge"}));
}

TEST_F(DownloadCacheTest, UseStampsAreRenumberedBeforeTheyWouldTurnNegative) {
  AddComplete("http://h/a", 1);
  AddComplete("http://h/b", 1);
  cache.HandOver("http://h/a");
  cache.set_use_counter(INT16_MAX);
  cache.HandOver("http://h/b");
  EXPECT_EQ(cache.UseStamp(0), 1);
  EXPECT_EQ(cache.UseStamp(1), 2);
  AddComplete("http://h/c", kCacheByteLimit - 1);  // evicts the older: a
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/b", "http://h/c"}));
}

TEST_F(DownloadCacheTest, TheIndexComesBackWithoutStampsOrReadiness) {
  const std::string path = AddComplete("http://h/a.stk", 3, 99);
  cache.HandOver("http://h/a.stk");
  ASSERT_TRUE(cache.SaveIndex());
  DownloadCache again(dir.path());
  again.LoadIndex();
  ASSERT_EQ(again.count(), 1);
  EXPECT_EQ(again.Url(0), "http://h/a.stk");
  EXPECT_EQ(again.Path(0), path);
  EXPECT_EQ(again.LastModified(0), 99u);
  EXPECT_EQ(again.UseStamp(0), 0);
  EXPECT_TRUE(again.Complete(0));
  EXPECT_FALSE(again.Ready(0));
  EXPECT_EQ(again.HandOver("http://h/a.stk"), "") << "not ready until a stream asks again";
}

// A page's player is never told that it ends: after every change the index on disk
// already says what the cache holds, so the next load finds it.
TEST_F(DownloadCacheTest, TheIndexOnDiskFollowsEveryChangeWithoutAnEndOfRun) {
  std::string written;
  const std::vector<IndexStep> steps = {
      {"an entry is added",
       [&] {
         File file = cache.CreateFile("http://h/a.stk", written);
         cache.Add("http://h/a.stk", written, 7, 3, pins);
       },
       {"http://h/a.stk"}},
      {"its bytes all arrived",
       [&] {
         cache.AddWritten(written, 3);
         cache.MarkComplete(written);
       },
       {"http://h/a.stk+"}},
      {"a second file arrives",
       [&] { AddComplete("http://h/b.wav", 2); },
       {"http://h/a.stk+", "http://h/b.wav+"}},
      {"a newer copy is looked up",
       [&] { cache.Lookup("http://h/b.wav", 8, 2); },
       {"http://h/a.stk+"}},
      {"a stream fails", [&] { cache.Drop("http://h/a.stk"); }, {}},
      {"a stack that does not open is forgotten",
       [&] { cache.Forget(AddComplete("http://h/c.stk", 1)); },
       {}},
  };
  for (const IndexStep& step : steps) {
    step.change();
    DownloadCache reloaded(dir.path());
    reloaded.LoadIndex();
    std::vector<std::string> urls;
    for (int i = 0; i < reloaded.count(); ++i)
      urls.push_back(reloaded.Url(i) + (reloaded.Complete(i) ? "+" : ""));
    EXPECT_EQ(urls, step.urls_then) << step.what;
  }
}

// A planted index: each fault drops the entry or the whole index, and nothing it names
// outside the folder is touched.
TEST_F(DownloadCacheTest, APlantedIndexIsReadWithChecks) {
  auto index = [&](int16_t count, std::vector<std::pair<std::string, std::string>> entries) {
    std::vector<uint8_t> bytes(2 + entries.size() * cache_entry::kSize, 0);
    WriteLE16(bytes, 0, uint16_t(count));
    for (size_t i = 0; i < entries.size(); ++i) {
      uint8_t* e = bytes.data() + 2 + i * cache_entry::kSize;
      std::memcpy(e, entries[i].first.data(), std::min<size_t>(entries[i].first.size(), 260));
      std::memcpy(e + 260, entries[i].second.data(),
                  std::min<size_t>(entries[i].second.size(), 260));
    }
    return bytes;
  };
  const std::string good = dir.path() + "/stkgood.stk";
  const std::string no_nul(260, 'u');
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    int expected;
  } cases[] = {
      {"fine", index(1, {{"http://h/a", good}}), 1},
      {"count 500", index(500, {{"http://h/a", good}}), 0},
      {"count -1", index(-1, {{"http://h/a", good}}), 0},
      {"count beyond the file", index(3, {{"http://h/a", good}}), 1},
      {"URL without its NUL", index(2, {{no_nul, good}, {"http://h/b", good}}), 1},
      {"path without its NUL", index(1, {{"http://h/a", dir.path() + "/" + no_nul}}), 0},
      {"path outside", index(1, {{"http://h/a", "/etc/passwd"}}), 0},
      {"path climbing out", index(1, {{"http://h/a", dir.path() + "/../x"}}), 0},
      {"path in a subfolder", index(1, {{"http://h/a", dir.path() + "/sub/x"}}), 0},
      {"the folder itself", index(1, {{"http://h/a", dir.path() + "/"}}), 0},
      {"empty URL", index(1, {{"", good}}), 0},
      {"one byte", {1}, 0},
  };
  for (const auto& c : cases) {
    cache.ReadIndex(c.bytes);
    EXPECT_EQ(cache.count(), c.expected) << c.what;
  }
  // Forgetting a path outside the folder deletes nothing.
  TempDir outside;
  outside.Write("keep", "k");
  cache.Forget(outside.File("keep"));
  EXPECT_TRUE(FileExists(outside.File("keep")));
}

TEST_F(DownloadCacheTest, ForgetRemovesTheEntryAndItsOwnFile) {
  const std::string a = AddComplete("http://h/a", 1);
  const std::string b = AddComplete("http://h/b", 1);
  cache.Forget(a);
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/b"}));
  EXPECT_FALSE(FileExists(a));
  cache.Drop("http://h/b");
  EXPECT_EQ(cache.count(), 0);
  EXPECT_FALSE(FileExists(b));
}

// Two players sharing the folder, each with its own copy of the index: what one writes
// keeps what the other added, completed or removed.
TEST_F(DownloadCacheTest, TwoPlayersWritingTheIndexKeepEachOthersEntries) {
  DownloadCache& first = cache;
  DownloadCache second(dir.path());
  first.LoadIndex();
  second.LoadIndex();
  auto add_complete = [&](DownloadCache& to, const std::string& url) {
    std::string path;
    File file = to.CreateFile(url, path);
    file.Write("xy", 2);
    to.Add(url, path, 0, 2, pins);
    to.AddWritten(path, 2);
    to.MarkComplete(path);
  };
  std::string unfinished;
  const std::vector<IndexStep> steps = {
      {"the first adds a", [&] { add_complete(first, "http://h/a.wav"); }, {"http://h/a.wav+"}},
      {"the second adds b",
       [&] { add_complete(second, "http://h/b.wav"); },
       {"http://h/b.wav+", "http://h/a.wav+"}},
      {"the first adds c",
       [&] { add_complete(first, "http://h/c.wav"); },
       {"http://h/a.wav+", "http://h/c.wav+", "http://h/b.wav+"}},
      {"the second drops a and the first does not bring it back",
       [&] {
         second.Drop("http://h/a.wav");
         add_complete(first, "http://h/d.wav");
       },
       {"http://h/c.wav+", "http://h/b.wav+", "http://h/d.wav+"}},
      {"the first drops b and the second does not bring it back",
       [&] {
         first.Drop("http://h/b.wav");
         add_complete(second, "http://h/e.wav");
       },
       {"http://h/c.wav+", "http://h/d.wav+", "http://h/e.wav+"}},
      {"the second begins f",
       [&] {
         File file = second.CreateFile("http://h/f.wav", unfinished);
         second.Add("http://h/f.wav", unfinished, 0, 2, pins);
       },
       {"http://h/c.wav+", "http://h/d.wav+", "http://h/e.wav+", "http://h/f.wav"}},
      {"the first writes its index while f is on the way",
       [&] { add_complete(first, "http://h/g.wav"); },
       {"http://h/c.wav+", "http://h/d.wav+", "http://h/e.wav+", "http://h/f.wav",
        "http://h/g.wav+"}},
      {"the second finishes f, the first writes again: f stays complete",
       [&] {
         second.AddWritten(unfinished, 2);
         second.MarkComplete(unfinished);
         first.Drop("http://h/c.wav");
       },
       {"http://h/d.wav+", "http://h/e.wav+", "http://h/f.wav+", "http://h/g.wav+"}},
  };
  for (const IndexStep& step : steps) {
    step.change();
    DownloadCache reloaded(dir.path());
    reloaded.LoadIndex();
    std::vector<std::string> urls;
    for (int i = 0; i < reloaded.count(); ++i) {
      urls.push_back(reloaded.Url(i) + (reloaded.Complete(i) ? "+" : ""));
      EXPECT_TRUE(IsRegularFile(reloaded.Path(i))) << step.what << ": " << reloaded.Url(i);
    }
    std::sort(urls.begin(), urls.end());
    std::vector<std::string> expected = step.urls_then;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(urls, expected) << step.what;
  }
}

// Files that no entry names are removed when the index is read; any other file stays.
TEST_F(DownloadCacheTest, FilesNoEntryNamesGoWhenTheIndexIsRead) {
  const std::string kept = AddComplete("http://h/a.wav", 3);
  struct Case {
    const char* name;
    bool removed;
  };
  const Case cases[] = {
      {"stkABCD1234.wav", true},  {"stk0000zzzz.tmp", true},  {"stkABCD123.wav", false},
      {"xtkABCD1234.wav", false}, {"stkABCD1234_wav", false}, {"stkABCD-234.wav", false},
      {"notes.txt", false},
  };
  for (const Case& c : cases) dir.Write(c.name, "z");
  DownloadCache reloaded(dir.path());
  reloaded.LoadIndex();
  for (const Case& c : cases) EXPECT_EQ(FileExists(dir.File(c.name)), !c.removed) << c.name;
  EXPECT_TRUE(FileExists(kept));
  EXPECT_TRUE(FileExists(dir.File(kCacheIndexName)));
  ASSERT_EQ(reloaded.count(), 1);
  EXPECT_EQ(reloaded.Path(0), kept);
}

}  // namespace
}  // namespace corvida::plugin
