#include "platform/movie/video_track.h"

#include <algorithm>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace corvida::movie {

namespace {

// Packets one request may read and pixels it may decode: a hostile movie cannot hold the
// player in one frame (a few seconds of large frames at most).
constexpr int kVideoPacketBudget = 4096;
constexpr int64_t kPixelBudget = 256ll << 20;
// Further ahead than this, seeking to the nearest key frame beats decoding every frame.
constexpr uint32_t kSeekAheadMs = 2000;
constexpr uint32_t kLatestMs = 0x7FFFFFFF;

bool FrameFits(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxMovieSide && height <= kMaxMovieSide &&
         uint64_t(width) * uint64_t(height) * 4 <= kMaxMovieFrameBytes;
}

uint32_t ToMs(int64_t ticks, AVRational time_base) {
  int64_t ms = av_rescale_q(ticks, time_base, AVRational{1, 1000});
  return uint32_t(std::clamp<int64_t>(ms, 0, kLatestMs));
}

}  // namespace

std::unique_ptr<VideoTrack> VideoTrack::Open(std::unique_ptr<Demuxer> demuxer, bool& too_large) {
  too_large = false;
  AVFormatContext* format = demuxer->context();
  int chosen = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* st = format->streams[i];
    const AVCodecParameters* par = st->codecpar;
    if (chosen < 0 && par->codec_type == AVMEDIA_TYPE_VIDEO &&
        !(st->disposition & AV_DISPOSITION_ATTACHED_PIC) && AcceptedDecoder(par->codec_id) &&
        par->width > 0 && par->height > 0) {
      if (!FrameFits(par->width, par->height)) {
        too_large = true;
        return nullptr;
      }
      chosen = int(i);
    } else {
      format->streams[i]->discard = AVDISCARD_ALL;  // the demuxer skips what we never show
    }
  }
  if (chosen < 0) return nullptr;

  std::unique_ptr<VideoTrack> track(new VideoTrack);
  track->demuxer_ = std::move(demuxer);
  track->stream_ = chosen;
  AVStream* st = format->streams[chosen];
  track->decoder_ = OpenAcceptedDecoder(st->codecpar, int64_t(kMaxMovieSide) * kMaxMovieSide);
  track->packet_ = av_packet_alloc();
  track->shown_ = av_frame_alloc();
  track->ahead_ = av_frame_alloc();
  if (!track->decoder_ || !track->packet_ || !track->shown_ || !track->ahead_) return nullptr;

  track->natural_ = {st->codecpar->width, st->codecpar->height};
  AVRational rate = av_guess_frame_rate(format, st, nullptr);
  if (rate.num > 0 && rate.den > 0) track->frame_rate_ = av_q2d(rate);
  track->codec_tag_ = st->codecpar->codec_tag;
  return track;
}

VideoTrack::~VideoTrack() {
  sws_freeContext(scaler_);
  av_frame_free(&shown_);
  av_frame_free(&ahead_);
  av_packet_free(&packet_);
  avcodec_free_context(&decoder_);
}

uint32_t VideoTrack::FrameTime(const AVFrame* frame) {
  const AVStream* st = demuxer_->context()->streams[stream_];
  int64_t pts = frame->best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) pts = frame->pts;
  if (pts == AV_NOPTS_VALUE) return shown_valid_ ? shown_ms_ : 0;
  int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
  if (pts < start) return 0;
  return ToMs(pts - start, st->time_base);
}

bool VideoTrack::Seek(uint32_t time_ms) {
  AVFormatContext* format = demuxer_->context();
  const AVStream* st = format->streams[stream_];
  int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
  int64_t target =
      start + av_rescale_q_rnd(time_ms, AVRational{1, 1000}, st->time_base, AV_ROUND_DOWN);
  if (avformat_seek_file(format, stream_, INT64_MIN, target, target, 0) < 0 &&
      av_seek_frame(format, stream_, target, AVSEEK_FLAG_BACKWARD) < 0)
    return false;
  avcodec_flush_buffers(decoder_);
  shown_valid_ = ahead_valid_ = draining_ = ended_ = false;
  return true;
}

bool VideoTrack::DecodeNext(Budget& budget) {
  AVFormatContext* format = demuxer_->context();
  while (!ended_ && budget.packets > 0 && budget.pixels > 0) {
    int received = avcodec_receive_frame(decoder_, ahead_);
    if (received == 0) {
      budget.pixels -= int64_t(ahead_->width) * ahead_->height;
      if (!FrameFits(ahead_->width, ahead_->height)) {
        av_frame_unref(ahead_);
        continue;
      }
      ahead_ms_ = FrameTime(ahead_);
      ahead_valid_ = true;
      return true;
    }
    if (received == AVERROR_EOF || draining_) {
      ended_ = true;
      break;
    }
    --budget.packets;
    FeedDecoder(format, decoder_, packet_, stream_, draining_);
  }
  return false;
}

bool VideoTrack::FrameAt(uint32_t time_ms, Size size, MovieFrame& out) {
  if (size.width <= 0 || size.height <= 0) size = natural_;
  if (!FrameFits(size.width, size.height)) return false;
  Budget budget{kVideoPacketBudget, kPixelBudget};
  bool behind = shown_valid_ && time_ms < shown_from_ms_;
  bool far_ahead = ahead_valid_ && time_ms > ahead_ms_ + kSeekAheadMs;
  if (!shown_valid_ || behind || far_ahead) {
    if (Seek(time_ms)) seek_ms_ = time_ms;
  }
  for (;;) {
    if (!ahead_valid_ && !DecodeNext(budget)) break;
    if (shown_valid_ && ahead_ms_ > time_ms) break;
    // The first frame after a seek shows from the time sought even when it starts later.
    shown_from_ms_ = shown_valid_ ? ahead_ms_ : std::min(seek_ms_, ahead_ms_);
    std::swap(shown_, ahead_);
    shown_ms_ = ahead_ms_;
    shown_valid_ = true;
    ahead_valid_ = false;
  }
  if (!shown_valid_) return false;
  out.time_ms = shown_ms_;
  return Scale(shown_, size, out);
}

bool VideoTrack::Scale(const AVFrame* frame, Size size, MovieFrame& out) {
  scaler_ = sws_getCachedContext(scaler_, frame->width, frame->height, AVPixelFormat(frame->format),
                                 size.width, size.height, AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr,
                                 nullptr, nullptr);
  if (!scaler_) return false;
  out.width = size.width;
  out.height = size.height;
  out.rgba.resize(size_t(size.width) * size_t(size.height) * 4);
  uint8_t* planes[4] = {out.rgba.data(), nullptr, nullptr, nullptr};
  int strides[4] = {size.width * 4, 0, 0, 0};
  if (sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, strides) !=
      size.height)
    return false;
  // Movies are opaque on the card whatever their alpha channel holds.
  for (size_t i = 3; i < out.rgba.size(); i += 4) out.rgba[i] = 0xFF;
  return true;
}

}  // namespace corvida::movie
