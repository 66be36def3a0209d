#include "platform/movie/audio_track.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace corvida::movie {

namespace {

constexpr int kPacketBudget = 4096;
constexpr int kLowestRate = 1000, kHighestRate = 192000;

AVChannelLayout LayoutOf(const AVChannelLayout& layout) {
  AVChannelLayout out{};
  if (layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&layout) == 0) {
    av_channel_layout_default(&out, std::max(layout.nb_channels, 1));
  } else {
    av_channel_layout_copy(&out, &layout);
  }
  return out;
}

}  // namespace

std::unique_ptr<AudioTrack> AudioTrack::Open(std::unique_ptr<Demuxer> demuxer) {
  AVFormatContext* format = demuxer->context();
  int chosen = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVCodecParameters* par = format->streams[i]->codecpar;
    if (chosen < 0 && par->codec_type == AVMEDIA_TYPE_AUDIO && AcceptedDecoder(par->codec_id) &&
        par->sample_rate > 0 && par->sample_rate <= kHighestRate &&
        par->ch_layout.nb_channels > 0) {
      chosen = int(i);
    } else {
      format->streams[i]->discard = AVDISCARD_ALL;
    }
  }
  if (chosen < 0) return nullptr;

  std::unique_ptr<AudioTrack> track(new AudioTrack);
  track->demuxer_ = std::move(demuxer);
  track->stream_ = chosen;
  const AVCodecParameters* par = format->streams[chosen]->codecpar;
  track->decoder_ = OpenAcceptedDecoder(par, 0);
  track->packet_ = av_packet_alloc();
  track->frame_ = av_frame_alloc();
  if (!track->decoder_ || !track->packet_ || !track->frame_) return nullptr;
  track->declared_rate_ = par->sample_rate;
  track->format_.rate = std::max(par->sample_rate, kLowestRate);
  track->format_.channels = par->ch_layout.nb_channels >= 2 ? 2 : 1;
  track->format_.format = SampleFormat::kS16LE;
  return track;
}

AudioTrack::~AudioTrack() {
  swr_free(&resampler_);
  av_frame_free(&frame_);
  av_packet_free(&packet_);
  avcodec_free_context(&decoder_);
}

void AudioTrack::Seek(uint32_t time_ms) {
  AVFormatContext* format = demuxer_->context();
  const AVStream* st = format->streams[stream_];
  int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
  int64_t target =
      start + av_rescale_q_rnd(time_ms, AVRational{1, 1000}, st->time_base, AV_ROUND_DOWN);
  if (avformat_seek_file(format, stream_, INT64_MIN, target, target, 0) < 0 &&
      av_seek_frame(format, stream_, target, AVSEEK_FLAG_BACKWARD) < 0)
    return;
  avcodec_flush_buffers(decoder_);
  swr_free(&resampler_);
  pending_.clear();
  pending_at_ = 0;
  draining_ = ended_ = false;
  // Samples between the packet sought to and the time asked for are dropped once decoded.
  skip_bytes_ = uint64_t(time_ms) * uint64_t(format_.rate) / 1000 * format_.BytesPerFrame();
  skip_from_start_ = true;
}

bool AudioTrack::MakeResampler() {
  swr_free(&resampler_);
  AVChannelLayout in =
      LayoutOf(frame_->ch_layout.nb_channels > 0 ? frame_->ch_layout : decoder_->ch_layout);
  AVChannelLayout out{};
  av_channel_layout_default(&out, format_.channels);
  int made = swr_alloc_set_opts2(&resampler_, &out, AV_SAMPLE_FMT_S16, format_.rate, &in,
                                 AVSampleFormat(frame_->format), frame_->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
  if (made < 0 || swr_init(resampler_) < 0) {
    swr_free(&resampler_);
    return false;
  }
  in_rate_ = frame_->sample_rate;
  in_format_ = frame_->format;
  in_channels_ = frame_->ch_layout.nb_channels;
  return true;
}

bool AudioTrack::DecodeNext(int& budget) {
  AVFormatContext* format = demuxer_->context();
  while (!ended_ && budget > 0) {
    int received = avcodec_receive_frame(decoder_, frame_);
    if (received == 0) {
      // A frame at another rate than the track's is damaged: resampling from any rate
      // (hundreds of megahertz in hostile files) can take the resampler seconds to set up.
      // So sound is only ever converted from its own rate, or raised to the lowest.
      if (frame_->sample_rate != declared_rate_ || frame_->nb_samples <= 0) continue;
      bool same = resampler_ && in_rate_ == frame_->sample_rate && in_format_ == frame_->format &&
                  in_channels_ == frame_->ch_layout.nb_channels;
      if (!same && !MakeResampler()) continue;
      if (skip_from_start_) FirstFrameAfterSeek();
      int room = swr_get_out_samples(resampler_, frame_->nb_samples);
      if (room <= 0) continue;
      size_t bytes_per_frame = size_t(format_.BytesPerFrame());
      pending_.resize(size_t(room) * bytes_per_frame);
      uint8_t* planes[1] = {pending_.data()};
      int converted =
          swr_convert(resampler_, planes, room, const_cast<const uint8_t**>(frame_->extended_data),
                      frame_->nb_samples);
      av_frame_unref(frame_);
      if (converted <= 0) continue;
      pending_.resize(size_t(converted) * bytes_per_frame);
      pending_at_ = 0;
      return true;
    }
    if (received == AVERROR_EOF || draining_) {
      ended_ = true;
      break;
    }
    --budget;
    FeedDecoder(format, decoder_, packet_, stream_, draining_);
  }
  return false;
}

// The first frame after a seek may start before the time sought: what lies before it is
// skipped.
void AudioTrack::FirstFrameAfterSeek() {
  skip_from_start_ = false;
  const AVStream* st = demuxer_->context()->streams[stream_];
  int64_t pts = frame_->best_effort_timestamp;
  int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
  uint64_t frame_ms = pts == AV_NOPTS_VALUE || pts < start
                          ? 0
                          : uint64_t(av_rescale_q(pts - start, st->time_base, AVRational{1, 1000}));
  uint64_t frame_bytes = frame_ms * uint64_t(format_.rate) / 1000 * format_.BytesPerFrame();
  skip_bytes_ = skip_bytes_ > frame_bytes ? skip_bytes_ - frame_bytes : 0;
}

void AudioTrack::TakePending(std::vector<uint8_t>& out, size_t& room) {
  size_t left = pending_.size() - pending_at_;
  size_t skip = size_t(std::min<uint64_t>(skip_bytes_, left));
  pending_at_ += skip;
  skip_bytes_ -= skip;
  left -= skip;
  size_t n = std::min(left, room);
  out.insert(out.end(), pending_.begin() + long(pending_at_),
             pending_.begin() + long(pending_at_ + n));
  pending_at_ += n;
  room -= n;
}

bool AudioTrack::Read(std::vector<uint8_t>& out, size_t max_bytes) {
  size_t bytes_per_frame = size_t(format_.BytesPerFrame());
  size_t room = max_bytes / bytes_per_frame * bytes_per_frame;
  size_t before = out.size();
  int budget = kPacketBudget;
  while (room > 0) {
    if (pending_at_ >= pending_.size() && !DecodeNext(budget)) break;
    TakePending(out, room);
  }
  return out.size() > before || (!ended_ && budget > 0);
}

}  // namespace corvida::movie
