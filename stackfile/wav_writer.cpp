// The WAV header is written field by field; samples follow, swapped when big-endian.
#include "stackfile/wav_writer.h"

#include <limits>
#include <utility>

namespace corvida {
namespace {

constexpr size_t kHeaderBytes = 44;  // RIFF form, 16-byte 'fmt ', 'data' chunk header
constexpr uint16_t kPcm = 1;

class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Text(const char (&four)[5]) { out_.insert(out_.end(), four, four + 4); }
  void U16(uint32_t v) { Bytes(v, 2); }
  void U32(uint32_t v) { Bytes(v, 4); }

 private:
  void Bytes(uint32_t v, int count) {
    for (int i = 0; i < count; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t>& out_;
};

}  // namespace

std::vector<uint8_t> WavFileBytes(const AudioFormat& format, std::span<const uint8_t> samples) {
  const int frame_bytes = format.BytesPerFrame();
  if (format.rate <= 0 || (format.channels != 1 && format.channels != 2)) return {};
  const uint64_t data_bytes = samples.size() / frame_bytes * frame_bytes;
  const uint64_t pad = data_bytes & 1;  // chunks are padded to even sizes
  if (data_bytes + pad + kHeaderBytes > std::numeric_limits<uint32_t>::max()) return {};
  const uint32_t sample_bits = format.format == SampleFormat::kU8 ? 8 : 16;

  std::vector<uint8_t> out;
  out.reserve(kHeaderBytes + data_bytes + pad);
  LittleEndianWriter w(out);
  w.Text("RIFF");
  w.U32(static_cast<uint32_t>(kHeaderBytes - 8 + data_bytes + pad));
  w.Text("WAVE");
  w.Text("fmt ");
  w.U32(16);
  w.U16(kPcm);
  w.U16(static_cast<uint32_t>(format.channels));
  w.U32(static_cast<uint32_t>(format.rate));
  w.U32(static_cast<uint32_t>(format.rate) * static_cast<uint32_t>(frame_bytes));
  w.U16(static_cast<uint32_t>(frame_bytes));
  w.U16(sample_bits);
  w.Text("data");
  w.U32(static_cast<uint32_t>(data_bytes));
  out.insert(out.end(), samples.begin(), samples.begin() + static_cast<long>(data_bytes));
  if (format.format == SampleFormat::kS16BE) {
    for (size_t i = kHeaderBytes; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  }
  if (pad) out.push_back(0);
  return out;
}

}  // namespace corvida
