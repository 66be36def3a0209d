// corvida replay of a stack served over HTTP: the stack, the stack its button goes to and
// the files they ask for are fetched from a server on 127.0.0.1 as the plug-in asks.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/files.h"
#include "platform/gfx/png.h"
#include "support/http_server.h"
#include "support/sound_files.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using testing::HttpServer;
using testing::RunCorvida;
using testing::TempDir;

const char* kFirst = R"({
  "stack": {"width": 64, "height": 48, "depth": 8},
  "cards": [{"id": 10, "name": "One", "objects": [
    {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Next", "destination": -6,
     "actions": [{"kind": "stack", "path": "C:\\STACKS\\second.stk"}]},
    {"type": "button", "id": 2, "rect": [34, 4, 60, 20], "name": "Run",
     "actions": [{"kind": "launch", "document": "C:\\x.txt", "program": "C:\\edit.exe"}]}]}]
})";
const char* kSecond = R"({
  "stack": {"width": 64, "height": 48, "depth": 8},
  "cards": [
    {"id": 20, "name": "Far", "objects": [
      {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "On", "destination": -1}]},
    {"id": 21, "name": "Farther", "objects": [
      {"type": "graphic", "id": 2, "rect": [32, 24, 48, 40], "path": "C:\\STACKS\\red.png"}]}]
})";

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class ReplayUrl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.listening());
    Serve("/s/first.stk", Build("first", kFirst));
    Serve("/s/second.stk", Build("second", kSecond));
    gfx::Bitmap red;
    ASSERT_TRUE(red.Create(16, 16, 32));
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) red.Set(x, y, 0x00FF0000);
    ASSERT_TRUE(gfx::WritePngFile(dir.File("red.png"), red, nullptr, nullptr));
    Serve("/s/red.png", dir.Read("red.png"));
  }
  std::string Build(const std::string& name, const char* json) {
    dir.Write(name + ".json", json);
    auto r = RunCorvida({"build", dir.File(name + ".json"), "-o", dir.File(name + ".stk")});
    EXPECT_EQ(r.status, 0) << r.err;
    return dir.Read(name + ".stk");
  }
  void Serve(const std::string& path, std::string body) {
    HttpServer::Page page;
    page.body = std::move(body);
    page.last_modified = "Tue, 01 Dec 2026 10:00:00 GMT";
    server.Serve(path, page);
  }
  testing::CommandResult Replay(const std::string& url, const std::string& events) {
    dir.Write("events.txt", events);
    return RunCorvida({"replay", url, dir.File("events.txt"), "-o", dir.File("out")});
  }
  // Replay keeps its download cache in the output folder.
  std::string CacheFolder() const { return dir.File("out/.cache"); }

  TempDir dir;
  HttpServer server;
};

TEST_F(ReplayUrl, AButtonGoesToAnotherStackAndItsPictureIsFetchedWhenDrawn) {
  auto r = Replay(server.Url("/s/first.stk"), "click 10 10\nclick 10 10\nshot far.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("card 1 id 10 \"One\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("card 1 id 20 \"Far\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("card 2 id 21 \"Farther\""), std::string::npos) << r.out;
  EXPECT_EQ(server.requests(),
            (std::vector<std::string>{"/s/first.stk", "/s/second.stk", "/s/red.png"}));
  gfx::Bitmap shot;
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/far.png"), shot));
  EXPECT_EQ(shot.ColorAt(40, 32), (gfx::Rgb{255, 0, 0})) << "the fetched picture is drawn";
}

TEST_F(ReplayUrl, ASecondReplayTakesTheStacksFromTheCache) {
  ASSERT_EQ(Replay(server.Url("/s/first.stk"), "click 10 10\n").status, 0);
  auto r = Replay(server.Url("/s/first.stk"), "click 10 10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("card 1 id 20 \"Far\""), std::string::npos) << r.out;
}

// What cannot be fetched ends the replay with a reason, never a hang.
TEST_F(ReplayUrl, PagesThatCannotBeFetchedFailClearly) {
  struct Case {
    std::string url;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {server.Url("/s/missing.stk"), "HTTP 404"},
      {"http://127.0.0.1:" + std::to_string(HttpServer::UnusedPort()) + "/a.stk", "cannot connect"},
      {"ftp://127.0.0.1/a.stk", "only http, https and file URLs"},
  };
  for (const Case& c : cases) {
    auto r = Replay(c.url, "wait 10\n");
    EXPECT_EQ(r.status, 1) << c.url;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.url << ": " << r.err;
  }
}

TEST_F(ReplayUrl, AMissingFileOfTheStackIsReportedAndPlayGoesOn) {
  Serve("/t/first.stk", dir.Read("first.stk"));
  auto r = Replay(server.Url("/t/first.stk"), "click 10 10\nclick 10 10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("cannot fetch \"" + server.Url("/t/second.stk") + "\": HTTP 404"),
            std::string::npos)
      << r.out;
}

// A click whose sound is beside the stack on the server: the click waits for it, plays it
// and moves on once; the next click finds it in the cache.
TEST_F(ReplayUrl, AClicksSoundIsFetchedAndHeardByThatClickAndTheCardMovesOnce) {
  const char* json = R"({
    "stack": {"width": 64, "height": 48, "depth": 8},
    "cards": [
      {"id": 30, "name": "Here", "objects": [
        {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Hum", "destination": -1,
         "actions": [{"kind": "sound", "path": "C:\\STACKS\\hum.wav"}]}]},
      {"id": 31, "name": "There", "objects": [
        {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Back", "destination": -2,
         "actions": [{"kind": "sound", "path": "C:\\STACKS\\hum.wav"}]}]}]
  })";
  const std::string stack = Build("third", json);
  const testing::SoundBytes wav = testing::WavFile(1, 8, 11025, testing::SoundBytes(2205, 0xC0));
  struct Case {
    const char* events;
    size_t sounds;
  };
  const Case cases[] = {
      {"click 10 10\n", 1},
      {"click 10 10\nclick 10 10\n", 2},
  };
  int folder = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.events);
    // A folder of its own on the server: nothing of it is in the cache yet.
    const std::string at = "/h" + std::to_string(++folder);
    Serve(at + "/third.stk", stack);
    Serve(at + "/hum.wav", std::string(wav.begin(), wav.end()));
    const size_t asked_before = server.requests().size();
    auto r = Replay(server.Url(at + "/third.stk"), c.events);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("missing \"hum.wav\""), std::string::npos) << r.out;
    EXPECT_EQ(Count(r.out, "sound \"hum.wav\""), c.sounds) << r.out;
    EXPECT_EQ(Count(r.out, "id 31 \"There\""), 1u) << r.out;
    const std::vector<std::string> all = server.requests();
    EXPECT_EQ(std::vector<std::string>(all.begin() + long(asked_before), all.end()),
              (std::vector<std::string>{at + "/third.stk", at + "/hum.wav"}));
  }
}

TEST_F(ReplayUrl, ADownloadedStackLaunchesNothingAndAsksNothing) {
  auto r = Replay(server.Url("/s/first.stk"), "click 40 10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("launch refused for a downloaded stack"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("alert"), std::string::npos) << r.out;
  EXPECT_EQ(server.requests(), (std::vector<std::string>{"/s/first.stk"}));
}

TEST_F(ReplayUrl, AStackFromAFileUrlPlays) {
  auto r = Replay("file://" + dir.File("first.stk"), "wait 10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("card 1 id 10 \"One\""), std::string::npos) << r.out;
}

}  // namespace
}  // namespace corvida

namespace corvida {
namespace {

// The cache folder holds the index and other sites' files: a downloaded stack's names never
// reach them; what it names is asked for from where the stack came from.
TEST_F(ReplayUrl, ADownloadedStacksNamesNeverReachTheCacheFolder) {
  Serve("/u/first.stk", dir.Read("first.stk"));
  Serve("/u/second.stk", dir.Read("second.stk"));  // its picture is not served under /u/
  auto first = Replay(server.Url("/u/first.stk"), "wait 1\n");
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_TRUE(FileExists(CacheFolder() + "/CORVIA.LOG"));
  // A picture of the same name lies in the cache folder, as another site's file might.
  std::ofstream(CacheFolder() + "/red.png", std::ios::binary) << dir.Read("red.png");

  auto r = Replay(server.Url("/u/first.stk"), "click 10 10\nclick 10 10\nshot far.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("card 2 id 21 \"Farther\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cannot fetch \"" + server.Url("/u/red.png") + "\": HTTP 404"),
            std::string::npos)
      << r.out;
  gfx::Bitmap shot;
  ASSERT_TRUE(gfx::ReadPngFile(dir.File("out/far.png"), shot));
  EXPECT_NE(shot.ColorAt(40, 32), (gfx::Rgb{255, 0, 0}))
      << "the cache folder's picture is not used";
}

}  // namespace
}  // namespace corvida
