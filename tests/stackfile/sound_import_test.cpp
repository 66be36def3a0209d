// Sound files made into the stored layout: the layout written for each shape of sound,
// the sample conversions of each file kind, and the files refused with their alerts.
#include <gtest/gtest.h>

#include "stackfile/records_access.h"
#include "stackfile/sound.h"
#include "support/sound_files.h"

namespace corvida {
namespace {

using namespace testing;

uint32_t BE32(const SoundBytes& b, size_t at) {
  return GetBE32(b.data() + at);
}
uint16_t BE16(const SoundBytes& b, size_t at) {
  return GetBE16(b.data() + at);
}
SoundBytes Tail(const SoundBytes& b, size_t from) {
  return SoundBytes(b.begin() + long(from), b.end());
}

SoundBytes Imported(const SoundBytes& file, SoundFileKind kind) {
  SoundImportResult r = ImportSoundFile(file, kind);
  EXPECT_EQ(r.alert, 0);
  return r.snd;
}

TEST(SoundImport, EightBitMonoWavBecomesAStandardSound) {
  SoundBytes s = Imported(WavFile(1, 8, 11025, {0x80, 0x00, 0xFF}), SoundFileKind::kWav);
  ASSERT_EQ(s.size(), 53u);
  // Format 1, one sampled-sound type, mono; a buffer command for the header at 28 and
  // an amplitude command.
  EXPECT_EQ(SoundBytes(s.begin(), s.begin() + 28),
            (SoundBytes{0, 1, 0, 1, 0, 5,  0, 0,  0, 0x80, 0, 2, 0x80, 0x51,
                        0, 0, 0, 0, 0, 28, 0, 43, 0, 255,  0, 0, 0,    0}));
  EXPECT_EQ(BE32(s, 28 + 4), 3u);              // length
  EXPECT_EQ(BE32(s, 28 + 8), 11025u * 65536);  // rate
  EXPECT_EQ(s[28 + 20], 0x00);                 // encode
  EXPECT_EQ(s[28 + 21], 60);                   // base frequency
  EXPECT_EQ(Tail(s, 50), (SoundBytes{0x80, 0x00, 0xFF}));

  SndParseResult parsed = ParseSnd(s);
  ASSERT_EQ(parsed.alert, 0);
  EXPECT_EQ(parsed.description.data_offset, 50u);
  EXPECT_EQ(parsed.description.rate, 11025u << 16);
}

TEST(SoundImport, SixteenBitStereoWavBecomesAnExtendedSoundBigEndian) {
  SoundBytes s = Imported(WavFile(2, 16, 44100, {0x34, 0x12, 0xCD, 0xAB, 0x01, 0x80, 0xFF, 0x7F}),
                          SoundFileKind::kWav);
  ASSERT_EQ(s.size(), 92u + 8);
  EXPECT_EQ(BE32(s, 6), 0xC0u);  // stereo
  EXPECT_EQ(BE32(s, 28 + 4), 2u);
  EXPECT_EQ(BE32(s, 28 + 8), 44100u << 16);
  EXPECT_EQ(s[28 + 20], 0xFF);
  EXPECT_EQ(BE32(s, 28 + 22), 2u);  // frames from bytes
  EXPECT_EQ(SoundBytes(s.begin() + 28 + 26, s.begin() + 28 + 36), Extended80(44100));
  EXPECT_EQ(BE16(s, 28 + 48), 16);
  EXPECT_EQ(Tail(s, 92), (SoundBytes{0x12, 0x34, 0xAB, 0xCD, 0x80, 0x01, 0x7F, 0xFF}));

  SoundDecodeResult decoded = DecodeSnd(s);
  ASSERT_EQ(decoded.alert, 0);
  EXPECT_EQ(decoded.pcm.format, (AudioFormat{44100, 2, SampleFormat::kS16BE}));
}

struct ShapeCase {
  const char* what;
  SoundBytes file;
  SoundFileKind kind;
  size_t data_at;
  int channels, sample_size;
  uint32_t hertz;
  SoundBytes samples;  // as stored
};

TEST(SoundImport, EachKindConvertsItsSamples) {
  const ShapeCase cases[] = {
      {"8-bit stereo WAV: extended, unsigned kept",
       WavFile(2, 8, 8000, {1, 2, 3, 4}),
       SoundFileKind::kWav,
       92,
       2,
       8,
       8000,
       {1, 2, 3, 4}},
      {"16-bit mono WAV swapped",
       WavFile(1, 16, 22050, {0x01, 0x02}),
       SoundFileKind::kWav,
       92,
       1,
       16,
       22050,
       {0x02, 0x01}},
      {"WAV with a trailing half frame",
       WavFile(1, 16, 22050, {0x01, 0x02, 0x03}),
       SoundFileKind::kWav,
       92,
       1,
       16,
       22050,
       {0x02, 0x01}},
      {"8-bit AIFF: signed made unsigned",
       AiffFile(1, 8, 11025, {0x00, 0x7F, 0x80, 0xFF}),
       SoundFileKind::kAiff,
       50,
       1,
       8,
       11025,
       {0x80, 0xFF, 0x00, 0x7F}},
      {"16-bit stereo AIFF kept big-endian",
       AiffFile(2, 16, 32000, {1, 2, 3, 4}),
       SoundFileKind::kAiff,
       92,
       2,
       16,
       32000,
       {1, 2, 3, 4}},
      {"AIFC 'NONE'",
       AiffFile(1, 16, 22050, {9, 8}, "NONE"),
       SoundFileKind::kAiff,
       92,
       1,
       16,
       22050,
       {9, 8}},
      {"AU mu-law expanded to 16 bits",
       AuFile(1, 1, 8000, {0xFF, 0x7F, 0x00, 0x80}),
       SoundFileKind::kAu,
       92,
       1,
       16,
       8000,
       // 0xFF and 0x7F are the two zeros; 0x00 and 0x80 the extremes.
       {0x00, 0x00, 0x00, 0x00, 0x82, 0x84, 0x7D, 0x7C}},
      {"AU 8-bit linear: signed made unsigned",
       AuFile(2, 1, 8000, {0x00, 0x80}),
       SoundFileKind::kAu,
       50,
       1,
       8,
       8000,
       {0x80, 0x00}},
      {"AU 16-bit stereo kept",
       AuFile(3, 2, 16000, {1, 2, 3, 4}),
       SoundFileKind::kAu,
       92,
       2,
       16,
       16000,
       {1, 2, 3, 4}},
      {"AU of unknown size reads to the end",
       AuFile(2, 1, 8000, {1, 2, 3}, 0xFFFFFFFF),
       SoundFileKind::kAu,
       50,
       1,
       8,
       8000,
       {0x81, 0x82, 0x83}},
      {"AU whose size runs past the end is cut",
       AuFile(2, 1, 8000, {1, 2}, 1000),
       SoundFileKind::kAu,
       50,
       1,
       8,
       8000,
       {0x81, 0x82}},
      {"AU whose size is shorter than the file",
       AuFile(2, 1, 8000, {1, 2, 3}, 1),
       SoundFileKind::kAu,
       50,
       1,
       8,
       8000,
       {0x81}},
  };
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(c.what);
    SoundBytes s = Imported(c.file, c.kind);
    SndParseResult parsed = ParseSnd(s);
    ASSERT_EQ(parsed.alert, 0);
    EXPECT_EQ(parsed.description.data_offset, c.data_at);
    EXPECT_EQ(parsed.description.channels, c.channels);
    EXPECT_EQ(parsed.description.sample_size, c.sample_size);
    EXPECT_EQ(parsed.description.rate, c.hertz << 16);
    EXPECT_EQ(Tail(s, c.data_at), c.samples);
  }
}

TEST(SoundImport, ChunksAreFoundAmongOthersAndPadded) {
  // An odd-sized chunk before 'fmt ' is padded; a 'LIST' chunk between; 'data' first.
  SoundBytes fmt = Tail(WavFile(1, 8, 8000, {}), 20);
  fmt.resize(16);
  SoundBytes body;
  AppendText(body, "WAVE");
  AppendBytes(body, Chunk("data", {5, 6, 7}, false));
  AppendBytes(body, Chunk("junk", {1, 2, 3}, false));
  AppendBytes(body, Chunk("fmt ", fmt, false));
  SoundBytes s = Imported(Chunk("RIFF", body, false), SoundFileKind::kWav);
  EXPECT_EQ(Tail(s, 50), (SoundBytes{5, 6, 7}));
  // An AIFF's sound data starts after its offset field.
  SoundBytes aiff = AiffFile(1, 8, 8000, {0, 0, 1, 2});
  const size_t ssnd = aiff.size() - 4 - 8;
  aiff[ssnd + 3] = 2;  // offset 2
  EXPECT_EQ(Tail(Imported(aiff, SoundFileKind::kAiff), 50), (SoundBytes{0x81, 0x82}));
}

TEST(SoundImport, RefusedFilesAndTheirAlerts) {
  auto wav_without = [](const char* chunk) {
    SoundBytes wav = WavFile(1, 8, 8000, {1});
    const std::string text(wav.begin(), wav.end());
    wav[text.find(chunk)] = 'X';
    return wav;
  };
  SoundBytes short_fmt = WavFile(1, 8, 8000, {1});
  short_fmt[16] = 14;  // 'fmt ' of 14 bytes: no room for the sample size
  SoundBytes aiff_bad_offset = AiffFile(1, 8, 8000, {1, 2});
  aiff_bad_offset[aiff_bad_offset.size() - 2 - 8] = 0x7F;
  const struct {
    const char* what;
    SoundBytes file;
    SoundFileKind kind;
    int alert;
  } cases[] = {
      {"WAV not PCM", WavFile(1, 16, 8000, {1, 2}, 3), SoundFileKind::kWav, 2255},
      {"WAV extensible", WavFile(1, 16, 8000, {1, 2}, 0xFFFE), SoundFileKind::kWav, 2255},
      {"WAV without 'fmt '", wav_without("fmt "), SoundFileKind::kWav, 2390},
      {"WAV without 'data'", wav_without("data"), SoundFileKind::kWav, 2390},
      {"WAV with a short 'fmt '", short_fmt, SoundFileKind::kWav, 2390},
      {"not RIFF", AiffFile(1, 8, 8000, {1}), SoundFileKind::kWav, 2390},
      {"WAV of 24-bit samples", WavFile(1, 24, 8000, {1, 2, 3}), SoundFileKind::kWav, 2390},
      {"WAV of three channels", WavFile(3, 8, 8000, {1, 2, 3}), SoundFileKind::kWav, 2390},
      {"WAV at 0 Hz", WavFile(1, 8, 0, {1}), SoundFileKind::kWav, 2390},
      {"WAV at 96,000 Hz", WavFile(1, 8, 96000, {1}), SoundFileKind::kWav, 2390},
      {"AIFC compressed", AiffFile(1, 16, 8000, {1, 2}, "ima4"), SoundFileKind::kAiff, 2392},
      {"AIFC 'sowt'", AiffFile(1, 16, 8000, {1, 2}, "sowt"), SoundFileKind::kAiff, 2392},
      {"AIFF form of another type", WavFile(1, 8, 8000, {1}), SoundFileKind::kAiff, 2390},
      {"AIFF sound data offset past its chunk", aiff_bad_offset, SoundFileKind::kAiff, 2390},
      {"AIFF at an infinite rate",
       [] {
         SoundBytes a = AiffFile(1, 8, 8000, {1});
         a[20 + 8] = 0x7F, a[20 + 9] = 0xFF;
         return a;
       }(),
       SoundFileKind::kAiff, 2390},
      {"AU encoding 6 (float)", AuFile(6, 1, 8000, {1, 2, 3, 4}), SoundFileKind::kAu, 2255},
      {"AU data offset past the end",
       [] {
         SoundBytes a = AuFile(2, 1, 8000, {1});
         a[7] = 200;
         return a;
       }(),
       SoundFileKind::kAu, 2390},
      {"AU header cut short", SoundBytes{'.', 's', 'n', 'd', 0, 0}, SoundFileKind::kAu, 2390},
      {"empty WAV", {}, SoundFileKind::kWav, 2390},
      {"empty AIFF", {}, SoundFileKind::kAiff, 2390},
  };
  for (const auto& c : cases) {
    SoundImportResult r = ImportSoundFile(c.file, c.kind);
    EXPECT_EQ(r.alert, c.alert) << c.what;
    EXPECT_TRUE(r.snd.empty()) << c.what;
  }
}

TEST(SoundImport, TruncatedDataKeepsWhatIsThere) {
  SoundBytes wav = WavFile(1, 8, 8000, {1, 2, 3, 4});
  wav.resize(wav.size() - 2);
  EXPECT_EQ(Tail(Imported(wav, SoundFileKind::kWav), 50), (SoundBytes{1, 2}));
}

}  // namespace
}  // namespace corvida
