// Packed samples through libavcodec's decoders, fed a bounded piece at a time.
#include "platform/audio_decode.h"

#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include "platform/lazy_libs.h"

namespace corvida {
namespace {

// Packets handed to the decoder at once: keeps each decoded frame small.
constexpr size_t kPacketsPerPiece = 1024;

struct CodecContextFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using ContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

const char* DecoderName(AudioCodec codec) {
  switch (codec) {
    case AudioCodec::kMace3:
      return "mace3";
    case AudioCodec::kMace6:
      return "mace6";
    case AudioCodec::kMuLaw:
      return "pcm_mulaw";
  }
  return "";
}

ContextPtr OpenDecoder(AudioCodec codec, int channels) {
  const AVCodec* decoder = avcodec_find_decoder_by_name(DecoderName(codec));
  if (!decoder) return nullptr;
  ContextPtr context(avcodec_alloc_context3(decoder));
  if (!context) return nullptr;
  av_channel_layout_default(&context->ch_layout, channels);
  context->sample_rate = 22050;  // the decoders do not depend on it, but want one
  if (avcodec_open2(context.get(), decoder, nullptr) < 0) return nullptr;
  return context;
}

// Appends a decoded frame, interleaving planar channels. False for a layout we did not
// ask for.
bool AppendFrame(const AVFrame& frame, int channels, std::vector<int16_t>& out) {
  const size_t samples = static_cast<size_t>(std::max(frame.nb_samples, 0));
  if (frame.ch_layout.nb_channels != channels) return false;
  if (frame.format == AV_SAMPLE_FMT_S16) {
    const auto* from = reinterpret_cast<const int16_t*>(frame.extended_data[0]);
    out.insert(out.end(), from, from + samples * channels);
    return true;
  }
  if (frame.format != AV_SAMPLE_FMT_S16P) return false;
  const size_t start = out.size();
  out.resize(start + samples * channels);
  for (int c = 0; c < channels; ++c) {
    const auto* from = reinterpret_cast<const int16_t*>(frame.extended_data[c]);
    for (size_t i = 0; i < samples; ++i) out[start + i * channels + c] = from[i];
  }
  return true;
}

// Takes every frame the decoder has ready.
bool Drain(AVCodecContext& context, AVFrame& frame, int channels, std::vector<int16_t>& out) {
  for (;;) {
    int status = avcodec_receive_frame(&context, &frame);
    if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
    if (status < 0) return false;
    bool taken = AppendFrame(frame, channels, out);
    av_frame_unref(&frame);
    if (!taken) return false;
  }
}

}  // namespace

int CodecPacketBytes(AudioCodec codec, int channels) {
  return (codec == AudioCodec::kMace3 ? 2 : 1) * channels;
}

int CodecPacketSamples(AudioCodec codec) {
  return codec == AudioCodec::kMuLaw ? 1 : 6;
}

std::optional<std::vector<int16_t>> DecodeAudio(std::span<const uint8_t> packed, int channels,
                                                AudioCodec codec) {
  if (channels != 1 && channels != 2) return std::nullopt;
  if (!LazyAvailable(LazyGroup::kFfmpeg)) return std::nullopt;
  const size_t packet = static_cast<size_t>(CodecPacketBytes(codec, channels));
  const size_t whole = packed.size() / packet * packet;
  std::vector<int16_t> out;
  if (whole == 0) return out;
  ContextPtr context = OpenDecoder(codec, channels);
  PacketPtr piece(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  if (!context || !piece || !frame) return std::nullopt;
  out.reserve(whole / packet * CodecPacketSamples(codec) * channels);
  for (size_t at = 0; at < whole;) {
    const size_t length = std::min(whole - at, kPacketsPerPiece * packet);
    if (av_new_packet(piece.get(), static_cast<int>(length)) < 0) return std::nullopt;
    std::copy_n(packed.data() + at, length, piece->data);
    int sent = avcodec_send_packet(context.get(), piece.get());
    av_packet_unref(piece.get());
    if (sent < 0 || !Drain(*context, *frame, channels, out)) return std::nullopt;
    at += length;
  }
  if (avcodec_send_packet(context.get(), nullptr) < 0) return std::nullopt;
  if (!Drain(*context, *frame, channels, out)) return std::nullopt;
  return out;
}

}  // namespace corvida
