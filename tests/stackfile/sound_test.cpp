// 'Snd ' resources read into sample descriptions and decoded: every prefix and header
// kind, the checks that make a sound unreadable, and MACE decoding.
#include <gtest/gtest.h>

#include <random>

#include "stackfile/sound.h"
#include "support/sound_files.h"

namespace corvida {
namespace {

using namespace testing;

constexpr uint32_t k22k = 22050u << 16;

SoundBytes Samples(size_t count, uint8_t seed = 1) {
  SoundBytes b(count);
  for (size_t i = 0; i < count; ++i) b[i] = uint8_t(seed + i * 37);
  return b;
}

struct ParseCase {
  const char* what;
  SoundBytes resource;
  FourCC format;
  int channels, sample_size;
  uint64_t data_offset, samples, bytes;
};

TEST(SndParse, PrefixesAndHeaders) {
  const ParseCase cases[] = {
      {"format 1, one type, two commands: header at 28",
       Concat({Format1Prefix(1, 2), StandardHeader(5, k22k), Samples(5)}), sound::kRaw, 1, 8, 50, 5,
       5},
      {"format 256 reads as format 1",
       Concat({Format1Prefix(1, 1, 256), StandardHeader(3, k22k), Samples(3)}), sound::kRaw, 1, 8,
       20 + 22, 3, 3},
      {"format 1 with three types: commands counted after them",
       Concat({Format1Prefix(3, 1), StandardHeader(2, k22k), Samples(2)}), sound::kRaw, 1, 8,
       32 + 22, 2, 2},
      {"format 1 with no type", Concat({Format1Prefix(0, 0), StandardHeader(1, k22k), {7}}),
       sound::kRaw, 1, 8, 6 + 22, 1, 1},
      {"format 2 with one command: header at 14",
       Concat({Format2Prefix(1), StandardHeader(4, k22k), Samples(4)}), sound::kRaw, 1, 8, 36, 4,
       4},
      {"extended 16-bit stereo",
       Concat({Format2Prefix(0), Header({.channels = 2, .frames = 3}), Samples(12)}), sound::kRaw,
       2, 16, 70, 3, 12},
      {"extended 8-bit mono with the 80-bit rate left zero",
       Concat({Format2Prefix(0), Header({.frames = 4, .sample_size = 8, .rate80 = 0}), Samples(4)}),
       sound::kRaw, 1, 8, 70, 4, 4},
      {"compressed, no compression",
       Concat({Format2Prefix(0),
               Header({.encode = 0xFE, .channels = 2, .frames = 2, .sample_size = 8}), Samples(4)}),
       sound::kRaw, 2, 8, 70, 2, 4},
      {"MACE 3:1 mono: 2 bytes a packet",
       Concat({Format2Prefix(0),
               Header({.encode = 0xFE, .frames = 5, .sample_size = 8, .compression_id = 3}),
               Samples(10)}),
       sound::kMace3, 1, 8, 70, 30, 10},
      {"MACE 3:1 stereo: 4 bytes a packet",
       Concat({Format2Prefix(0),
               Header({.encode = 0xFE,
                       .channels = 2,
                       .frames = 5,
                       .sample_size = 8,
                       .compression_id = 3}),
               Samples(20)}),
       sound::kMace3, 2, 8, 70, 30, 20},
      {"MACE 6:1 mono: 1 byte a packet",
       Concat({Format2Prefix(0),
               Header({.encode = 0xFE, .frames = 5, .sample_size = 8, .compression_id = 4}),
               Samples(5)}),
       sound::kMace6, 1, 8, 70, 30, 5},
      {"MACE 6:1 stereo: 2 bytes a packet",
       Concat({Format2Prefix(0),
               Header({.encode = 0xFE,
                       .channels = 2,
                       .frames = 5,
                       .sample_size = 8,
                       .compression_id = 4}),
               Samples(10)}),
       sound::kMace6, 2, 8, 70, 30, 10},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.what);
    SndParseResult r = ParseSnd(c.resource);
    ASSERT_EQ(r.alert, 0);
    EXPECT_EQ(r.description.data_format, c.format);
    EXPECT_EQ(r.description.channels, c.channels);
    EXPECT_EQ(r.description.sample_size, c.sample_size);
    EXPECT_EQ(r.description.data_offset, c.data_offset);
    EXPECT_EQ(r.description.sample_count, c.samples);
    EXPECT_EQ(r.description.byte_count, c.bytes);
  }
}

TEST(SndParse, UnreadableSounds) {
  auto with_extended = [](LongHeader h, size_t data) {
    return Concat({Format2Prefix(0), Header(h), Samples(data)});
  };
  const std::pair<const char*, SoundBytes> cases[] = {
      {"empty", {}},
      {"format word only", {0, 1}},
      {"format 3", Concat({{0, 3}, Format2Prefix(0), StandardHeader(1, k22k), {1}})},
      {"command count beyond the end", {0, 1, 0, 1, 0, 5, 0, 0, 0, 0x80}},
      {"commands beyond the end", Format1Prefix(1, 2)},
      {"data types beyond the end", {0, 1, 0xFF, 0xFF}},
      {"header cut short", Concat({Format2Prefix(0), SoundBytes(21, 0)})},
      {"standard data past the end",
       Concat({Format2Prefix(0), StandardHeader(6, k22k), Samples(5)})},
      {"encode 0x01",
       [] {
         SoundBytes b = Concat({Format2Prefix(0), StandardHeader(1, k22k), {1}});
         b[6 + 20] = 1;
         return b;
       }()},
      {"extended header cut short",
       [] {
         SoundBytes b = Concat({Format2Prefix(0), Header({})});
         b.resize(6 + 40);
         return b;
       }()},
      {"extended data past the end", with_extended({.channels = 2, .frames = 3}, 11)},
      {"three channels", with_extended({.channels = 3, .frames = 1}, 6)},
      {"no channel", with_extended({.channels = 0, .frames = 1}, 2)},
      {"65,537 channels, a product that must not wrap", with_extended({.channels = 65537}, 0)},
      {"12-bit samples", with_extended({.frames = 1, .sample_size = 12}, 2)},
      {"rate 0", with_extended({.rate = 0, .frames = 1}, 2)},
      {"rate below 1 Hz", with_extended({.rate = 0x8000, .frames = 1}, 2)},
      {"rate rounding to 65,536 Hz", with_extended({.rate = 0xFFFF8000, .frames = 1}, 2)},
      {"80-bit rate beyond 65,535 Hz", with_extended({.frames = 1, .rate80 = 96000}, 2)},
      {"80-bit rate infinite",
       [&] {
         SoundBytes b = with_extended({.frames = 1}, 2);
         b[6 + 26] = 0x7F, b[6 + 27] = 0xFF;
         std::fill(b.begin() + 6 + 28, b.begin() + 6 + 36, 0);
         b[6 + 28] = 0x80;
         return b;
       }()},
      {"frames making 16 GB", with_extended({.channels = 2, .frames = 0xFFFFFFFF}, 64)},
      {"compression ID 2", with_extended({.encode = 0xFE, .frames = 1, .compression_id = 2}, 64)},
      {"compression ID -1 (SilenceRun)",
       with_extended({.encode = 0xFE, .frames = 1, .compression_id = -1}, 64)},
      {"MACE with three channels",
       with_extended({.encode = 0xFE, .channels = 3, .frames = 1, .compression_id = 3}, 64)},
      {"MACE data past the end",
       with_extended(
           {.encode = 0xFE, .channels = 2, .frames = 4, .sample_size = 8, .compression_id = 3},
           15)},
  };
  for (const auto& [what, resource] : cases) {
    EXPECT_EQ(ParseSnd(resource).alert, strid::kSoundUnreadable) << what;
    EXPECT_EQ(DecodeSnd(resource).alert, strid::kSoundUnreadable) << what;
  }
}

TEST(SndDecode, RawSamplesAsStoredAtWholeHertz) {
  // 22,254.5454 Hz, the classic rate, rounds to 22,255.
  SoundBytes eight = Concat({Format1Prefix(1, 2), StandardHeader(4, 0x56EE8BA3), {1, 2, 3, 4}});
  SoundDecodeResult r = DecodeSnd(eight);
  ASSERT_EQ(r.alert, 0);
  EXPECT_EQ(r.pcm.format, (AudioFormat{22255, 1, SampleFormat::kU8}));
  EXPECT_EQ(r.pcm.samples, (SoundBytes{1, 2, 3, 4}));

  SoundBytes sixteen =
      Concat({Format2Prefix(0),
              Header({.channels = 2, .rate = 11025u << 16, .frames = 1, .rate80 = 11025}),
              {0x12, 0x34, 0xAB, 0xCD, 0xEE}});
  r = DecodeSnd(sixteen);
  ASSERT_EQ(r.alert, 0);
  EXPECT_EQ(r.pcm.format, (AudioFormat{11025, 2, SampleFormat::kS16BE}));
  EXPECT_EQ(r.pcm.samples,
            (SoundBytes{0x12, 0x34, 0xAB, 0xCD}));  // the trailing byte is not a sample
}

SoundBytes MaceSound(int16_t id, uint32_t channels, uint32_t packets, const SoundBytes& data) {
  return Concat({Format2Prefix(1),
                 Header({.encode = 0xFE,
                         .channels = channels,
                         .rate = 11025u << 16,
                         .frames = packets,
                         .sample_size = 8,
                         .compression_id = id}),
                 data});
}

TEST(SndDecode, MaceLengthsMonoAndStereo) {
  std::mt19937 random(7);
  struct Case {
    int16_t id;
    uint32_t channels, packets;
    size_t bytes;
  } cases[] = {{3, 1, 100, 200}, {3, 2, 100, 400},    {4, 1, 100, 100},
               {4, 2, 100, 200}, {3, 1, 5000, 10000}, {4, 2, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "id " << c.id << ", " << c.channels << " channels");
    SoundBytes data(c.bytes);
    for (uint8_t& b : data) b = uint8_t(random());
    SoundBytes resource = MaceSound(c.id, c.channels, c.packets, data);
    SoundDecodeResult first = DecodeSnd(resource);
    ASSERT_EQ(first.alert, 0);
    EXPECT_EQ(first.pcm.format, (AudioFormat{11025, int(c.channels), SampleFormat::kS16LE}));
    // Six 16-bit samples per channel for every packet.
    EXPECT_EQ(first.pcm.samples.size(), size_t(c.packets) * 6 * c.channels * 2);
    EXPECT_EQ(DecodeSnd(resource).pcm.samples, first.pcm.samples);
  }
}

TEST(SndDecode, MaceChannelsDecodeApartAndSilenceStaysQuiet) {
  // Stereo packets interleave the channels; the same bytes in both give equal channels.
  SoundBytes mono_data(64), stereo_data;
  for (size_t i = 0; i < mono_data.size(); ++i) mono_data[i] = uint8_t(i * 29 + 3);
  for (size_t i = 0; i < mono_data.size(); ++i)
    stereo_data.push_back(mono_data[i]), stereo_data.push_back(mono_data[i]);
  SoundDecodeResult mono = DecodeSnd(MaceSound(4, 1, 64, mono_data));
  SoundDecodeResult stereo = DecodeSnd(MaceSound(4, 2, 64, stereo_data));
  ASSERT_EQ(mono.alert, 0);
  ASSERT_EQ(stereo.alert, 0);
  ASSERT_EQ(stereo.pcm.samples.size(), mono.pcm.samples.size() * 2);
  const SoundBytes& m = mono.pcm.samples;
  const SoundBytes& s = stereo.pcm.samples;
  for (size_t k = 0; 2 * k + 1 < m.size(); ++k) {
    const SoundBytes sample = {m[2 * k], m[2 * k + 1]};
    ASSERT_EQ((SoundBytes{s[4 * k], s[4 * k + 1]}), sample);
    ASSERT_EQ((SoundBytes{s[4 * k + 2], s[4 * k + 3]}), sample);
  }
  EXPECT_NE(mono.pcm.samples, SoundBytes(mono.pcm.samples.size(), 0));
}

TEST(SoundFileKind, ByExtension) {
  const std::pair<const char*, std::optional<SoundFileKind>> cases[] = {
      {"a.wav", SoundFileKind::kWav},
      {"A.WAV", SoundFileKind::kWav},
      {"b.aif", SoundFileKind::kAiff},
      {"b.AIFF", SoundFileKind::kAiff},
      {"b.aifc", SoundFileKind::kAiff},
      {"c.au", SoundFileKind::kAu},
      {"c.snd", SoundFileKind::kAu},
      {"dir.wav/file", std::nullopt},
      {"noext", std::nullopt},
      {"x.mov", std::nullopt},
      {"wav", std::nullopt},
      {"x.", std::nullopt},
  };
  for (const auto& [name, kind] : cases) EXPECT_EQ(SoundFileKindOf(name), kind) << name;
}

}  // namespace
}  // namespace corvida
