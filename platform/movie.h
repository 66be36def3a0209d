// The movie service: opens movie files (".mov", ".avi", ...) and decodes their frames, so
// that the movie players above it can show them on cards. Only the interface lives here;
// a backend supplies it (Platform::movies(), null when movies cannot be played).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace corvida {

struct MovieFrame {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width × height pixels, R G B A, top row first
  uint32_t time_ms = 0;       // presentation time of this frame
};

class MovieFile {
 public:
  virtual ~MovieFile() = default;
  // The movie's natural size; 0 × 0 for a movie without pictures (sound only).
  virtual Size NaturalSize() const = 0;
  virtual uint32_t DurationMs() const = 0;
  virtual double FrameRate() const = 0;  // frames per second; 0 when unknown
  virtual bool HasVideo() const = 0;
  virtual bool HasAudio() const = 0;
  // Decodes the frame shown at `time_ms` (clamped to the movie) into `out`, scaled to
  // `size` (the natural size when empty). False when the frame cannot be decoded.
  virtual bool DecodeFrame(uint32_t time_ms, Size size, MovieFrame& out) = 0;
  // The sound track as interleaved signed 16-bit samples, for the audio service; false
  // when there is none or it cannot be decoded.
  virtual bool DecodeAudio(std::vector<int16_t>& samples, int& channels, int& rate) = 0;
};

class MovieService {
 public:
  virtual ~MovieService() = default;
  // Opens a movie file (host path). Null when the file is missing, not a movie, or larger
  // than the service accepts; movie files come from stacks and downloads and are parsed
  // with bounds checks.
  virtual std::unique_ptr<MovieFile> Open(const std::string& host_path) = 0;
};

}  // namespace corvida
