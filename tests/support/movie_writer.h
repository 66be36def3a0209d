// Small movies made at test time with the encoders and muxers of the installed FFmpeg:
// frames of known solid colours and a known tone, in QuickTime or AVI containers, so that
// tests of the media engine and of movies on cards know what each frame must show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvida::testing {

struct TestMovieSpec {
  std::string container = "mov";  // a muxer: "mov", "avi"
  std::string video_codec;        // an encoder: "cinepak", "qtrle", "msvideo1", "rpza", "smc"
  int width = 32, height = 24;
  int fps = 10;
  std::vector<uint32_t> colours;  // one 0xRRGGBB per frame
  // Painted frames instead of solid colours: packed RGB, width * height * 3 bytes each.
  std::vector<std::vector<uint8_t>> rgb_frames;
  bool textured = false;    // a pattern that moves from frame to frame over the colour
  std::string audio_codec;  // "pcm_s16be", "pcm_s16le", "adpcm_ima_qt", "adpcm_ima_wav"
  int audio_rate = 22050;
  int audio_channels = 1;
  uint32_t audio_ms = 0;  // a 440 Hz tone this long
  // Mono samples at audio_rate instead of the tone (every channel gets them).
  std::vector<int16_t> audio_samples;
};

// A silent movie of solid-colour frames.
TestMovieSpec VideoSpec(std::string container, std::string codec, int width, int height,
                        std::vector<uint32_t> colours = {});

// Writes the movie to `path`; "" on success, else what failed.
std::string WriteTestMovie(const std::string& path, const TestMovieSpec& spec);
// The movie's bytes (written through a scratch file); empty when it could not be made.
std::vector<uint8_t> TestMovieBytes(const TestMovieSpec& spec);

// Whether an RGBA pixel is within `tolerance` of 0xRRGGBB in each channel.
bool NearColour(const uint8_t* rgba, uint32_t rgb, int tolerance);

}  // namespace corvida::testing
