// Builds without FFmpeg (the browser build): every movie is refused as unavailable, so a
// stack's movie buttons report that the movie cannot be opened and play on without it.
#include "platform/movie_ffmpeg.h"

namespace corvida {
namespace {

class UnavailableMovieService : public MovieService {
 public:
  MovieOpenResult Open(const std::string&) override { return {nullptr, MovieError::kUnavailable}; }
  MovieOpenResult OpenMemory(std::vector<uint8_t>) override {
    return {nullptr, MovieError::kUnavailable};
  }
};

}  // namespace

std::unique_ptr<MovieService> CreateFfmpegMovieService() {
  return std::make_unique<UnavailableMovieService>();
}

}  // namespace corvida
