#include "platform/movie/demuxer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace corvida::movie {

namespace {

constexpr const char* kContainers = "mov,avi,wav,aiff,au";
constexpr std::string_view kCodecs[] = {
    "cinepak", "rpza", "smc",   "qtrle", "indeo3",       "msvideo1",
    "svq1",    "svq3", "mace3", "mace6", "adpcm_ima_qt", "adpcm_ima_wav",
};
constexpr int kIoBufferBytes = 32 * 1024;
// Containers are recognised from their first bytes and their streams from a few
// seconds of packets; hostile files cannot make either read the whole file.
constexpr const char* kProbeBytes = "1048576";
constexpr const char* kAnalyzeMicroseconds = "5000000";
constexpr const char* kMaxStreams = "16";

class FileBytes : public ByteSource {
 public:
  explicit FileBytes(File file) : file_(std::move(file)) {}
  int64_t Size() override { return file_.Size(); }
  int64_t ReadAt(int64_t offset, uint8_t* buffer, size_t count) override {
    if (file_.Seek(offset, File::kFromStart) != offset) return -1;
    return file_.Read(buffer, count);
  }

 private:
  File file_;
};

class MemoryBytes : public ByteSource {
 public:
  explicit MemoryBytes(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  int64_t Size() override { return int64_t(bytes_.size()); }
  int64_t ReadAt(int64_t offset, uint8_t* buffer, size_t count) override {
    if (offset < 0 || uint64_t(offset) > bytes_.size()) return -1;
    size_t n = std::min(count, bytes_.size() - size_t(offset));
    std::memcpy(buffer, bytes_.data() + offset, n);
    return int64_t(n);
  }

 private:
  std::vector<uint8_t> bytes_;
};

// Nothing a movie names (data references, playlists) is ever opened.
int RefuseOtherFiles(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

bool IsAcceptedName(std::string_view name) {
  return name.starts_with("pcm_") ||
         std::find(std::begin(kCodecs), std::end(kCodecs), name) != std::end(kCodecs);
}

}  // namespace

std::shared_ptr<ByteSource> FileSource(const std::string& host_path) {
  if (!IsRegularFile(host_path)) return nullptr;
  File file = File::Open(host_path, File::Mode::kRead);
  if (!file.is_open()) return nullptr;
  return std::make_shared<FileBytes>(std::move(file));
}

std::shared_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes) {
  return std::make_shared<MemoryBytes>(std::move(bytes));
}

const AVCodec* AcceptedDecoder(int codec_id) {
  const AVCodec* codec = avcodec_find_decoder(AVCodecID(codec_id));
  return codec && IsAcceptedName(codec->name) ? codec : nullptr;
}

const std::string& AcceptedDecoderList() {
  static const std::string list = [] {
    std::string names;
    void* state = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&state)) {
      if (!av_codec_is_decoder(codec) || !IsAcceptedName(codec->name)) continue;
      if (!names.empty()) names += ',';
      names += codec->name;
    }
    return names;
  }();
  return list;
}

AVCodecContext* OpenAcceptedDecoder(const AVCodecParameters* par, int64_t max_pixels) {
  const AVCodec* codec = AcceptedDecoder(par->codec_id);
  if (!codec) return nullptr;
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  if (!decoder) return nullptr;
  AVDictionary* options = nullptr;
  int opened = avcodec_parameters_to_context(decoder, par);
  if (opened >= 0) {
    if (max_pixels > 0) decoder->max_pixels = max_pixels;
    decoder->thread_count = 1;
    av_dict_set(&options, "codec_whitelist", AcceptedDecoderList().c_str(), 0);
    opened = avcodec_open2(decoder, codec, &options);
    av_dict_free(&options);
  }
  if (opened < 0) avcodec_free_context(&decoder);
  return decoder;
}

void FeedDecoder(AVFormatContext* format, AVCodecContext* decoder, AVPacket* packet, int stream,
                 bool& draining) {
  if (av_read_frame(format, packet) < 0) {
    draining = true;
    avcodec_send_packet(decoder, nullptr);
    return;
  }
  if (packet->stream_index == stream) avcodec_send_packet(decoder, packet);
  av_packet_unref(packet);
}

int Demuxer::Read(void* opaque, uint8_t* buffer, int size) {
  auto* self = static_cast<Demuxer*>(opaque);
  int64_t n = self->source_->ReadAt(self->position_, buffer, size_t(std::max(size, 0)));
  if (n < 0) return AVERROR(EIO);
  if (n == 0) return AVERROR_EOF;
  self->position_ += n;
  return int(n);
}

int64_t Demuxer::Seek(void* opaque, int64_t offset, int whence) {
  auto* self = static_cast<Demuxer*>(opaque);
  int64_t size = self->source_->Size();
  int64_t base = 0;
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
      return size;
    case SEEK_SET:
      break;
    case SEEK_CUR:
      base = self->position_;
      break;
    case SEEK_END:
      base = size;
      break;
    default:
      return -1;
  }
  if (offset > INT64_MAX - base) return -1;
  int64_t target = base + offset;
  if (target < 0 || size < 0 || target > size) return -1;
  self->position_ = target;
  return target;
}

std::unique_ptr<Demuxer> Demuxer::Open(std::shared_ptr<ByteSource> source) {
  if (!source || source->Size() <= 0) return nullptr;
  std::unique_ptr<Demuxer> d(new Demuxer);
  d->source_ = std::move(source);
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
  if (!buffer) return nullptr;
  d->io_ = avio_alloc_context(buffer, kIoBufferBytes, 0, d.get(), &Demuxer::Read, nullptr,
                              &Demuxer::Seek);
  if (!d->io_) {
    av_free(buffer);
    return nullptr;
  }
  AVFormatContext* format = avformat_alloc_context();
  if (!format) return nullptr;
  format->pb = d->io_;
  format->flags |= AVFMT_FLAG_CUSTOM_IO;
  format->io_open = &RefuseOtherFiles;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "format_whitelist", kContainers, 0);
  av_dict_set(&options, "codec_whitelist", AcceptedDecoderList().c_str(), 0);
  av_dict_set(&options, "protocol_whitelist", "none", 0);
  av_dict_set(&options, "probesize", kProbeBytes, 0);
  av_dict_set(&options, "analyzeduration", kAnalyzeMicroseconds, 0);
  av_dict_set(&options, "max_streams", kMaxStreams, 0);
  int opened = avformat_open_input(&format, nullptr, nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return nullptr;  // the format context was freed
  d->format_ = format;
  if (avformat_find_stream_info(format, nullptr) < 0) return nullptr;
  return d;
}

Demuxer::~Demuxer() {
  if (format_) avformat_close_input(&format_);
  if (io_) {
    av_freep(&io_->buffer);
    avio_context_free(&io_);
  }
}

}  // namespace corvida::movie
