// Linear resampling for builds without FFmpeg (the browser): sample formats, the length
// and placing of what comes out, channels, and a tone's pitch and level kept.
#include "platform/audio_resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "support/audio_analysis.h"

namespace corvida {
namespace {

struct SampleCase {
  SampleFormat format;
  std::vector<uint8_t> bytes;
  int16_t value;
};

TEST(AudioResample, EachFormatReadsAsSigned16Bits) {
  const SampleCase cases[] = {
      {SampleFormat::kU8, {0x80}, 0},
      {SampleFormat::kU8, {0xFF}, 32512},
      {SampleFormat::kU8, {0x00}, -32768},
      {SampleFormat::kS16LE, {0x34, 0x12}, 0x1234},
      {SampleFormat::kS16LE, {0x00, 0x80}, -32768},
      {SampleFormat::kS16BE, {0x12, 0x34}, 0x1234},
      {SampleFormat::kS16BE, {0xFF, 0xFF}, -1},
  };
  for (const SampleCase& c : cases)
    EXPECT_EQ(SampleAsS16(c.format, c.bytes.data()), c.value) << int(c.format);
}

// Little-endian 16-bit mono frames.
std::vector<uint8_t> Mono16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  for (int16_t v : samples)
    out.push_back(uint8_t(v & 0xFF)), out.push_back(uint8_t((v >> 8) & 0xFF));
  return out;
}

std::vector<int16_t> Left(const std::vector<int16_t>& stereo) {
  std::vector<int16_t> left;
  for (size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
  return left;
}

struct PlaceCase {
  std::vector<int16_t> in;
  uint64_t want;
  std::vector<int16_t> left;
};

TEST(AudioResample, OutputFramesLieBetweenTheInputFramesAroundThem) {
  const PlaceCase cases[] = {
      {{0, 1000}, 4, {0, 500, 1000, 1000}},          // up: halfway, then the last held
      {{0, 100, 200, 300}, 2, {0, 200}},             // down: every other frame
      {{-400, 400}, 1, {-400}},                      // one frame: the first
      {{7}, 3, {7, 7, 7}},                           // one frame in: held
      {{0, 300, 600}, 3, {0, 300, 600}},             // same length: unchanged
      {{-32768, 32767}, 3, {-32768, 10922, 32767}},  // the whole range without wrapping
  };
  const AudioFormat mono{22050, 1, SampleFormat::kS16LE};
  for (const PlaceCase& c : cases) {
    const std::vector<uint8_t> pcm = Mono16(c.in);
    std::vector<int16_t> out;
    ResampleLinear(mono, pcm.data(), c.in.size(), c.want, out);
    ASSERT_EQ(out.size(), c.want * 2);
    EXPECT_EQ(Left(out), c.left) << c.in.size() << " to " << c.want;
    for (size_t i = 0; i < out.size(); i += 2) EXPECT_EQ(out[i], out[i + 1]);  // mono on both sides
  }
}

TEST(AudioResample, StereoChannelsStayApartAndOutputIsAppended) {
  const std::vector<uint8_t> pcm = {0x80, 0xC0, 0x80, 0xC0};  // two frames: left 0, right 16384
  std::vector<int16_t> out = {11, 22};
  ResampleLinear({11025, 2, SampleFormat::kU8}, pcm.data(), 2, 3, out);
  EXPECT_EQ(out, (std::vector<int16_t>{11, 22, 0, 16384, 0, 16384, 0, 16384}));
}

TEST(AudioResample, NothingComesOfNothing) {
  const std::vector<uint8_t> pcm = {0, 0};
  std::vector<int16_t> out;
  ResampleLinear({8000, 1, SampleFormat::kS16BE}, pcm.data(), 0, 10, out);
  ResampleLinear({8000, 1, SampleFormat::kS16BE}, pcm.data(), 1, 0, out);
  ResampleLinear({8000, 1, SampleFormat::kS16BE}, nullptr, 1, 10, out);
  ResampleLinear({8000, 3, SampleFormat::kS16BE}, pcm.data(), 1, 10, out);  // invalid format
  EXPECT_TRUE(out.empty());
}

TEST(AudioResample, AToneKeepsItsPitchAndLevelAtTheDeviceRate) {
  constexpr int kDeviceRate = 44100;
  for (const int rate : {8000, 11025, 22254, 48000}) {
    SCOPED_TRACE(rate);
    std::vector<int16_t> tone;
    for (int i = 0; i < rate / 2; ++i)
      tone.push_back(
          int16_t(std::lround(16000 * std::sin(2 * std::numbers::pi * 1000 * i / rate))));
    const std::vector<uint8_t> pcm = Mono16(tone);
    const uint64_t want = uint64_t(kDeviceRate) / 2;
    std::vector<int16_t> out;
    ResampleLinear({rate, 1, SampleFormat::kS16LE}, pcm.data(), tone.size(), want, out);
    const testing::StereoSpan left{out, 2000, 18000, 0};
    EXPECT_NEAR(testing::ToneHertz(left, kDeviceRate), 1000, 10);
    EXPECT_NEAR(testing::Rms(left), 16000 / std::sqrt(2.0), 16000 * 0.05);
  }
}

}  // namespace
}  // namespace corvida
