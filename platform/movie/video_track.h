// A movie's picture track: decodes frames in order and answers "which frame shows at this
// time", going back to the nearest key frame only when asked for an earlier time or for
// one far ahead; scales the shown frame to RGBA.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/movie.h"
#include "platform/movie/demuxer.h"

extern "C" {
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
}

namespace corvida::movie {

class VideoTrack {
 public:
  ~VideoTrack();
  VideoTrack(const VideoTrack&) = delete;
  VideoTrack& operator=(const VideoTrack&) = delete;

  // Null when the demuxer has no accepted picture stream or its frames are too large;
  // `too_large` then tells which.
  static std::unique_ptr<VideoTrack> Open(std::unique_ptr<Demuxer> demuxer, bool& too_large);

  Size natural() const { return natural_; }
  double frame_rate() const { return frame_rate_; }
  uint32_t codec_tag() const { return codec_tag_; }
  bool FrameAt(uint32_t time_ms, Size size, MovieFrame& out);

 private:
  VideoTrack() = default;
  bool Seek(uint32_t time_ms);
  // What one request may still read and decode.
  struct Budget {
    int packets;
    int64_t pixels;
  };
  // Decodes the next frame into ahead_; false at the end or when the budget is spent.
  bool DecodeNext(Budget& budget);
  uint32_t FrameTime(const AVFrame* frame);
  bool Scale(const AVFrame* frame, Size size, MovieFrame& out);

  std::unique_ptr<Demuxer> demuxer_;
  int stream_ = -1;
  AVCodecContext* decoder_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* shown_ = nullptr;  // the frame shown now, valid when shown_valid_
  AVFrame* ahead_ = nullptr;  // the next one, decoded early, valid when ahead_valid_
  bool shown_valid_ = false, ahead_valid_ = false;
  uint32_t shown_ms_ = 0, ahead_ms_ = 0;
  uint32_t shown_from_ms_ = 0;  // the earliest time the shown frame answers for
  uint32_t seek_ms_ = 0;        // the time last sought
  bool draining_ = false, ended_ = false;
  SwsContext* scaler_ = nullptr;
  Size natural_;
  double frame_rate_ = 0;
  uint32_t codec_tag_ = 0;
};

}  // namespace corvida::movie
