// Where a movie's bytes come from and how they reach the demuxer: a file read through our
// own I/O (never by path inside the library) or a block held in memory, opened with the
// whitelists of containers and codecs the player accepts and no way to reach any other
// file or the network. Each track decoder opens its own Demuxer over the shared bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/movie.h"

extern "C" {
struct AVFormatContext;
struct AVIOContext;
struct AVCodec;
struct AVCodecContext;
struct AVCodecParameters;
struct AVPacket;
}

namespace corvida::movie {

// The movie's bytes; reads are positioned, so several demuxers can share one source.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual int64_t Size() = 0;
  // Bytes read at `offset` (fewer at the end), or -1.
  virtual int64_t ReadAt(int64_t offset, uint8_t* buffer, size_t count) = 0;
};

std::shared_ptr<ByteSource> FileSource(const std::string& host_path);  // null when unreadable
std::shared_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes);

// One opened container over a source.
class Demuxer {
 public:
  ~Demuxer();
  Demuxer(const Demuxer&) = delete;
  Demuxer& operator=(const Demuxer&) = delete;

  // Null when the bytes are no container of the list or their streams cannot be read.
  static std::unique_ptr<Demuxer> Open(std::shared_ptr<ByteSource> source);
  AVFormatContext* context() const { return format_; }

 private:
  Demuxer() = default;
  std::shared_ptr<ByteSource> source_;
  int64_t position_ = 0;
  AVIOContext* io_ = nullptr;
  AVFormatContext* format_ = nullptr;

  static int Read(void* opaque, uint8_t* buffer, int size);
  static int64_t Seek(void* opaque, int64_t offset, int whence);
};

// The decoder for a codec id when it is one the player accepts; null otherwise.
const AVCodec* AcceptedDecoder(int codec_id);
// The accepted decoders' names, comma-separated (the libraries' codec whitelist).
const std::string& AcceptedDecoderList();

// A decoder opened for a stream's parameters, on one thread and held to the accepted
// codecs; `max_pixels` bounds a video frame (0: the library's default). Null on failure.
AVCodecContext* OpenAcceptedDecoder(const AVCodecParameters* par, int64_t max_pixels);

// Reads the container's next packet and hands it to the decoder when it is the stream's
// (a packet the decoder refuses is skipped: the next key frame mends the picture). At the
// end of the container the decoder is told to drain and `draining` is set.
void FeedDecoder(AVFormatContext* format, AVCodecContext* decoder, AVPacket* packet, int stream,
                 bool& draining);

}  // namespace corvida::movie
