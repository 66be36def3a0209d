#include "platform/movie_ffmpeg.h"

#include <algorithm>

#include "platform/lazy_libs.h"
#include "platform/movie/audio_track.h"
#include "platform/movie/demuxer.h"
#include "platform/movie/user_data.h"
#include "platform/movie/video_track.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace corvida {

namespace {

constexpr uint32_t kLongestMs = 24u * 60 * 60 * 1000;  // a day: longer is a damaged header
// No single block the libraries allocate for a movie may be larger than a frame may be.
constexpr size_t kLargestAllocation = kMaxMovieFrameBytes + (1u << 20);

class FfmpegMovie : public MovieFile {
 public:
  FfmpegMovie(std::unique_ptr<movie::VideoTrack> video, std::unique_ptr<movie::AudioTrack> audio,
              uint32_t duration_ms, uint32_t controller_type)
      : video_(std::move(video)), audio_(std::move(audio)) {
    info_.duration_ms = duration_ms;
    info_.controller_type = controller_type;
    if (video_) {
      info_.has_video = true;
      info_.natural = video_->natural();
      info_.frame_rate = video_->frame_rate();
      info_.video_codec_tag = video_->codec_tag();
    }
    if (audio_) {
      info_.has_audio = true;
      info_.audio = audio_->format();
    }
  }
  const MovieInfo& info() const override { return info_; }
  bool DecodeFrame(uint32_t time_ms, Size size, MovieFrame& out) override {
    return video_ && video_->FrameAt(std::min(time_ms, info_.duration_ms), size, out);
  }
  void SeekAudio(uint32_t time_ms) override {
    if (audio_) audio_->Seek(time_ms);
  }
  bool ReadAudio(std::vector<uint8_t>& out, size_t max_bytes) override {
    return audio_ && audio_->Read(out, max_bytes);
  }

 private:
  MovieInfo info_;
  std::unique_ptr<movie::VideoTrack> video_;
  std::unique_ptr<movie::AudioTrack> audio_;
};

uint32_t DurationMs(AVFormatContext* format) {
  int64_t us = format->duration;
  if (us == AV_NOPTS_VALUE || us <= 0) {
    us = 0;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      const AVStream* st = format->streams[i];
      if (st->duration == AV_NOPTS_VALUE || st->duration <= 0) continue;
      us = std::max(us, av_rescale_q(st->duration, st->time_base, AV_TIME_BASE_Q));
    }
  }
  return uint32_t(std::clamp<int64_t>(us / 1000, 0, kLongestMs));
}

bool HasSoundStream(AVFormatContext* format) {
  for (unsigned i = 0; i < format->nb_streams; ++i)
    if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return true;
  return false;
}

class FfmpegMovieService : public MovieService {
 public:
  MovieOpenResult Open(const std::string& host_path) override {
    std::shared_ptr<movie::ByteSource> source = movie::FileSource(host_path);
    if (!source) return {nullptr, MovieError::kMissing};
    if (!LibrariesReady()) return {nullptr, MovieError::kUnavailable};
    return OpenSource(std::move(source));
  }
  MovieOpenResult OpenMemory(std::vector<uint8_t> bytes) override {
    if (!LibrariesReady()) return {nullptr, MovieError::kUnavailable};
    return OpenSource(movie::MemorySource(std::move(bytes)));
  }

 private:
  // FFmpeg's libraries are opened with the first movie, not when the program starts;
  // without them every movie is refused as unavailable.
  static bool LibrariesReady() {
    if (!LazyAvailable(LazyGroup::kFfmpeg)) return false;
    static const bool quiet = [] {
      // Damaged movies are answered with results; the libraries' own messages would only
      // clutter the terminal.
      av_log_set_level(AV_LOG_QUIET);
      av_max_alloc(kLargestAllocation);
      return true;
    }();
    return quiet;
  }

  // The picture and the sound each read through a demuxer of their own.
  static MovieOpenResult OpenSource(std::shared_ptr<movie::ByteSource> source) {
    std::unique_ptr<movie::Demuxer> for_video = movie::Demuxer::Open(source);
    if (!for_video) return {nullptr, MovieError::kNotAMovie};
    uint32_t duration = DurationMs(for_video->context());
    bool any_sound = HasSoundStream(for_video->context());
    bool too_large = false;
    std::unique_ptr<movie::VideoTrack> video =
        movie::VideoTrack::Open(std::move(for_video), too_large);
    if (too_large) return {nullptr, MovieError::kTooLarge};
    std::unique_ptr<movie::AudioTrack> audio;
    if (any_sound) {
      if (std::unique_ptr<movie::Demuxer> for_audio = movie::Demuxer::Open(source))
        audio = movie::AudioTrack::Open(std::move(for_audio));
    }
    if (!video && !audio) return {nullptr, MovieError::kNotAMovie};
    return {std::make_unique<FfmpegMovie>(std::move(video), std::move(audio), duration,
                                          movie::ControllerType(*source)),
            MovieError::kNone};
  }
};

}  // namespace

std::unique_ptr<MovieService> CreateFfmpegMovieService() {
  return std::make_unique<FfmpegMovieService>();
}

}  // namespace corvida
