// A movie's sound track, decoded piece by piece into 16-bit interleaved samples (mono or
// stereo, at the track's own rate) for the audio output; never more than a request and
// one decoded packet are held.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio.h"
#include "platform/movie/demuxer.h"

extern "C" {
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;
}

namespace corvida::movie {

class AudioTrack {
 public:
  ~AudioTrack();
  AudioTrack(const AudioTrack&) = delete;
  AudioTrack& operator=(const AudioTrack&) = delete;

  // Null when the demuxer has no accepted sound stream.
  static std::unique_ptr<AudioTrack> Open(std::unique_ptr<Demuxer> demuxer);

  const AudioFormat& format() const { return format_; }
  void Seek(uint32_t time_ms);
  bool Read(std::vector<uint8_t>& out, size_t max_bytes);

 private:
  AudioTrack() = default;
  bool MakeResampler();
  // Decodes the next frame into pending_; false at the end or when the budget is spent.
  bool DecodeNext(int& budget);
  void FirstFrameAfterSeek();
  void TakePending(std::vector<uint8_t>& out, size_t& room);

  std::unique_ptr<Demuxer> demuxer_;
  int stream_ = -1;
  int declared_rate_ = 0;  // the track's rate: decoded frames must keep to it
  AVCodecContext* decoder_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  SwrContext* resampler_ = nullptr;
  AudioFormat format_{22050, 1, SampleFormat::kS16LE};
  std::vector<uint8_t> pending_;  // converted samples not yet handed out
  size_t pending_at_ = 0;
  uint64_t skip_bytes_ = 0;  // after a seek: samples before the time sought
  bool skip_from_start_ = false;
  int in_rate_ = 0, in_format_ = -1, in_channels_ = 0;  // what the resampler takes
  bool draining_ = false, ended_ = false;
};

}  // namespace corvida::movie
