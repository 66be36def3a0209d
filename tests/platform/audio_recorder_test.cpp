#include <gtest/gtest.h>

#include <vector>

#include "platform/audio_recorder.h"
#include "support/audio_analysis.h"
#include "support/test_support.h"

namespace corvida {
namespace {

TEST(RecordingAudio, PlaysForTheSamplesDurationOnTheVirtualClock) {
  testing::TestPlatform tp;
  AudioOutput* audio = tp.platform->audio();
  ASSERT_NE(audio, nullptr);
  VirtualClock& clock = tp.platform->virtual_clock();
  // Half a second of 16-bit stereo at 22050 Hz.
  AudioFormat format{22050, 2, SampleFormat::kS16BE};
  AudioStreamId s = audio->OpenStream(format);
  ASSERT_NE(s, 0u);
  std::vector<uint8_t> pcm(22050 / 2 * 4, 0);
  EXPECT_FALSE(audio->Playing(s));
  ASSERT_TRUE(audio->Queue(s, pcm.data(), pcm.size()));
  EXPECT_TRUE(audio->Playing(s));
  EXPECT_EQ(audio->QueuedBytes(s), pcm.size());
  clock.Advance(250);
  EXPECT_TRUE(audio->Playing(s));
  EXPECT_NEAR(static_cast<double>(audio->QueuedBytes(s)), pcm.size() / 2.0, 8);
  // Paused time does not count.
  audio->Pause(s, true);
  EXPECT_FALSE(audio->Playing(s));
  clock.Advance(1000);
  audio->Pause(s, false);
  clock.Advance(249);
  EXPECT_TRUE(audio->Playing(s));
  clock.Advance(2);
  EXPECT_FALSE(audio->Playing(s));
  EXPECT_EQ(audio->QueuedBytes(s), 0u);
  // Queuing after the end starts again from now.
  ASSERT_TRUE(audio->Queue(s, pcm.data(), 4 * 2205));
  clock.Advance(99);
  EXPECT_TRUE(audio->Playing(s));
  clock.Advance(2);
  EXPECT_FALSE(audio->Playing(s));
  const auto& played = tp.platform->recorded_audio().played();
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0].format, format);
  EXPECT_EQ(played[0].bytes, pcm.size() + 4 * 2205);
  EXPECT_FALSE(played[0].stopped_early);
}

TEST(RecordingAudio, RecordsStopsVolumeAndRefusesBadInput) {
  testing::TestPlatform tp;
  AudioOutput* audio = tp.platform->audio();
  EXPECT_EQ(audio->OpenStream({22050, 3, SampleFormat::kU8}), 0u);
  EXPECT_EQ(audio->OpenStream({0, 1, SampleFormat::kU8}), 0u);
  EXPECT_FALSE(audio->Queue(99, nullptr, 0));
  EXPECT_FALSE(audio->Playing(99));

  AudioStreamId a = audio->OpenStream({11025, 1, SampleFormat::kU8});
  AudioStreamId b = audio->OpenStream({11025, 2, SampleFormat::kS16LE});
  std::vector<uint8_t> pcm(11025, 0x80);
  audio->Queue(a, pcm.data(), pcm.size());
  // A trailing partial frame (7 bytes of 4-byte frames) is dropped.
  audio->Queue(b, pcm.data(), 7);
  EXPECT_EQ(audio->QueuedBytes(b), 4u);
  audio->SetVolume(a, 999);
  tp.platform->virtual_clock().Advance(100);
  audio->Stop(a);
  EXPECT_FALSE(audio->Playing(a));
  audio->CloseStream(b);
  EXPECT_FALSE(audio->Playing(b));

  const auto& played = tp.platform->recorded_audio().played();
  ASSERT_EQ(played.size(), 2u);
  EXPECT_TRUE(played[0].stopped_early);
  EXPECT_EQ(played[0].volume, kFullVolume);
  EXPECT_EQ(played[1].bytes, 4u);
  EXPECT_FALSE(played[1].stopped_early);  // its 0.1 ms had long run out
  // The same bytes give the same checksum, so a test can tell which sound was queued.
  AudioStreamId c = audio->OpenStream({11025, 1, SampleFormat::kU8});
  audio->Queue(c, pcm.data(), pcm.size());
  EXPECT_EQ(played[2].checksum, played[0].checksum);
  EXPECT_EQ(tp.platform->recorded_audio().OpenStreams(), 2u);
}

// A constant level, so that what the capture holds tells which sound was heard.
std::vector<uint8_t> Level(int16_t value, size_t frames) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < frames; ++i)
    out.push_back(uint8_t(value & 0xFF)), out.push_back(uint8_t(value >> 8));
  return out;
}

TEST(RecordingAudio, TheCaptureHoldsWhatWasHeardWhenItWasHeard) {
  testing::TestPlatform tp;
  RecordingAudioOutput& audio = tp.platform->recorded_audio();
  VirtualClock& clock = tp.platform->virtual_clock();
  MemoryCapture capture;
  audio.SetCapture(&capture);
  const AudioFormat format{44100, 1, SampleFormat::kS16LE};
  clock.Advance(100);
  const AudioStreamId first = audio.OpenStream(format);
  const std::vector<uint8_t> long_level = Level(1000, 44100);  // a second
  audio.Queue(first, long_level.data(), long_level.size());
  clock.Advance(200);
  // A second sound cuts the first off and plays its own tenth of a second.
  audio.Stop(first);
  const AudioStreamId second = audio.OpenStream(format);
  const std::vector<uint8_t> short_level = Level(-2000, 4410);
  audio.Queue(second, short_level.data(), short_level.size());
  clock.Advance(1000);
  audio.CatchUp();

  ASSERT_EQ(capture.frames(), 1300u * 44100 / 1000);
  // Frame ranges (in milliseconds) and the level heard on both sides.
  const struct {
    size_t from_ms, to_ms;
    int16_t level;
  } heard[] = {{0, 100, 0}, {100, 300, 1000}, {300, 400, -2000}, {400, 1300, 0}};
  for (const auto& h : heard) {
    for (int channel : {0, 1}) {
      testing::StereoSpan span{capture.samples(), h.from_ms * 441 / 10,
                               (h.to_ms - h.from_ms) * 441 / 10, channel};
      EXPECT_NEAR(testing::Rms(span), std::abs(h.level), 1) << h.from_ms << " ms";
    }
  }
  EXPECT_TRUE(audio.played()[0].stopped_early);
  EXPECT_FALSE(audio.Playing(second));
}

TEST(RecordingAudio, LongSilencesCostNothingWithoutACaptureAndAreKeptWithOne) {
  testing::TestPlatform tp;
  RecordingAudioOutput& audio = tp.platform->recorded_audio();
  tp.platform->virtual_clock().Advance(24u * 3600 * 1000);  // a day
  audio.CatchUp();
  EXPECT_EQ(audio.MixedFrames(), uint64_t{24} * 3600 * 44100);
  MemoryCapture capture(44100);  // room for a second
  audio.SetCapture(&capture);
  tp.platform->virtual_clock().Advance(5000);
  audio.CatchUp();
  EXPECT_EQ(capture.frames(), 44100u);  // full: the rest is not kept
}

}  // namespace
}  // namespace corvida
