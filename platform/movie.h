// The movie service: opens movies (".mov", ".avi", and sound files played as movies) from
// a file or from bytes held in memory, tells what they hold, and decodes their frames and
// sound on demand, so that the movie players above it can show them on cards. Only the
// interface lives here; a backend supplies it (Platform::movies(), null when movies
// cannot be played). Movies come from stacks and downloads: the service parses them with
// bounds checks and refuses what it does not know or what is too large.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/types.h"

namespace corvida {

// Sides and pixel bytes beyond these are refused when the movie opens.
inline constexpr int kMaxMovieSide = 4096;
inline constexpr uint64_t kMaxMovieFrameBytes = 256ull << 20;

struct MovieFrame {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width × height pixels, R G B A, top row first
  uint32_t time_ms = 0;       // when this frame starts showing
};

struct MovieInfo {
  Size natural;  // 0 × 0 for a movie without pictures
  uint32_t duration_ms = 0;
  double frame_rate = 0;  // frames per second; 0 when unknown
  bool has_video = false;
  bool has_audio = false;
  // The video track's stored four-character code ('cvid', 'IV32' ...), first character in
  // the low byte as stored; 0 without one.
  uint32_t video_codec_tag = 0;
  // The controller type the movie names for itself ('ctyp' of its user data), first
  // character in the high byte; 0 when it names none. Such movies show no controller
  // unless the stack asks for theirs.
  uint32_t controller_type = 0;
  // What ReadAudio gives: 16-bit little-endian samples, 1 or 2 channels.
  AudioFormat audio{22050, 1, SampleFormat::kS16LE};
};

class MovieFile {
 public:
  virtual ~MovieFile() = default;
  virtual const MovieInfo& info() const = 0;
  // Decodes the frame shown at `time_ms` (clamped to the movie) into `out`, scaled to
  // `size` (the natural size when empty). False when there is no picture to be had.
  virtual bool DecodeFrame(uint32_t time_ms, Size size, MovieFrame& out) = 0;
  // Sound is read in pieces: SeekAudio sets where the next ReadAudio starts.
  virtual void SeekAudio(uint32_t time_ms) = 0;
  // Appends up to `max_bytes` of samples (whole frames, info().audio) to `out`; false
  // when nothing more comes (the end of the track, or a track that cannot be decoded).
  virtual bool ReadAudio(std::vector<uint8_t>& out, size_t max_bytes) = 0;
};

enum class MovieError {
  kNone,
  kMissing,      // the file cannot be read
  kNotAMovie,    // no container or no track the service accepts
  kTooLarge,     // frames beyond kMaxMovieSide or kMaxMovieFrameBytes
  kUnavailable,  // the backend plays no movies
};

struct MovieOpenResult {
  std::unique_ptr<MovieFile> movie;  // null unless error is kNone
  MovieError error = MovieError::kNone;
};

class MovieService {
 public:
  virtual ~MovieService() = default;
  // Opens a movie file (host path); nothing but that one file is read.
  virtual MovieOpenResult Open(const std::string& host_path) = 0;
  // Opens a movie held in memory; the movie keeps the bytes.
  virtual MovieOpenResult OpenMemory(std::vector<uint8_t> bytes) = 0;
};

}  // namespace corvida
