// The mixer both audio outputs share: conversion of every format and rate to the device's
// 44.1 kHz stereo, sums, clipping, volumes, and the voices' stop, pause and limits.
#include "platform/audio_mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "support/audio_analysis.h"

namespace corvida {
namespace {

using testing::StereoSpan;

constexpr int kDeviceRate = 44100;

void PutSample(std::vector<uint8_t>& out, SampleFormat format, double value) {
  const auto v = static_cast<int16_t>(std::lround(value));
  switch (format) {
    case SampleFormat::kU8:
      out.push_back(static_cast<uint8_t>((v >> 8) + 128));
      break;
    case SampleFormat::kS16LE:
      out.push_back(uint8_t(v & 0xFF)), out.push_back(uint8_t((v >> 8) & 0xFF));
      break;
    case SampleFormat::kS16BE:
      out.push_back(uint8_t((v >> 8) & 0xFF)), out.push_back(uint8_t(v & 0xFF));
      break;
  }
}

// `seconds` of a sine tone on the left channel (and on the right, which is silent in stereo).
std::vector<uint8_t> Tone(const AudioFormat& f, double hertz, double seconds, double amplitude) {
  std::vector<uint8_t> out;
  const auto frames = static_cast<size_t>(f.rate * seconds);
  for (size_t i = 0; i < frames; ++i) {
    PutSample(out, f.format,
              amplitude * std::sin(2 * std::numbers::pi * hertz * double(i) / f.rate));
    if (f.channels == 2) PutSample(out, f.format, 0);
  }
  return out;
}

std::vector<int16_t> MixAll(AudioMixer& mixer, size_t frames) {
  std::vector<int16_t> out(frames * 2);
  mixer.Mix(out.data(), frames);
  return out;
}

struct ToneCase {
  AudioFormat format;
  double hertz;
};

TEST(AudioMixer, EveryFormatAndRateComesOutAtTheDeviceRateWithItsPitchAndLevel) {
  const ToneCase cases[] = {
      {{8000, 1, SampleFormat::kU8}, 1000},      {{8000, 1, SampleFormat::kS16BE}, 1000},
      {{11025, 2, SampleFormat::kU8}, 1000},     {{22050, 2, SampleFormat::kS16LE}, 440},
      {{22254, 1, SampleFormat::kS16BE}, 2000},  {{44100, 1, SampleFormat::kS16LE}, 3000},
      {{48000, 2, SampleFormat::kS16BE}, 1000},  {{65535, 1, SampleFormat::kS16BE}, 5000},
      {{192000, 2, SampleFormat::kS16LE}, 1000},
  };
  for (const ToneCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.format.rate << " Hz, " << c.format.channels
                                      << " channels, format " << int(c.format.format));
    AudioMixer mixer(kDeviceRate);
    const AudioStreamId voice = mixer.Open(c.format);
    ASSERT_NE(voice, 0u);
    const std::vector<uint8_t> pcm = Tone(c.format, c.hertz, 0.5, 16000);
    ASSERT_TRUE(mixer.Queue(voice, pcm.data(), pcm.size()));
    // Half a second at any rate is half a second at the device's.
    EXPECT_NEAR(double(mixer.FramesLeft(voice)), kDeviceRate / 2.0, 5);
    const std::vector<int16_t> out = MixAll(mixer, kDeviceRate / 2);
    EXPECT_FALSE(mixer.Playing(voice));
    const StereoSpan left{out, 2000, 18000, 0};
    EXPECT_NEAR(testing::ToneHertz(left, kDeviceRate), c.hertz, c.hertz * 0.01);
    EXPECT_NEAR(testing::Rms(left), 16000 / std::sqrt(2.0), 16000 * 0.03);
    const double right = testing::Rms({out, 2000, 18000, 1});
    if (c.format.channels == 1) {
      EXPECT_NEAR(right, testing::Rms(left), 1);  // mono is heard on both sides at full level
    } else {
      EXPECT_LT(right, 200);  // the channels stay apart
    }
  }
}

TEST(AudioMixer, TheLowestRateIsInterpolatedNotRepeated) {
  AudioMixer mixer(kDeviceRate);
  const AudioStreamId voice = mixer.Open({1, 1, SampleFormat::kS16LE});
  ASSERT_NE(voice, 0u);
  std::vector<uint8_t> pcm;
  for (double v : {-16000.0, 16000.0, -16000.0, 16000.0}) PutSample(pcm, SampleFormat::kS16LE, v);
  ASSERT_TRUE(mixer.Queue(voice, pcm.data(), pcm.size()));
  EXPECT_EQ(mixer.FramesLeft(voice), 4u * kDeviceRate);  // four seconds
  const std::vector<int16_t> out = MixAll(mixer, 4 * kDeviceRate);
  // Repeating each sample would jump by 32000 once a second; a real resampler glides.
  EXPECT_LT(testing::LargestStep({out, 0, 4 * kDeviceRate, 0}), 200);
  EXPECT_GT(testing::Rms({out, kDeviceRate, 2 * kDeviceRate, 0}), 5000);
}

struct SumCase {
  int16_t a, b;
  int volume_a, volume_b;
  int16_t heard;
};

TEST(AudioMixer, VoicesAreScaledByTheirVolumesSummedAndClipped) {
  const SumCase cases[] = {
      {10000, -3000, kFullVolume, kFullVolume, 7000},
      {20000, 20000, kFullVolume, kFullVolume, 32767},  // clipped, not wrapped
      {-20000, -20000, kFullVolume, kFullVolume, -32768},
      {20000, 20000, 128, 128, 20000},      // half each
      {8000, 30000, kFullVolume, 0, 8000},  // silenced
      {8000, 0, 999, kFullVolume, 8000},    // beyond full is full
      {8000, 0, -5, kFullVolume, 0},
  };
  const AudioFormat same{kDeviceRate, 1, SampleFormat::kS16LE};
  for (const SumCase& c : cases) {
    AudioMixer mixer(kDeviceRate);
    const AudioStreamId a = mixer.Open(same), b = mixer.Open(same);
    std::vector<uint8_t> pa, pb;
    for (int i = 0; i < 1000; ++i) PutSample(pa, same.format, c.a), PutSample(pb, same.format, c.b);
    mixer.Queue(a, pa.data(), pa.size());
    mixer.Queue(b, pb.data(), pb.size());
    mixer.SetVolume(a, c.volume_a);
    mixer.SetVolume(b, c.volume_b);
    const std::vector<int16_t> out = MixAll(mixer, 1000);
    EXPECT_EQ(out[1000], c.heard) << c.a << " + " << c.b;
    EXPECT_EQ(out[1001], c.heard);
    EXPECT_FALSE(mixer.Active());  // a silenced voice still ends on time
  }
}

TEST(AudioMixer, EightBitSamplesAreUnsignedAndBigEndianEqualsLittleEndian) {
  AudioMixer mixer(kDeviceRate);
  const AudioStreamId u8 = mixer.Open({kDeviceRate, 1, SampleFormat::kU8});
  const std::vector<uint8_t> bytes = {0x80, 0xC0, 0x40, 0x00};
  mixer.Queue(u8, bytes.data(), bytes.size());
  std::vector<int16_t> out = MixAll(mixer, 4);
  EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 0x4000, 0x4000, -0x4000, -0x4000, -0x8000, -0x8000}));

  const AudioStreamId be = mixer.Open({kDeviceRate, 2, SampleFormat::kS16BE});
  const AudioStreamId le = mixer.Open({kDeviceRate, 2, SampleFormat::kS16LE});
  const std::vector<uint8_t> big = {0x12, 0x34, 0xFF, 0xFE}, little = {0x34, 0x12, 0xFE, 0xFF};
  mixer.Queue(be, big.data(), big.size());
  mixer.Queue(le, little.data(), little.size());
  mixer.SetVolume(le, 0);
  out = MixAll(mixer, 1);
  EXPECT_EQ(out, (std::vector<int16_t>{0x1234, -2}));
}

TEST(AudioMixer, StopPauseCloseAndWhatIsRefused) {
  AudioMixer mixer(kDeviceRate, 1);  // a voice holds at most a second
  for (AudioFormat bad :
       {AudioFormat{0, 1, SampleFormat::kU8}, AudioFormat{192001, 1, SampleFormat::kU8},
        AudioFormat{8000, 3, SampleFormat::kU8}})
    EXPECT_EQ(mixer.Open(bad), 0u);
  EXPECT_FALSE(mixer.Queue(77, nullptr, 0));
  EXPECT_FALSE(mixer.Playing(77));

  const AudioStreamId v = mixer.Open({8000, 2, SampleFormat::kS16LE});
  std::vector<uint8_t> two_seconds(8000 * 2 * 4, 0);
  // More than a voice may hold: what fits is kept.
  EXPECT_FALSE(mixer.Queue(v, two_seconds.data(), two_seconds.size()));
  EXPECT_EQ(mixer.FramesLeft(v), uint64_t(kDeviceRate));
  EXPECT_EQ(mixer.QueuedBytes(v), 8000u * 4);
  mixer.Pause(v, true);
  EXPECT_FALSE(mixer.Playing(v));
  EXPECT_FALSE(mixer.Active());
  MixAll(mixer, 1000);
  EXPECT_EQ(mixer.FramesLeft(v), uint64_t(kDeviceRate));  // held while paused
  mixer.Pause(v, false);
  MixAll(mixer, 1000);
  EXPECT_EQ(mixer.FramesLeft(v), uint64_t(kDeviceRate) - 1000);
  mixer.Stop(v);
  EXPECT_FALSE(mixer.Playing(v));
  // A trailing partial frame is dropped; the stream takes more after a stop.
  EXPECT_TRUE(mixer.Queue(v, two_seconds.data(), 7));
  EXPECT_EQ(mixer.FramesLeft(v), 6u);  // one frame: 44100 / 8000 device frames, rounded
  mixer.Close(v);
  EXPECT_FALSE(mixer.Playing(v));
  EXPECT_FALSE(mixer.Queue(v, two_seconds.data(), 4));
}

}  // namespace
}  // namespace corvida
