// Console input (READWORD, READLIST, READCHAR, READCHARS, KEYP) from typed input and from
// the window's key messages, and TOOT through the audio service and without one.
#include <gtest/gtest.h>

#include "files_harness.h"
#include "support/audio_analysis.h"

namespace corvida::logo {
namespace {

using testing::FileHarness;
using testing::FileHarnessOptions;

TEST(LogoInput, LinesAndCharactersFromTheConsole) {
  FileHarness h;
  h.typed().Type("forward 10 [a b]\nJust words\nxyz\nrest\n");
  EXPECT_EQ(h.Lines("show readlist\nshow readword\nshow keyp\n"
                    "show readchar\nshow readchars 2\nshow ascii readchar\n"
                    "show readchars 0\nshow readword\nshow keyp\n"
                    "show readlist\nshow readword\nshow readchar\n"),
            "[forward 10 [a b]]\nJust words\nTRUE\n"
            "x\nyz\n13\n"
            "Logo Error: READCHARS doesn't like 0 as input\n\nAt: SHOW READCHARS 0\n"
            "rest\nFALSE\n"
            "[]\n\n\n");
}

TEST(LogoInput, ALoadedFileFeedsReadlistBeforeTheConsole) {
  FileHarness h;
  h.typed().Type("typed\n");
  h.WriteBox("ask.lgo", "make \"answer readlist\nfrom the file\n");
  EXPECT_EQ(h.Lines("load \"ask.lgo\nshow :answer\nshow readlist\n"), "[from the file]\n[typed]\n");
}

TEST(LogoInput, WithoutTypedKeysCharactersComeFromTheWindow) {
  FileHarnessOptions options;
  options.typed_keys = false;
  FileHarness h(options);
  auto& ws = h.platform().windows();
  EXPECT_EQ(h.Lines("show keyp\n"), "FALSE\n");
  ws.PostMessage({0, msg::kMouseMove, 0, 0, 0});
  ws.PostMessage({0, msg::kChar, 'q', 0, 0});
  ws.PostMessage({0, msg::kChar, 0xE9, 0, 0});  // e-acute in the Windows character set
  EXPECT_EQ(h.Lines("show keyp\nshow readchar\nshow ascii readchar\nshow keyp\n"),
            "TRUE\nq\n142\nFALSE\n");
  // Escape while waiting for a key ends the line.
  ws.PostMessage({0, msg::kKeyDown, vk::kEscape, 0, 0});
  EXPECT_EQ(h.Lines("show readchar print \"not\\ reached\nprint \"next\n"), "next\n");
}

TEST(LogoInput, TootPlaysAToneForItsDurationAndWaits) {
  FileHarness h;
  uint32_t start = h.platform().clock().Milliseconds();
  EXPECT_EQ(h.Lines("toot 69 60\n"), "");
  EXPECT_GE(h.platform().clock().Milliseconds() - start, 1000u);
  const auto& played = h.platform().recorded_audio().played();
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0].format, (AudioFormat{44100, 1, SampleFormat::kS16LE}));
  EXPECT_EQ(played[0].bytes, 44100u * 2);
  EXPECT_FALSE(played[0].stopped_early);
  EXPECT_EQ(h.platform().recorded_audio().OpenStreams(), 0u);
  EXPECT_EQ(h.Lines("toot 0 10\ntoot 128 10\ntoot 60 0\n"),
            "Logo Error: TOOT doesn't like [0 10] as input\n\nAt: TOOT 0 10\n"
            "Logo Error: TOOT doesn't like [128 10] as input\n\nAt: TOOT 128 10\n");
  EXPECT_EQ(played.size(), 1u);
}

TEST(LogoInput, TootIsHeardAtItsPitchForItsDuration) {
  FileHarness h;
  MemoryCapture capture;
  h.platform().recorded_audio().SetCapture(&capture);
  h.Lines("toot 69 30\ntoot 81 30\n");  // A4 then A5, half a second each
  h.platform().recorded_audio().CatchUp();
  const auto& heard = capture.samples();
  ASSERT_GE(capture.frames(), 44100u);
  const int rate = RecordingAudioOutput::kRate;
  EXPECT_NEAR(corvida::testing::ToneHertz({heard, 1000, 20000, 0}, rate), 440, 5);
  EXPECT_NEAR(corvida::testing::ToneHertz({heard, 23000, 20000, 1}, rate), 880, 5);
  EXPECT_GT(corvida::testing::Rms({heard, 1000, 20000, 0}), 5000);
}

TEST(LogoInput, TootWithoutAudioOnlyWaitsAndEscapeStopsIt) {
  FileHarnessOptions options;
  options.audio = false;
  FileHarness h(options);
  uint32_t start = h.platform().clock().Milliseconds();
  EXPECT_EQ(h.Lines("toot 60 30\n"), "");
  EXPECT_GE(h.platform().clock().Milliseconds() - start, 500u);

  FileHarness loud;
  // Escape pressed while TOOT waits: the line's own first look for Escape is over.
  loud.Lines("print \"\n");
  loud.platform().windows().PostMessage({0, msg::kKeyDown, vk::kEscape, 0, 0});
  EXPECT_EQ(loud.Lines("toot 60 600 print \"not\\ reached\n"), "");
  const auto& played = loud.platform().recorded_audio().played();
  ASSERT_EQ(played.size(), 1u);
  EXPECT_TRUE(played[0].stopped_early);
}

TEST(LogoInput, OutputOffSendsNothingToTheWriterFile) {
  FileHarness h;
  h.Lines("open \"out.txt\nsetwrite \"out.txt\n");
  h.interp().output_enabled = false;
  h.Lines("print \"hidden\n");
  h.interp().output_enabled = true;
  h.Lines("print \"shown\nclose \"out.txt\n");
  EXPECT_EQ(h.ReadBox("out.txt"), "shown\r\n");
}

}  // namespace
}  // namespace corvida::logo
