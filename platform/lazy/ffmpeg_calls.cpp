// Written by scripts/lazy-calls.py: the library's functions our code calls, each
// forwarding to the library opened on first use (platform/lazy_libs.h).
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <type_traits>

#include "platform/lazy_libs.h"

extern "C" {

AVRational av_guess_frame_rate(AVFormatContext* a0, AVStream* a1, AVFrame* a2) {
  return CORVIDA_LAZY(kFfmpeg, av_guess_frame_rate)(a0, a1, a2);
}

int av_read_frame(AVFormatContext* a0, AVPacket* a1) {
  return CORVIDA_LAZY(kFfmpeg, av_read_frame)(a0, a1);
}

int av_seek_frame(AVFormatContext* a0, int a1, int64_t a2, int a3) {
  return CORVIDA_LAZY(kFfmpeg, av_seek_frame)(a0, a1, a2, a3);
}

AVFormatContext* avformat_alloc_context() {
  return CORVIDA_LAZY(kFfmpeg, avformat_alloc_context)();
}

void avformat_close_input(AVFormatContext** a0) {
  CORVIDA_LAZY(kFfmpeg, avformat_close_input)(a0);
}

int avformat_find_stream_info(AVFormatContext* a0, AVDictionary** a1) {
  return CORVIDA_LAZY(kFfmpeg, avformat_find_stream_info)(a0, a1);
}

int avformat_open_input(AVFormatContext** a0, const char* a1, const AVInputFormat* a2,
                        AVDictionary** a3) {
  return CORVIDA_LAZY(kFfmpeg, avformat_open_input)(a0, a1, a2, a3);
}

int avformat_seek_file(AVFormatContext* a0, int a1, int64_t a2, int64_t a3, int64_t a4, int a5) {
  return CORVIDA_LAZY(kFfmpeg, avformat_seek_file)(a0, a1, a2, a3, a4, a5);
}

AVIOContext* avio_alloc_context(unsigned char* a0, int a1, int a2, void* a3,
                                std::type_identity_t<int (*)(void*, uint8_t*, int)> a4,
                                std::type_identity_t<int (*)(void*, uint8_t*, int)> a5,
                                std::type_identity_t<int64_t (*)(void*, int64_t, int)> a6) {
  return CORVIDA_LAZY(kFfmpeg, avio_alloc_context)(a0, a1, a2, a3, a4, a5, a6);
}

void avio_context_free(AVIOContext** a0) {
  CORVIDA_LAZY(kFfmpeg, avio_context_free)(a0);
}

int av_codec_is_decoder(const AVCodec* a0) {
  return CORVIDA_LAZY(kFfmpeg, av_codec_is_decoder)(a0);
}

const AVCodec* av_codec_iterate(void** a0) {
  return CORVIDA_LAZY(kFfmpeg, av_codec_iterate)(a0);
}

int av_new_packet(AVPacket* a0, int a1) {
  return CORVIDA_LAZY(kFfmpeg, av_new_packet)(a0, a1);
}

AVPacket* av_packet_alloc() {
  return CORVIDA_LAZY(kFfmpeg, av_packet_alloc)();
}

void av_packet_free(AVPacket** a0) {
  CORVIDA_LAZY(kFfmpeg, av_packet_free)(a0);
}

void av_packet_unref(AVPacket* a0) {
  CORVIDA_LAZY(kFfmpeg, av_packet_unref)(a0);
}

AVCodecContext* avcodec_alloc_context3(const AVCodec* a0) {
  return CORVIDA_LAZY(kFfmpeg, avcodec_alloc_context3)(a0);
}

const AVCodec* avcodec_find_decoder(enum AVCodecID a0) {
  return CORVIDA_LAZY(kFfmpeg, avcodec_find_decoder)(a0);
}

const AVCodec* avcodec_find_decoder_by_name(const char* a0) {
  return CORVIDA_LAZY(kFfmpeg, avcodec_find_decoder_by_name)(a0);
}

void avcodec_flush_buffers(AVCodecContext* a0) {
  CORVIDA_LAZY(kFfmpeg, avcodec_flush_buffers)(a0);
}

void avcodec_free_context(AVCodecContext** a0) {
  CORVIDA_LAZY(kFfmpeg, avcodec_free_context)(a0);
}

int avcodec_open2(AVCodecContext* a0, const AVCodec* a1, AVDictionary** a2) {
  return CORVIDA_LAZY(kFfmpeg, avcodec_open2)(a0, a1, a2);
}

int avcodec_parameters_to_context(AVCodecContext* a0, const AVCodecParameters* a1) {
  return CORVIDA_LAZY(kFfmpeg, avcodec_parameters_to_context)(a0, a1);
}

int avcodec_receive_frame(AVCodecContext* a0, AVFrame* a1) {
  return CORVIDA_LAZY(kFfmpeg, avcodec_receive_frame)(a0, a1);
}

int avcodec_send_packet(AVCodecContext* a0, const AVPacket* a1) {
  return CORVIDA_LAZY(kFfmpeg, avcodec_send_packet)(a0, a1);
}

int av_channel_layout_check(const AVChannelLayout* a0) {
  return CORVIDA_LAZY(kFfmpeg, av_channel_layout_check)(a0);
}

int av_channel_layout_copy(AVChannelLayout* a0, const AVChannelLayout* a1) {
  return CORVIDA_LAZY(kFfmpeg, av_channel_layout_copy)(a0, a1);
}

void av_channel_layout_default(AVChannelLayout* a0, int a1) {
  CORVIDA_LAZY(kFfmpeg, av_channel_layout_default)(a0, a1);
}

void av_channel_layout_uninit(AVChannelLayout* a0) {
  CORVIDA_LAZY(kFfmpeg, av_channel_layout_uninit)(a0);
}

void av_dict_free(AVDictionary** a0) {
  CORVIDA_LAZY(kFfmpeg, av_dict_free)(a0);
}

int av_dict_set(AVDictionary** a0, const char* a1, const char* a2, int a3) {
  return CORVIDA_LAZY(kFfmpeg, av_dict_set)(a0, a1, a2, a3);
}

AVFrame* av_frame_alloc() {
  return CORVIDA_LAZY(kFfmpeg, av_frame_alloc)();
}

void av_frame_free(AVFrame** a0) {
  CORVIDA_LAZY(kFfmpeg, av_frame_free)(a0);
}

void av_frame_unref(AVFrame* a0) {
  CORVIDA_LAZY(kFfmpeg, av_frame_unref)(a0);
}

void av_free(void* a0) {
  CORVIDA_LAZY(kFfmpeg, av_free)(a0);
}

void av_freep(void* a0) {
  CORVIDA_LAZY(kFfmpeg, av_freep)(a0);
}

void av_log_set_level(int a0) {
  CORVIDA_LAZY(kFfmpeg, av_log_set_level)(a0);
}

void* av_malloc(size_t a0) {
  return CORVIDA_LAZY(kFfmpeg, av_malloc)(a0);
}

void av_max_alloc(size_t a0) {
  CORVIDA_LAZY(kFfmpeg, av_max_alloc)(a0);
}

int64_t av_rescale_q(int64_t a0, AVRational a1, AVRational a2) {
  return CORVIDA_LAZY(kFfmpeg, av_rescale_q)(a0, a1, a2);
}

int64_t av_rescale_q_rnd(int64_t a0, AVRational a1, AVRational a2, enum AVRounding a3) {
  return CORVIDA_LAZY(kFfmpeg, av_rescale_q_rnd)(a0, a1, a2, a3);
}

void sws_freeContext(struct SwsContext* a0) {
  CORVIDA_LAZY(kFfmpeg, sws_freeContext)(a0);
}

struct SwsContext* sws_getCachedContext(struct SwsContext* a0, int a1, int a2,
                                        enum AVPixelFormat a3, int a4, int a5,
                                        enum AVPixelFormat a6, int a7, SwsFilter* a8, SwsFilter* a9,
                                        const double* a10) {
  return CORVIDA_LAZY(kFfmpeg, sws_getCachedContext)(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10);
}

int sws_scale(struct SwsContext* a0, const uint8_t* const* a1, const int* a2, int a3, int a4,
              uint8_t* const* a5, const int* a6) {
  return CORVIDA_LAZY(kFfmpeg, sws_scale)(a0, a1, a2, a3, a4, a5, a6);
}

int swr_alloc_set_opts2(struct SwrContext** a0, AVChannelLayout* a1, enum AVSampleFormat a2, int a3,
                        AVChannelLayout* a4, enum AVSampleFormat a5, int a6, int a7, void* a8) {
  return CORVIDA_LAZY(kFfmpeg, swr_alloc_set_opts2)(a0, a1, a2, a3, a4, a5, a6, a7, a8);
}

int swr_convert(struct SwrContext* a0, uint8_t** a1, int a2, const uint8_t** a3, int a4) {
  return CORVIDA_LAZY(kFfmpeg, swr_convert)(a0, a1, a2, a3, a4);
}

void swr_free(struct SwrContext** a0) {
  CORVIDA_LAZY(kFfmpeg, swr_free)(a0);
}

int swr_get_out_samples(struct SwrContext* a0, int a1) {
  return CORVIDA_LAZY(kFfmpeg, swr_get_out_samples)(a0, a1);
}

int swr_init(struct SwrContext* a0) {
  return CORVIDA_LAZY(kFfmpeg, swr_init)(a0);
}

}  // extern "C"
