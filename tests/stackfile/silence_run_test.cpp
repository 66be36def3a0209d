// SilenceRun packing and expansion: the packed layout, round trips of sounds with and
// without silences, and hostile run tables.
#include <gtest/gtest.h>

#include <random>

#include "stackfile/records_access.h"
#include "stackfile/silence_run.h"
#include "stackfile/sound.h"
#include "support/sound_files.h"

namespace corvida {
namespace {

using namespace testing;

constexpr uint32_t kRate = 11025u << 16;

SoundBytes StandardSound(const SoundBytes& samples) {
  return Concat({Format1Prefix(1, 2), StandardHeader(uint32_t(samples.size()), kRate), samples});
}

// Samples after expansion: quiet bytes come back as exact silence.
SoundBytes Flattened(SoundBytes samples) {
  for (size_t i = 0; i < samples.size();) {
    size_t end = i;
    while (end < samples.size() && samples[end] >= 0x7B && samples[end] <= 0x85) ++end;
    if (end - i >= 10) std::fill(samples.begin() + long(i), samples.begin() + long(end), 0x80);
    i = std::max(end, i + 1);
  }
  return samples;
}

SoundBytes RoundTrip(const SoundBytes& samples) {
  std::optional<SoundBytes> packed = PackSilenceRun(StandardSound(samples));
  EXPECT_TRUE(packed.has_value());
  if (!packed) return {};
  SilenceRunResult expanded = ExpandSilenceRun(*packed);
  EXPECT_EQ(expanded.alert, 0);
  SndParseResult parsed = ParseSnd(expanded.snd);
  EXPECT_EQ(parsed.alert, 0);
  EXPECT_EQ(parsed.description.data_offset, 50u);
  EXPECT_EQ(parsed.description.rate, kRate);
  return SoundBytes(expanded.snd.begin() + 50, expanded.snd.end());
}

TEST(SilenceRun, PackedLayout) {
  SoundBytes samples = {1, 2};
  samples.insert(samples.end(), 12, 0x7C);
  samples.push_back(0x90);
  SoundBytes packed = *PackSilenceRun(StandardSound(samples));
  // Two runs: (0 silent, 2 literal), (12 silent, 1 literal).
  ASSERT_EQ(packed.size(), 98u + 16 + 3);
  const uint8_t* h = packed.data() + 28;
  EXPECT_EQ(GetBE32(h + 4), 1u);
  EXPECT_EQ(GetBE32(h + 8), kRate);
  EXPECT_EQ(h[20], 0xFE);
  EXPECT_EQ(h[21], 60);
  EXPECT_EQ(GetBE32(h + 22), packed.size() - 92);
  EXPECT_EQ(GetBE32(packed.data() + 68), sound::kSilenceRun);
  EXPECT_EQ(GetBE16(packed.data() + 84), 0xFFFF);
  EXPECT_EQ(GetBE16(packed.data() + 86), 192);
  EXPECT_EQ(GetBE16(packed.data() + 90), 8);
  EXPECT_EQ(GetBE32(packed.data() + 92), samples.size());
  EXPECT_EQ(GetBE16(packed.data() + 96), 2);
  EXPECT_EQ(SoundBytes(packed.begin() + 98, packed.end()),
            (SoundBytes{0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 12, 0, 0, 0, 1, 1, 2, 0x90}));
  // Playback refuses packed sounds.
  EXPECT_EQ(ParseSnd(packed).alert, strid::kSoundUnreadable);
}

TEST(SilenceRun, RoundTrips) {
  std::mt19937 random(3);
  auto noise = [&](size_t n) {
    SoundBytes b(n);
    for (uint8_t& v : b) v = uint8_t(random());
    return b;
  };
  auto quiet = [&](size_t n) {
    SoundBytes b(n);
    for (uint8_t& v : b) v = uint8_t(0x7B + random() % 11);
    return b;
  };
  const std::pair<const char*, SoundBytes> cases[] = {
      {"empty", {}},
      {"all loud", noise(500)},
      {"all silent", SoundBytes(300, 0x80)},
      {"starts silent", Concat({quiet(40), noise(30)})},
      {"ends silent", Concat({noise(30), quiet(40)})},
      {"nine quiet bytes stay literal", Concat({noise(5), SoundBytes(9, 0x7B), noise(5)})},
      {"ten quiet bytes are silence", Concat({noise(5), SoundBytes(10, 0x85), noise(5)})},
      {"just outside the quiet range", Concat({SoundBytes(20, 0x7A), SoundBytes(20, 0x86)})},
      {"many runs",
       [&] {
         SoundBytes b;
         for (int i = 0; i < 3000; ++i)
           AppendBytes(b, Concat({quiet(10 + i % 7), noise(1 + i % 5)}));
         return b;
       }()},
  };
  for (const auto& [what, samples] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ(RoundTrip(samples), Flattened(samples));
  }
}

TEST(SilenceRun, MoreRunsThanTheCountHoldsStayLiteral) {
  // 70,000 silences would need more runs than 16 bits count: the rest stays literal.
  SoundBytes samples;
  for (int i = 0; i < 70000; ++i) AppendBytes(samples, Concat({SoundBytes(10, 0x80), {0x10}}));
  SoundBytes packed = *PackSilenceRun(StandardSound(samples));
  EXPECT_EQ(GetBE16(packed.data() + 96), 0xFFFF);
  SilenceRunResult expanded = ExpandSilenceRun(packed);
  ASSERT_EQ(expanded.alert, 0);
  EXPECT_EQ(SoundBytes(expanded.snd.begin() + 50, expanded.snd.end()), samples);
}

TEST(SilenceRun, OnlyStandardSoundsArePacked) {
  EXPECT_FALSE(PackSilenceRun(Concat({Format2Prefix(0), Header({.frames = 1}), {1, 2}})));
  EXPECT_FALSE(PackSilenceRun(SoundBytes{0, 9}));
}

// A packed sound from its run table and literal bytes.
SoundBytes Packed(uint32_t unpacked, std::initializer_list<std::pair<uint32_t, uint32_t>> runs,
                  const SoundBytes& literals) {
  SoundBytes b = *PackSilenceRun(StandardSound({}));
  b.resize(92);
  AppendBE(b, unpacked, 4);
  AppendBE(b, runs.size(), 2);
  for (auto [silence, literal] : runs) AppendBE(b, silence, 4), AppendBE(b, literal, 4);
  AppendBytes(b, literals);
  return b;
}

TEST(SilenceRun, HostileRunTables) {
  const struct {
    const char* what;
    SoundBytes packed;
    int alert;
    SoundBytes samples;
  } cases[] = {
      {"runs fill the length", Packed(5, {{2, 3}}, {1, 2, 3}), 0, {0x80, 0x80, 1, 2, 3}},
      {"runs past the length are cut",
       Packed(3, {{2, 3}, {9, 9}}, SoundBytes(12, 7)),
       0,
       {0x80, 0x80, 7}},
      {"a huge silence is cut", Packed(4, {{0xFFFFFFFF, 0}, {0, 1}}, {7}), 0, SoundBytes(4, 0x80)},
      {"bytes no run reaches stay silent", Packed(4, {{0, 1}}, {9}), 0, {9, 0x80, 0x80, 0x80}},
      {"literals past the data", Packed(10, {{0, 4}}, {1, 2, 3}), 2390, {}},
      {"literal total wrapping 32 bits", Packed(10, {{0, 0xFFFFFFFF}, {0, 2}}, {1}), 2390, {}},
      {"run table past the data",
       [] {
         SoundBytes b = Packed(4, {{0, 1}}, {1});
         b[97] = 200;
         return b;
       }(),
       2390,
       {}},
      {"cut before the run count", SoundBytes(97, 0), 2390, {}},
      {"rate 0",
       [] {
         SoundBytes b = Packed(1, {{1, 0}}, {});
         std::fill(b.begin() + 36, b.begin() + 40, 0);
         return b;
       }(),
       2390,
       {}},
      {"not SilenceRun",
       [] {
         SoundBytes b = Packed(1, {{1, 0}}, {});
         b[68] = 'X';
         return b;
       }(),
       2390,
       {}},
      {"declared length beyond 256 MiB", Packed(0xFFFFFFFF, {{1, 0}}, {}), 2391, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SilenceRunResult r = ExpandSilenceRun(c.packed);
    EXPECT_EQ(r.alert, c.alert);
    if (c.alert) {
      EXPECT_TRUE(r.snd.empty());
    } else {
      ASSERT_GE(r.snd.size(), 50u);
      EXPECT_EQ(SoundBytes(r.snd.begin() + 50, r.snd.end()), c.samples);
      EXPECT_EQ(GetBE32(r.snd.data() + 28 + 4), c.samples.size());
    }
  }
}

}  // namespace
}  // namespace corvida
