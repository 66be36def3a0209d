// Libraries opened on first use: a group opens all of its libraries or none and says why;
// every group of this build opens on this machine; and while a group's library is
// missing, each caller takes its "cannot" path instead of calling into it.
#include "platform/lazy_libs.h"

#include <gtest/gtest.h>

#include <functional>

#include "picture_files.h"
#include "platform/audio_convert.h"
#include "platform/audio_decode.h"
#include "platform/clock.h"
#include "platform/movie_ffmpeg.h"
#include "platform/pdf_pages.h"
#include "platform/picture.h"
#include "support/movie_writer.h"
#include "support/test_support.h"
#if CORVIDA_HAVE_SDL
#include "platform/sdl/sdl_window_system.h"
#endif

namespace corvida {
namespace {

constexpr const char* kMissing = "libcorvida-not-installed.so.7";

TEST(LibraryGroup, OpensAllOfItsLibrariesOrNoneAndSaysWhy) {
  struct Case {
    const char* name;
    std::vector<std::string> sonames;
    bool opens;
  };
  const Case cases[] = {
      {"one library on the machine", {"libz.so.1"}, true},
      {"one library not installed", {kMissing}, false},
      {"the second one not installed", {"libz.so.1", kMissing}, false},
  };
  for (const Case& c : cases) {
    LibraryGroup group("Test pictures", c.sonames);
    EXPECT_EQ(group.Load(), c.opens) << c.name;
    EXPECT_EQ(group.Load(), c.opens) << c.name << ", asked again";
    EXPECT_EQ(group.Symbol("zlibVersion") != nullptr, c.opens) << c.name;
    EXPECT_EQ(group.Symbol("corvida_no_such_function"), nullptr) << c.name;
    if (c.opens) {
      EXPECT_EQ(group.error(), "") << c.name;
    } else {
      EXPECT_NE(group.error().find("Test pictures need " + std::string(kMissing)),
                std::string::npos)
          << group.error();
    }
  }
}

TEST(LazyLibraries, EveryGroupOfThisBuildOpensOnThisMachine) {
  std::vector<LazyGroup> groups = {LazyGroup::kFfmpeg, LazyGroup::kCairo, LazyGroup::kCurl,
                                   LazyGroup::kGif,    LazyGroup::kJpeg,  LazyGroup::kTiff};
#if CORVIDA_HAVE_SDL
  groups.push_back(LazyGroup::kSdl);
#endif
  for (LazyGroup g : groups) {
    EXPECT_TRUE(LazyAvailable(g)) << LazyError(g);
    EXPECT_EQ(LazyError(g), "");
  }
}

// Withholds one group for the life of the object.
class Withheld {
 public:
  explicit Withheld(LazyGroup group) : group_(group) { WithholdForTest(group, true); }
  ~Withheld() { WithholdForTest(group_, false); }

 private:
  LazyGroup group_;
};

PictureStatus DecodeFile(const std::vector<uint8_t>& bytes, const char* name) {
  ImagePictureDecoder decoder;
  DecodedPicture out;
  return decoder.Decode(bytes, name, out);
}

// Each caller's answer without its library, then with it again.
TEST(LazyLibraries, WithoutTheirLibraryCallersTakeTheirCannotPath) {
  const std::vector<uint8_t> movie =
      testing::TestMovieBytes(testing::VideoSpec("mov", "qtrle", 16, 16));
  ASSERT_FALSE(movie.empty());
  const std::vector<uint8_t> mu_law(64, 0xFF);
  testing::TempDir dir;
  struct Case {
    const char* what;
    LazyGroup group;
    std::function<bool()> refused;  // true when the caller gave its "cannot" answer
  };
  const Case cases[] = {
    {"a movie in memory is unavailable", LazyGroup::kFfmpeg,
     [&] {
       return CreateFfmpegMovieService()->OpenMemory(movie).error == MovieError::kUnavailable;
     }},
    {"packed sound data is not decoded", LazyGroup::kFfmpeg,
     [&] { return !DecodeAudio(mu_law, 1, AudioCodec::kMuLaw).has_value(); }},
    {"GIF is not a format read", LazyGroup::kGif,
     [] { return DecodeFile(testing::GifFile(), "a.gif") == PictureStatus::kUnknownFormat; }},
    {"JPEG is not a format read", LazyGroup::kJpeg,
     [] {
       return DecodeFile(testing::JpegFile(1, 1, {10, 20, 30, 255}), "a.jpg") ==
              PictureStatus::kUnknownFormat;
     }},
    {"TIFF is not a format read", LazyGroup::kTiff,
     [] { return DecodeFile(testing::TiffFile(), "a.tif") == PictureStatus::kUnknownFormat; }},
    {"no PDF is started, and Finish says why", LazyGroup::kCairo,
     [&] {
       PdfPages pdf;
       std::string error;
       return !pdf.Start({}) && !pdf.Finish(dir.File("a.pdf"), error) &&
              error.find("withheld") != std::string::npos;
     }},
#if CORVIDA_HAVE_SDL
    {"the window system does not start, and says why", LazyGroup::kSdl,
     [] {
       VirtualClock clock;
       sdl::SdlWindowSystem windows(clock);
       std::string error;
       return !windows.Start(error) && error.find("withheld") != std::string::npos;
     }},
#endif
  };
  for (const Case& c : cases) {
    {
      Withheld missing(c.group);
      EXPECT_TRUE(c.refused()) << c.what;
    }
#if CORVIDA_HAVE_SDL
    if (c.group == LazyGroup::kSdl) continue;  // needs a display driver to start
#endif
    EXPECT_FALSE(c.refused()) << c.what << ", with the library";
  }
}

// A missing file is still reported as missing, not as a missing library.
TEST(LazyLibraries, AMissingMovieFileIsMissingEitherWay) {
  Withheld missing(LazyGroup::kFfmpeg);
  EXPECT_EQ(CreateFfmpegMovieService()->Open("/nonexistent/film.mov").error, MovieError::kMissing);
}

// Without FFmpeg's resampler sounds are resampled linearly: every frame still comes out.
TEST(LazyLibraries, WithoutFfmpegSoundIsResampledLinearly) {
  Withheld missing(LazyGroup::kFfmpeg);
  AudioConverter converter({11025, 1, SampleFormat::kU8}, 44100);
  ASSERT_TRUE(converter.ok());
  const std::vector<uint8_t> ramp = {0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0};
  std::vector<int16_t> out;
  EXPECT_TRUE(converter.Convert(ramp.data(), ramp.size(), 1000, out));
  EXPECT_EQ(out.size(), 8u * 4 * 2);  // four times the frames, two channels
  EXPECT_LT(out[0], out[out.size() - 2]);
}

}  // namespace
}  // namespace corvida
