// The desktop platform on SDL's display-less drivers: windows, the message loop, timers
// on the real clock, presentation, input mapping and audio, without a screen or speakers.
#if CORVIDA_HAVE_SDL
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "support/test_support.h"

namespace corvida::sdl {
namespace {

class SdlPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string error;
    ASSERT_TRUE(platform.Start(error)) << error;
  }
  testing::TempDir dir;
  SdlPlatform platform{Folders{dir.path(), dir.path(), dir.path(), dir.path()}};
};

TEST_F(SdlPlatformTest, WindowsPostWaitPaintAndPresent) {
  WindowSystem& windows = platform.windows();
  WindowId w = windows.CreateWindow("Corvida \xC3\xA9", {512, 342});
  ASSERT_NE(w, 0u);
  EXPECT_EQ(windows.ClientSize(w), (Size{512, 342}));
  EXPECT_EQ(windows.CreateWindow("too big", {0, 10}), 0u);

  // A new window asks to be painted once, however often it is invalidated.
  windows.Invalidate(w, nullptr);
  windows.PostMessage({w, msg::kUser + 1, 5, 6});
  Message m;
  ASSERT_TRUE(windows.WaitMessage(m, 1000));
  EXPECT_EQ(m.message, msg::kPaint);
  ASSERT_TRUE(windows.WaitMessage(m, 1000));
  EXPECT_EQ(m.message, msg::kUser + 1);
  EXPECT_EQ(m.wParam, 5u);

  std::vector<uint8_t> frame(512 * 342 * 4, 0x80);
  windows.Present(w, {frame.data(), 512, 342, 512 * 4}, {0, 0});
  windows.Present(w, {frame.data(), 40, 40, 512 * 4}, {500, -10});  // clipped, not refused

  // Peeking leaves the message; filters pick by window and range.
  windows.PostMessage({w, msg::kKeyDown, vk::kLeft, 1});
  ASSERT_TRUE(windows.PeekMessage(m, w, msg::kKeyDown, msg::kChar, false));
  EXPECT_FALSE(windows.PeekMessage(m, w, msg::kMouseMove, msg::kMouseMove, true));
  EXPECT_FALSE(windows.PeekMessage(m, w + 1, 0, 0, true));
  ASSERT_TRUE(windows.PeekMessage(m, 0, 0, 0, true));
  EXPECT_EQ(m.wParam, vk::kLeft);

  windows.SetTitle(w, "Another");
  windows.SetCursor(CursorShape::kFlatHand);
  windows.SetCursor(CursorShape::kGrabHand);
  // The stack cursors are made from our art when first shown; a slot beyond them is the
  // arrow.
  for (int slot : {5, 22, 5}) {
    platform.sdl_windows().SetStackCursor(slot);
    EXPECT_EQ(platform.sdl_windows().cursor(), CursorShape::kCustom);
    EXPECT_EQ(platform.sdl_windows().stack_cursor(), slot);
  }
  platform.sdl_windows().SetStackCursor(23);
  EXPECT_EQ(platform.sdl_windows().cursor(), CursorShape::kArrow);
  windows.DestroyWindow(w);
  EXPECT_EQ(windows.ClientSize(w), (Size{}));
}

TEST_F(SdlPlatformTest, TimersFireOnTheRealClockAndWaitsEndOnTime) {
  WindowSystem& windows = platform.windows();
  Clock& clock = platform.clock();
  WindowId w = windows.CreateWindow("timers", {64, 64});
  Message m;
  while (windows.PeekMessage(m, 0, 0, 0, true)) {
  }
  uint32_t start = clock.Milliseconds();
  EXPECT_FALSE(windows.WaitMessage(m, 30));
  EXPECT_GE(clock.Milliseconds() - start, 30u);

  windows.SetTimer(w, 1, 20);
  start = clock.Milliseconds();
  ASSERT_TRUE(windows.WaitMessage(m, 2000));
  EXPECT_EQ(m.message, msg::kTimer);
  EXPECT_EQ(m.wParam, 1u);
  EXPECT_GE(clock.Milliseconds() - start, 19u);
  windows.KillTimer(w, 1);
  windows.DestroyWindow(w);
  // With no window and no timer nothing can arrive: the wait returns instead of hanging.
  EXPECT_FALSE(windows.WaitMessage(m, 0xFFFFFFFFu));
}

TEST_F(SdlPlatformTest, InputFollowsTheScaledPresentation) {
  SdlWindowSystem& windows = platform.sdl_windows();
  WindowId w = windows.CreateWindow("input", {100, 50});
  ASSERT_NE(w, 0u);
  SDL_Window* native = windows.NativeWindow(w);
  SDL_SetWindowSize(native, 300, 200);
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
  e.window.windowID = SDL_GetWindowID(native);
  windows.InjectEvent(e);
  EXPECT_EQ(windows.LayoutOf(w).dest, (Rect{0, 25, 300, 175}));  // three times, centred

  e = SDL_Event{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.windowID = SDL_GetWindowID(native);
  e.button.button = SDL_BUTTON_LEFT;
  e.button.clicks = 1;
  e.button.x = 31;
  e.button.y = 25 + 61;
  windows.InjectEvent(e);
  Message m;
  bool found = false;
  while (windows.PeekMessage(m, w, 0, 0, true)) {
    if (m.message != msg::kLButtonDown) continue;
    found = true;
    EXPECT_EQ(ParamX(m.lParam), 10);
    EXPECT_EQ(ParamY(m.lParam), 20);
    EXPECT_EQ(m.wParam & mk::kLButton, mk::kLButton);
  }
  EXPECT_TRUE(found);
  windows.SetCapture(w);
  windows.ReleaseCapture();
}

TEST_F(SdlPlatformTest, DroppedFilesWaitForTheWindowAndSizesAreKeptOnTheDisplay) {
  SdlWindowSystem& windows = platform.sdl_windows();
  WindowId w = windows.CreateWindow("drop", {100, 50});
  ASSERT_NE(w, 0u);
  const uint32_t native = SDL_GetWindowID(windows.NativeWindow(w));
  struct Drop {
    uint32_t window;  // 0: the desktop does not say where
    std::string path;
  };
  const Drop drops[] = {{native, "/home/ann/one.stk"}, {0, "/home/ann/two words.stk"}};
  for (const Drop& d : drops) {
    std::string name = d.path;
    SDL_Event e{};
    e.type = SDL_DROPFILE;
    e.drop.windowID = d.window;
    e.drop.file = name.data();
    windows.InjectEvent(e);
  }
  int posted = 0;
  Message m;
  while (windows.PeekMessage(m, w, msg::kDropFiles, msg::kDropFiles, true)) ++posted;
  EXPECT_EQ(posted, 2);
  EXPECT_EQ(windows.TakeDroppedFile(w), "/home/ann/one.stk");
  EXPECT_EQ(windows.TakeDroppedFile(w), "/home/ann/two words.stk");
  EXPECT_EQ(windows.TakeDroppedFile(w), "") << "each is taken once";

  windows.SetWindowSize(w, {300, 200});
  EXPECT_EQ(windows.WindowSize(w), (Size{300, 200}));
  windows.SetWindowSize(w, {0, 200});  // nonsense changes nothing
  EXPECT_EQ(windows.WindowSize(w), (Size{300, 200}));
  windows.SetWindowSize(w, {1, 1});  // a visible window at least
  EXPECT_GE(windows.WindowSize(w).width, 64);
  windows.DestroyWindow(w);
  EXPECT_EQ(windows.TakeDroppedFile(w), "");
}

TEST_F(SdlPlatformTest, ClipboardTextIsConvertedFromAndToTheWindowsSet) {
  WindowSystem& windows = platform.windows();
  windows.SetClipboardText("caf\xE9 \x80");
  EXPECT_EQ(windows.ClipboardText(), "caf\xE9 \x80");
}

TEST_F(SdlPlatformTest, AudioStreamsPlayToTheirEnd) {
  AudioOutput* audio = platform.audio();
  ASSERT_NE(audio, nullptr);
  AudioStreamId s = audio->OpenStream({11025, 1, SampleFormat::kU8});
  if (s == 0) GTEST_SKIP() << "no audio device: " << SDL_GetError();
  EXPECT_EQ(audio->OpenStream({11025, 5, SampleFormat::kU8}), 0u);
  std::vector<uint8_t> tone(11025 / 10);  // a tenth of a second
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = (i / 12) % 2 ? 0xC0 : 0x40;
  ASSERT_TRUE(audio->Queue(s, tone.data(), tone.size()));
  EXPECT_TRUE(audio->Playing(s));
  EXPECT_GT(audio->QueuedBytes(s), 0u);
  audio->SetVolume(s, 128);

  // The device drains the stream in real time; poll as the player's timer would.
  Clock& clock = platform.clock();
  uint32_t start = clock.Milliseconds();
  while (audio->Playing(s) && clock.Milliseconds() - start < 3000) SDL_Delay(10);
  EXPECT_FALSE(audio->Playing(s));

  // Stop drops what is queued at once; pause holds it.
  std::vector<uint8_t> long_sound(11025 * 2, 0x80);
  audio->Queue(s, long_sound.data(), long_sound.size());
  audio->Pause(s, true);
  EXPECT_FALSE(audio->Playing(s));
  EXPECT_GT(audio->QueuedBytes(s), 0u);
  audio->Pause(s, false);
  audio->Stop(s);
  EXPECT_FALSE(audio->Playing(s));
  EXPECT_EQ(audio->QueuedBytes(s), 0u);
  audio->CloseStream(s);
  EXPECT_FALSE(audio->Queue(s, tone.data(), tone.size()));
}

}  // namespace
}  // namespace corvida::sdl
#endif
