// Files beside a downloaded stack waited for on their first use, with a host that hands
// stream pieces over only when the player's loop asks (as the browser build's page does):
// the click that asks for a sound plays it once it arrived; a file that fails, takes too
// long, is cancelled with Escape or a click, or gives way to a stack is reported missing
// and the player goes on. Everything runs on the virtual clock.
#include <gtest/gtest.h>

#include "browser_host.h"
#include "player/player_fixture.h"
#include "plugin/instance.h"
#include "support/sound_files.h"

namespace corvida::testing {
namespace {

constexpr char kStackUrl[] = "http://h/s/first.stk";
constexpr char kSoundUrl[] = "http://h/s/hum.wav";

// What the page does meanwhile, at a moment of the virtual clock after the click.
enum class Page { kAnswers, kFails, kSilent, kSendsAStack };

// The page: its answers wait in the host until the clock reaches `due_ms`.
class QueuedPage : public plugin::StreamPump {
 public:
  QueuedPage(BrowserHost& host, Clock& clock) : host_(host), clock_(clock) {}
  void Plan(Page what, uint32_t after_ms) {
    what_ = what;
    due_ms_ = clock_.Milliseconds() + after_ms;
  }
  bool PumpStreams() override {
    ++pumps;
    if (host_.pending.empty() || int32_t(clock_.Milliseconds() - due_ms_) < 0) return true;
    switch (what_) {
      case Page::kAnswers:
        host_.AnswerRequests();
        return true;
      case Page::kFails:
        for (const auto& p : host_.pending)
          plugin::InstanceOf(p.instance)->streams().UrlFailed(p.url);
        host_.pending.clear();
        return true;
      case Page::kSilent:
        return true;
      case Page::kSendsAStack:
        return false;
    }
    return true;
  }
  int pumps = 0;

 private:
  BrowserHost& host_;
  Clock& clock_;
  Page what_ = Page::kSilent;
  uint32_t due_ms_ = 0;
};

class FileWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Start());
    const SoundBytes wav = WavFile(1, 8, 11025, SoundBytes(2205, 0xC0));
    host.pages[kSoundUrl] = {std::string(wav.begin(), wav.end()), 1, ""};
    const char* json = R"({
      "stack": {"width": 64, "height": 48, "depth": 8},
      "cards": [{"id": 10, "name": "One", "objects": [
        {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Hum",
         "actions": [{"kind": "sound", "path": "Disk:hum.wav"}]}]}]
    })";
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadFileUpTo(BuildStack(host.tp.root, json, "first.stk"), 1 << 20, bytes));
    host.pages[kStackUrl] = {std::string(bytes.begin(), bytes.end()), 1, ""};
    Open();
  }
  void TearDown() override {
    Close();
    NP_Shutdown();
  }
  // A new instance with the stack, waiting for its files through the page.
  void Open() {
    instance = {};
    ASSERT_EQ(host.plugin_funcs.newp(nullptr, &instance, NP_EMBED, 0, nullptr, nullptr, nullptr),
              NPERR_NO_ERROR);
    window_id = host.tp.platform->windows().CreateWindow("page", {64, 48});
    NPWindow window{BrowserHost::WindowHandle(window_id), 0, 0, 64, 48, {}};
    ASSERT_EQ(host.plugin_funcs.setwindow(&instance, &window), NPERR_NO_ERROR);
    host.SendStream(&instance, kStackUrl);
    player = plugin::InstanceOf(&instance);
    ASSERT_TRUE(player && player->window());
    player->set_stream_pump(&page);
  }
  void Close() {
    if (player) host.plugin_funcs.destroy(&instance, nullptr);
    player = nullptr;
  }
  // Another instance as if on a new page, with nothing cached.
  void Reopen() {
    Close();
    NP_Shutdown();
    for (const DirectoryEntry& entry : ListDirectory(host.CacheFolder()))
      DeleteFile(JoinPath(host.CacheFolder(), entry.name));
    ASSERT_TRUE(host.Start());
    host.lines.clear();
    host.pending.clear();
    host.asked.clear();
    page.pumps = 0;
    Open();
  }
  // A click on the Hum button, handled as it comes (its wait included).
  void ClickHum() {
    for (uint32_t message : {msg::kLButtonDown, msg::kLButtonUp}) {
      host.tp.platform->windows().PostMessage({window_id, message,
                                               message == msg::kLButtonDown ? mk::kLButton : 0,
                                               MakePointParam(10, 10), 0});
      player->window()->Pump(10);
    }
  }
  bool Logged(const std::string& line) const {
    return std::find(host.lines.begin(), host.lines.end(), line) != host.lines.end();
  }
  size_t SoundsPlayed() { return host.tp.platform->recorded_audio().played().size(); }
  uint32_t Now() { return host.tp.platform->clock().Milliseconds(); }

  BrowserHost host;
  QueuedPage page{host, host.tp.platform->clock()};
  NPP_t instance{};
  WindowId window_id = 0;
  plugin::InstancePlayer* player = nullptr;
};

struct WaitCase {
  const char* name;
  Page page;
  uint32_t after_ms;
  uint32_t escape_at_ms;  // 0: no Escape
  bool heard;
  const char* ended;  // the log line's end, "" when it arrived
  uint32_t least_ms;  // the virtual time the click took, at least
};

TEST_F(FileWaitTest, TheFirstClickWaitsForItsSoundAndEveryOtherEndLetsThePlayerGoOn) {
  const WaitCase cases[] = {
      {"arrives", Page::kAnswers, 400, 0, true, "", 400},
      {"arrives at once", Page::kAnswers, 0, 0, true, "", 0},
      {"fails", Page::kFails, 200, 0, false, "could not be fetched", 200},
      {"never comes", Page::kSilent, 0, 0, false, "took too long",
       plugin::InstancePlayer::kFileWaitLimitMs},
      {"Escape", Page::kSilent, 0, 700, false, "was cancelled", 700},
      {"a stack comes", Page::kSendsAStack, 100, 0, false, "gave way to a stack", 100},
  };
  for (const WaitCase& c : cases) {
    Reopen();
    SCOPED_TRACE(c.name);
    const size_t played = SoundsPlayed();
    page.Plan(c.page, c.after_ms);
    if (c.escape_at_ms)
      host.tp.platform->headless_windows().PostMessageAt(
          {window_id, msg::kKeyDown, vk::kEscape, 0, 0}, Now() + c.escape_at_ms);
    const uint32_t start = Now();
    ClickHum();
    EXPECT_GE(Now() - start, c.least_ms);
    EXPECT_LT(Now() - start, c.least_ms + 1000) << "the wait ends when it can";
    EXPECT_EQ(host.asked.back(), kSoundUrl);
    EXPECT_EQ(SoundsPlayed() - played, c.heard ? 1u : 0u) << ::testing::PrintToString(host.lines);
    EXPECT_EQ(Logged("missing \"hum.wav\""), !c.heard);
    if (*c.ended) {
      EXPECT_TRUE(Logged(std::string("waiting for \"hum.wav\" ended: it ") + c.ended));
    }
    EXPECT_GT(page.pumps, 0);
  }
}

// A wait that was given up leaves the request: the file arriving later serves the next
// click without another request.
TEST_F(FileWaitTest, AFileThatArrivesAfterTheWaitServesTheNextClick) {
  page.Plan(Page::kSilent, 0);
  host.tp.platform->headless_windows().PostMessageAt({window_id, msg::kLButtonDown, 0, 0, 0},
                                                     Now() + 300);
  ClickHum();
  EXPECT_TRUE(Logged("waiting for \"hum.wav\" ended: it was cancelled"));
  EXPECT_EQ(SoundsPlayed(), 0u);
  host.AnswerRequests();
  host.asked.clear();
  ClickHum();
  EXPECT_TRUE(host.asked.empty()) << "served from the cache";
  EXPECT_EQ(SoundsPlayed(), 1u);
}

// Without a pump (a browser that delivers on its own, between messages) nothing waits.
TEST_F(FileWaitTest, WithoutAPumpTheClickOnlyAsks) {
  player->set_stream_pump(nullptr);
  const uint32_t start = Now();
  ClickHum();
  EXPECT_LT(Now() - start, 100u);
  EXPECT_EQ(page.pumps, 0);
  EXPECT_TRUE(Logged("asked for \"hum.wav\""));
  EXPECT_TRUE(Logged("missing \"hum.wav\""));
}

}  // namespace
}  // namespace corvida::testing
