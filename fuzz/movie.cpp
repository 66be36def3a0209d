// Movies from stacks and downloads: hostile bytes held in memory go through the media
// engine's open, the first frame, a few frames forward and back at another size and a
// few pieces of sound. Nothing may crash, hang or over-allocate, and what comes out must
// be the size asked for.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/movie_ffmpeg.h"

namespace {

void CheckFrame(const corvida::MovieFrame& frame, corvida::Size size) {
  if (frame.width != size.width || frame.height != size.height) __builtin_trap();
  if (frame.rgba.size() != size_t(size.width) * size_t(size.height) * 4) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<corvida::MovieService> service = corvida::CreateFfmpegMovieService();
  corvida::MovieOpenResult opened = service->OpenMemory(std::vector<uint8_t>(data, data + size));
  if (!opened.movie) return 0;
  corvida::MovieFile& movie = *opened.movie;
  const corvida::MovieInfo& info = movie.info();
  corvida::MovieFrame frame;
  if (movie.DecodeFrame(0, {}, frame)) CheckFrame(frame, info.natural);
  const corvida::Size small{40, 30};
  for (uint32_t time : {info.duration_ms / 2, info.duration_ms, 0u}) {
    if (movie.DecodeFrame(time, small, frame)) CheckFrame(frame, small);
  }
  std::vector<uint8_t> sound;
  for (int piece = 0; piece < 4 && movie.ReadAudio(sound, 1 << 14); ++piece) {
    if (sound.size() > size_t(piece + 1) << 14) __builtin_trap();
  }
  movie.SeekAudio(info.duration_ms / 2);
  sound.clear();
  movie.ReadAudio(sound, 1 << 14);
  return 0;
}
