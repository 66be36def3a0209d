#include "support/movie_writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace corvida::testing {

namespace {

struct Encoder {
  AVCodecContext* context = nullptr;
  AVStream* stream = nullptr;
  ~Encoder() { avcodec_free_context(&context); }
};

struct Output {
  AVFormatContext* format = nullptr;
  Encoder video, audio;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  ~Output() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    if (format && format->pb) avio_closep(&format->pb);
    avformat_free_context(format);
  }
};

std::string Open(Output& out, Encoder& enc, const std::string& name, AVRational time_base,
                 void (*set_up)(AVCodecContext*, const AVCodec*, const TestMovieSpec&),
                 const TestMovieSpec& spec) {
  const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
  if (!codec) return "no encoder " + name;
  enc.context = avcodec_alloc_context3(codec);
  enc.context->time_base = time_base;
  set_up(enc.context, codec, spec);
  if (out.format->oformat->flags & AVFMT_GLOBALHEADER)
    enc.context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(enc.context, codec, nullptr) < 0) return "cannot open encoder " + name;
  enc.stream = avformat_new_stream(out.format, nullptr);
  avcodec_parameters_from_context(enc.stream->codecpar, enc.context);
  enc.stream->time_base = time_base;
  return "";
}

void SetUpVideo(AVCodecContext* c, const AVCodec* codec, const TestMovieSpec& spec) {
  c->width = spec.width;
  c->height = spec.height;
  c->framerate = AVRational{spec.fps, 1};
  c->gop_size = spec.fps;
  c->pix_fmt = codec->pix_fmts ? codec->pix_fmts[0] : AV_PIX_FMT_RGB24;
}

void SetUpAudio(AVCodecContext* c, const AVCodec* codec, const TestMovieSpec& spec) {
  c->sample_rate = spec.audio_rate;
  c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&c->ch_layout, spec.audio_channels);
}

// Sends a frame (or, with null, the end) and writes every packet that comes out.
bool Encode(Output& out, Encoder& enc, AVFrame* frame) {
  if (avcodec_send_frame(enc.context, frame) < 0) return false;
  while (avcodec_receive_packet(enc.context, out.packet) == 0) {
    // Frames last one tick of the time base: the last one too, so the movie ends after it.
    if (out.packet->duration == 0 && enc.context->codec_type == AVMEDIA_TYPE_VIDEO)
      out.packet->duration = 1;
    av_packet_rescale_ts(out.packet, enc.context->time_base, enc.stream->time_base);
    out.packet->stream_index = enc.stream->index;
    if (av_interleaved_write_frame(out.format, out.packet) < 0) return false;
  }
  return true;
}

// Solid colour (with a moving pattern over it when `textured`), as packed RGB.
std::vector<uint8_t> Painted(int width, int height, uint32_t rgb, bool textured, int index) {
  const uint8_t r = uint8_t(rgb >> 16), g = uint8_t(rgb >> 8), b = uint8_t(rgb);
  std::vector<uint8_t> rgb24(size_t(width) * size_t(height) * 3);
  for (size_t i = 0; i < rgb24.size(); i += 3) rgb24[i] = r, rgb24[i + 1] = g, rgb24[i + 2] = b;
  for (int y = 0; textured && y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rgb24[(size_t(y) * size_t(width) + size_t(x)) * 3];
      const int wave = ((x + 6 * index) ^ (y - 3 * index)) & 0x7F;
      p[0] = uint8_t(p[0] ^ wave), p[1] = uint8_t(p[1] + wave), p[2] = uint8_t(p[2] ^ (x * y >> 4));
    }
  }
  return rgb24;
}

void FillSolid(AVFrame* frame, uint32_t rgb) {
  for (int y = 0; y < frame->height; ++y)
    std::memset(frame->data[0] + y * frame->linesize[0], 0, size_t(frame->width));
  auto* palette = reinterpret_cast<uint32_t*>(frame->data[1]);
  for (int i = 0; i < 256; ++i) palette[i] = 0xFF000000u | rgb;
}

// Packed RGB scaled into the encoder's format.
void Fill(AVFrame* frame, const std::vector<uint8_t>& rgb24) {
  SwsContext* sws =
      sws_getContext(frame->width, frame->height, AV_PIX_FMT_RGB24, frame->width, frame->height,
                     AVPixelFormat(frame->format), SWS_POINT, nullptr, nullptr, nullptr);
  const uint8_t* src[1] = {rgb24.data()};
  int stride[1] = {frame->width * 3};
  sws_scale(sws, src, stride, 0, frame->height, frame->data, frame->linesize);
  sws_freeContext(sws);
}

std::string WriteVideo(Output& out, const TestMovieSpec& spec) {
  AVCodecContext* c = out.video.context;
  const bool painted = !spec.rgb_frames.empty();
  const size_t frames = painted ? spec.rgb_frames.size() : spec.colours.size();
  const size_t frame_bytes = size_t(c->width) * size_t(c->height) * 3;
  for (size_t i = 0; i < frames; ++i) {
    av_frame_unref(out.frame);
    out.frame->format = c->pix_fmt;
    out.frame->width = c->width;
    out.frame->height = c->height;
    if (av_frame_get_buffer(out.frame, 0) < 0) return "no frame buffer";
    if (painted) {
      if (spec.rgb_frames[i].size() != frame_bytes) return "a painted frame of the wrong size";
      Fill(out.frame, spec.rgb_frames[i]);
    } else if (out.frame->format == AV_PIX_FMT_PAL8) {
      FillSolid(out.frame, spec.colours[i]);
    } else {
      Fill(out.frame, Painted(c->width, c->height, spec.colours[i], spec.textured, int(i)));
    }
    out.frame->pts = int64_t(i);
    if (!Encode(out, out.video, out.frame)) return "video encoding failed";
  }
  return Encode(out, out.video, nullptr) ? "" : "video flush failed";
}

std::string WriteAudio(Output& out, const TestMovieSpec& spec) {
  AVCodecContext* c = out.audio.context;
  const bool given = !spec.audio_samples.empty();
  const int64_t total =
      given ? int64_t(spec.audio_samples.size()) : int64_t(spec.audio_ms) * spec.audio_rate / 1000;
  const int per_frame = c->frame_size > 0 ? c->frame_size : 1024;
  const bool planar = av_sample_fmt_is_planar(c->sample_fmt);
  const int channels = c->ch_layout.nb_channels;
  for (int64_t at = 0; at < total; at += per_frame) {
    av_frame_unref(out.frame);
    out.frame->format = c->sample_fmt;
    out.frame->nb_samples = per_frame;
    av_channel_layout_copy(&out.frame->ch_layout, &c->ch_layout);
    out.frame->sample_rate = c->sample_rate;
    if (av_frame_get_buffer(out.frame, 0) < 0) return "no sound buffer";
    for (int i = 0; i < per_frame; ++i) {
      double t = double(at + i) / spec.audio_rate;
      int16_t v = 0;
      if (at + i < total)
        v = given ? spec.audio_samples[size_t(at + i)]
                  : int16_t(8000 * std::sin(2 * M_PI * 440 * t));
      for (int ch = 0; ch < channels; ++ch) {
        if (planar) {
          reinterpret_cast<int16_t*>(out.frame->data[ch])[i] = v;
        } else {
          reinterpret_cast<int16_t*>(out.frame->data[0])[i * channels + ch] = v;
        }
      }
    }
    out.frame->pts = at;
    if (!Encode(out, out.audio, out.frame)) return "sound encoding failed";
  }
  return Encode(out, out.audio, nullptr) ? "" : "sound flush failed";
}

}  // namespace

TestMovieSpec VideoSpec(std::string container, std::string codec, int width, int height,
                        std::vector<uint32_t> colours) {
  TestMovieSpec spec;
  spec.container = std::move(container);
  spec.video_codec = std::move(codec);
  spec.width = width;
  spec.height = height;
  spec.colours = std::move(colours);
  return spec;
}

std::string WriteTestMovie(const std::string& path, const TestMovieSpec& spec) {
  av_log_set_level(AV_LOG_QUIET);  // the scaler's notes about 5-5-5 pixels are no failure
  Output out;
  if (avformat_alloc_output_context2(&out.format, nullptr, spec.container.c_str(), path.c_str()) <
      0)
    return "no muxer " + spec.container;
  out.frame = av_frame_alloc();
  out.packet = av_packet_alloc();
  std::string failed;
  if (!spec.video_codec.empty())
    failed = Open(out, out.video, spec.video_codec, AVRational{1, spec.fps}, SetUpVideo, spec);
  if (failed.empty() && !spec.audio_codec.empty())
    failed =
        Open(out, out.audio, spec.audio_codec, AVRational{1, spec.audio_rate}, SetUpAudio, spec);
  if (!failed.empty()) return failed;
  if (avio_open(&out.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return "cannot write";
  if (avformat_write_header(out.format, nullptr) < 0) return "cannot write the header";
  if (out.video.context) failed = WriteVideo(out, spec);
  if (failed.empty() && out.audio.context) failed = WriteAudio(out, spec);
  if (!failed.empty()) return failed;
  return av_write_trailer(out.format) < 0 ? "cannot finish" : "";
}

std::vector<uint8_t> TestMovieBytes(const TestMovieSpec& spec) {
  TempDir dir;
  std::string path = dir.File("movie." + spec.container);
  if (!WriteTestMovie(path, spec).empty()) return {};
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool NearColour(const uint8_t* rgba, uint32_t rgb, int tolerance) {
  return std::abs(rgba[0] - int((rgb >> 16) & 0xFF)) <= tolerance &&
         std::abs(rgba[1] - int((rgb >> 8) & 0xFF)) <= tolerance &&
         std::abs(rgba[2] - int(rgb & 0xFF)) <= tolerance;
}

}  // namespace corvida::testing
