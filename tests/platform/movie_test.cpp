// The media engine on movies made at test time: which frame shows when, at which size,
// from files and from memory; sound in pieces; and what it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/movie_ffmpeg.h"
#include "support/movie_writer.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using testing::NearColour;
using testing::TestMovieBytes;
using testing::TestMovieSpec;

constexpr uint32_t kRed = 0xE02020, kGreen = 0x20E020, kBlue = 0x2020E0;

struct CodecCase {
  const char* container;
  const char* codec;
  int tolerance;  // lossy codecs come near the colour, not onto it
};

class MovieCodecs : public ::testing::TestWithParam<CodecCase> {};

// Three frames at 10 frames a second: red from 0, green from 100, blue from 200 ms.
TEST_P(MovieCodecs, ShowsTheFrameDueAtEachTime) {
  const CodecCase& c = GetParam();
  TestMovieSpec spec = testing::VideoSpec(c.container, c.codec, 32, 24);
  spec.colours = {kRed, kGreen, kBlue};
  std::vector<uint8_t> bytes = TestMovieBytes(spec);
  ASSERT_FALSE(bytes.empty());
  auto service = CreateFfmpegMovieService();
  MovieOpenResult opened = service->OpenMemory(bytes);
  ASSERT_EQ(opened.error, MovieError::kNone);
  const MovieInfo& info = opened.movie->info();
  EXPECT_EQ(info.natural, (Size{32, 24}));
  EXPECT_TRUE(info.has_video);
  EXPECT_FALSE(info.has_audio);
  EXPECT_NEAR(info.duration_ms, 300, 40);
  EXPECT_NEAR(info.frame_rate, 10, 0.5);

  // Forward, then back to the start, then a time past the end (the last frame stays).
  const std::pair<uint32_t, uint32_t> due[] = {{0, kRed},  {150, kGreen}, {250, kBlue},
                                               {50, kRed}, {120, kGreen}, {5000, kBlue}};
  MovieFrame frame;
  for (auto [time, colour] : due) {
    ASSERT_TRUE(opened.movie->DecodeFrame(time, {}, frame)) << time;
    ASSERT_EQ(frame.width, 32);
    ASSERT_EQ(frame.rgba.size(), 32u * 24 * 4);
    EXPECT_TRUE(NearColour(&frame.rgba[(12 * 32 + 16) * 4], colour, c.tolerance))
        << c.codec << " at " << time;
    EXPECT_EQ(frame.rgba[3], 0xFF);
  }
}

INSTANTIATE_TEST_SUITE_P(Codecs, MovieCodecs,
                         ::testing::Values(CodecCase{"mov", "cinepak", 48},
                                           CodecCase{"mov", "qtrle", 2},
                                           CodecCase{"mov", "rpza", 10},
                                           CodecCase{"avi", "msvideo1", 10},
                                           CodecCase{"avi", "cinepak", 48}));

TEST(Movie, FramesScaleToTheSizeAskedAndFilesOpenLikeMemory) {
  testing::TempDir dir;
  TestMovieSpec spec = testing::VideoSpec("mov", "qtrle", 20, 10);
  spec.colours = {kGreen, kBlue};
  ASSERT_EQ(testing::WriteTestMovie(dir.File("m.mov"), spec), "");
  auto service = CreateFfmpegMovieService();
  MovieOpenResult opened = service->Open(dir.File("m.mov"));
  ASSERT_EQ(opened.error, MovieError::kNone);
  MovieFrame frame;
  ASSERT_TRUE(opened.movie->DecodeFrame(0, {60, 45}, frame));
  EXPECT_EQ(frame.width, 60);
  EXPECT_EQ(frame.height, 45);
  EXPECT_TRUE(NearColour(&frame.rgba[(44 * 60 + 59) * 4], kGreen, 2));
  EXPECT_TRUE(opened.movie->DecodeFrame(100, {5, 5}, frame));
  EXPECT_TRUE(NearColour(frame.rgba.data(), kBlue, 2));
  // Sizes beyond what a frame may be are not decoded.
  EXPECT_FALSE(opened.movie->DecodeFrame(0, {kMaxMovieSide + 1, 2}, frame));
}

struct SoundCase {
  const char* container;
  const char* video;  // "" for a sound-only movie
  const char* audio;
  int rate, channels;
};

class MovieSound : public ::testing::TestWithParam<SoundCase> {};

// One second of tone, read in pieces no larger than asked, comes out whole and not silent.
TEST_P(MovieSound, DecodesTheWholeTrackInPieces) {
  const SoundCase& c = GetParam();
  TestMovieSpec spec;
  spec.container = c.container;
  spec.video_codec = c.video;
  spec.audio_codec = c.audio;
  spec.audio_rate = c.rate;
  spec.audio_channels = c.channels;
  spec.audio_ms = 1000;
  if (*c.video) spec.colours = {kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed};
  auto service = CreateFfmpegMovieService();
  MovieOpenResult opened = service->OpenMemory(TestMovieBytes(spec));
  ASSERT_EQ(opened.error, MovieError::kNone) << c.audio;
  const MovieInfo& info = opened.movie->info();
  EXPECT_TRUE(info.has_audio);
  EXPECT_EQ(info.has_video, *c.video != 0);
  if (!*c.video) {
    EXPECT_EQ(info.natural, (Size{0, 0}));
  }
  EXPECT_EQ(info.audio, (AudioFormat{c.rate, c.channels, SampleFormat::kS16LE}));

  std::vector<uint8_t> all, piece;
  int16_t loudest = 0;
  for (int reads = 0; reads < 1000; ++reads) {
    piece.clear();
    if (!opened.movie->ReadAudio(piece, 4001)) break;
    ASSERT_LE(piece.size(), 4001u);
    ASSERT_EQ(piece.size() % size_t(info.audio.BytesPerFrame()), 0u);
    all.insert(all.end(), piece.begin(), piece.end());
  }
  for (size_t i = 0; i + 1 < all.size(); i += 2)
    loudest = std::max<int16_t>(loudest, int16_t(all[i] | (all[i + 1] << 8)));
  // Encoders of fixed-size blocks pad the last one with silence.
  const double frames = double(all.size()) / info.audio.BytesPerFrame();
  EXPECT_GE(frames, c.rate * 0.97) << c.audio;
  EXPECT_LE(frames, c.rate * 1.2) << c.audio;
  EXPECT_GT(loudest, 6000);

  // From the middle: about half of it.
  opened.movie->SeekAudio(500);
  all.clear();
  while (piece.clear(), opened.movie->ReadAudio(piece, 1 << 16))
    all.insert(all.end(), piece.begin(), piece.end());
  EXPECT_GE(double(all.size()) / info.audio.BytesPerFrame(), c.rate * 0.47);
  EXPECT_LE(double(all.size()) / info.audio.BytesPerFrame(), c.rate * 0.7);
}

INSTANTIATE_TEST_SUITE_P(Sounds, MovieSound,
                         ::testing::Values(SoundCase{"mov", "cinepak", "pcm_s16be", 22050, 1},
                                           SoundCase{"mov", "", "adpcm_ima_qt", 22050, 2},
                                           SoundCase{"avi", "msvideo1", "adpcm_ima_wav", 11025, 1},
                                           SoundCase{"wav", "", "pcm_s16le", 8000, 2},
                                           SoundCase{"aiff", "", "pcm_s16be", 22050, 1}));

TEST(Movie, RefusesWhatItCannotOrMustNotOpen) {
  auto service = CreateFfmpegMovieService();
  testing::TempDir dir;
  EXPECT_EQ(service->Open(dir.File("absent.mov")).error, MovieError::kMissing);
  EXPECT_EQ(service->Open(dir.path()).error, MovieError::kMissing);
  EXPECT_EQ(service->OpenMemory({}).error, MovieError::kNotAMovie);
  EXPECT_EQ(service->OpenMemory(std::vector<uint8_t>(5000, 0x41)).error, MovieError::kNotAMovie);

  struct Refused {
    TestMovieSpec spec;
    MovieError error;
  } refused[] = {
      // A side past 4,096 pixels.
      {testing::VideoSpec("mov", "qtrle", kMaxMovieSide + 4, 2), MovieError::kTooLarge},
      // A codec that is not on the list, and a container that is not.
      {testing::VideoSpec("mov", "png", 16, 16), MovieError::kNotAMovie},
      {testing::VideoSpec("matroska", "msvideo1", 16, 16), MovieError::kNotAMovie},
  };
  for (Refused& r : refused) {
    r.spec.colours = {kRed};
    std::vector<uint8_t> bytes = TestMovieBytes(r.spec);
    ASSERT_FALSE(bytes.empty()) << r.spec.video_codec;
    EXPECT_EQ(service->OpenMemory(bytes).error, r.error) << r.spec.video_codec;
  }
}

// A movie whose frame size was patched past the limit after writing is refused too: the
// limit holds against what the file claims, not only what our writer makes.
TEST(Movie, RefusesAPatchedOversizedSampleDescription) {
  TestMovieSpec spec = testing::VideoSpec("mov", "qtrle", 0x123, 0x45);
  spec.colours = {kRed};
  std::vector<uint8_t> bytes = TestMovieBytes(spec);
  // The sample description holds width and height as 16-bit big-endian values in a row.
  int patched = 0;
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (bytes[i] == 0x01 && bytes[i + 1] == 0x23 && bytes[i + 2] == 0x00 && bytes[i + 3] == 0x45) {
      bytes[i] = 0x7F;  // 32,547 pixels wide
      ++patched;
    }
  }
  ASSERT_GT(patched, 0);
  auto service = CreateFfmpegMovieService();
  MovieOpenResult opened = service->OpenMemory(bytes);
  EXPECT_NE(opened.error, MovieError::kNone);
  EXPECT_EQ(opened.movie, nullptr);
}

// Sound that claims a rate past 192 kHz is left out (a WAV holding only that is no
// movie). A damaged movie found by fuzzing, whose decoded sound claims 268 MHz, took
// seconds in setting up the resampler; its sound is now skipped and it reads at once.
TEST(Movie, SoundAtImpossibleRatesIsLeftOut) {
  TestMovieSpec spec;
  spec.container = "wav";
  spec.audio_codec = "pcm_s16le";
  spec.audio_ms = 100;
  std::vector<uint8_t> wav = TestMovieBytes(spec);
  ASSERT_GT(wav.size(), 44u);
  ASSERT_EQ(std::string(wav.begin() + 12, wav.begin() + 16), "fmt ");
  const uint32_t rate = 268443456;  // the 'fmt ' chunk's rate, little-endian at 24
  for (int i = 0; i < 4; ++i) wav[24 + size_t(i)] = uint8_t(rate >> (8 * i));
  auto service = CreateFfmpegMovieService();
  EXPECT_EQ(service->OpenMemory(wav).error, MovieError::kNotAMovie);

  std::ifstream file(testing::SourcePath("fuzz/corpus/movie/sound-at-268mhz.mov"),
                     std::ios::binary);
  std::vector<uint8_t> damaged{std::istreambuf_iterator<char>(file), {}};
  ASSERT_FALSE(damaged.empty());
  MovieOpenResult opened = service->OpenMemory(damaged);
  if (!opened.movie) return;
  std::vector<uint8_t> sound;
  for (int piece = 0; piece < 8 && opened.movie->ReadAudio(sound, 1 << 14); ++piece) {
  }
  EXPECT_LE(sound.size(), size_t(8) << 14);
}

}  // namespace
}  // namespace corvida
