#include <gtest/gtest.h>

#include <vector>

#include "platform/audio_recorder.h"
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

}  // namespace
}  // namespace corvida
