// 'Snd ' resources read into a sample description and decoded. The prefix (format 1, 2
// or 256) says where the sound header starts; the header's encode byte says which of the
// three headers it is. Every position is computed in 64 bits and checked against the
// resource before it is read.
#include "stackfile/sound.h"

#include <cmath>
#include <cstring>

#include "platform/audio_decode.h"
#include "stackfile/records_access.h"
#include "stackfile/sound_layout.h"

namespace corvida {
namespace {

using namespace snd;

// Big-endian reads of untrusted bytes at positions known to lie inside.
class SndView {
 public:
  explicit SndView(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool Holds(uint64_t offset, uint64_t width) const {
    return offset <= bytes_.size() && width <= bytes_.size() - offset;
  }
  uint8_t U8(uint64_t at) const { return bytes_[at]; }
  uint16_t U16(uint64_t at) const { return GetBE16(bytes_.data() + at); }
  uint32_t U32(uint64_t at) const { return GetBE32(bytes_.data() + at); }
  int16_t I16(uint64_t at) const { return static_cast<int16_t>(U16(at)); }
  std::span<const uint8_t, 10> Ten(uint64_t at) const {
    return std::span<const uint8_t, 10>(bytes_.data() + at, 10);
  }

 private:
  std::span<const uint8_t> bytes_;
};

// Where the sound header starts: after the data types and commands of format 1 (also
// 256), after the commands of format 2.
std::optional<uint64_t> HeaderStart(const SndView& snd) {
  if (!snd.Holds(kFormat, 2)) return std::nullopt;
  const uint16_t format = snd.U16(kFormat);
  if (format == kFormat1 || format == kFormat256) {
    if (!snd.Holds(kDataTypeCount, 2)) return std::nullopt;
    const uint64_t types = snd.U16(kDataTypeCount);
    const uint64_t count_at = kDataTypes + kDataTypeSize * types;
    if (!snd.Holds(count_at, 2)) return std::nullopt;
    return kDataTypeSize * (types + 1) + kCommandSize * snd.U16(count_at);
  }
  if (format == kFormat2) {
    if (!snd.Holds(kCommandCount2, 2)) return std::nullopt;
    return kCommands2 + kCommandSize * uint64_t{snd.U16(kCommandCount2)};
  }
  return std::nullopt;
}

// The 80-bit rate is not what we play, but when present it must be a rate too; sounds
// whose writers left it zero stay readable.
bool Rate80Readable(std::span<const uint8_t, 10> bytes) {
  const double hertz = ReadExtended80(bytes);
  return hertz == 0 || (std::isfinite(hertz) && hertz >= 1 && hertz < 65535.5);
}

SampleDescription ReadStandard(const SndView& snd, uint64_t h) {
  SampleDescription d;
  d.rate = snd.U32(h + header::kRate);
  d.sample_count = d.byte_count = snd.U32(h + header::kLength);
  d.data_offset = h + header::kStandardData;
  return d;
}

// Extended and compressed headers share channels, rate, frames and the data offset.
SampleDescription ReadLongCommon(const SndView& snd, uint64_t h, uint16_t sample_size) {
  SampleDescription d;
  d.channels = static_cast<uint16_t>(std::min<uint32_t>(snd.U32(h + header::kChannels), 0xFFFF));
  d.sample_size = sample_size;
  d.rate = snd.U32(h + header::kRate);
  d.sample_count = snd.U32(h + header::kFrames);
  d.byte_count = uint64_t{sample_size / 8u} * d.channels * d.sample_count;
  d.data_offset = h + header::kLongData;
  return d;
}

// A MACE packet is 2 (3:1) or 1 (6:1) bytes of each channel and gives 6 samples per
// channel; the header counts packets as frames.
void DescribeMace(SampleDescription& d, FourCC format) {
  const uint64_t packets = d.sample_count;
  d.data_format = format;
  d.sample_count = packets * 6;
  d.byte_count = packets * (format == sound::kMace3 ? 2 : 1) * d.channels;
}

std::optional<SampleDescription> ReadHeader(const SndView& snd, uint64_t h) {
  if (!snd.Holds(h, header::kStandardData)) return std::nullopt;
  const uint8_t encode = snd.U8(h + header::kEncode);
  if (encode == header::kEncodeStandard) return ReadStandard(snd, h);
  if (encode != header::kEncodeExtended && encode != header::kEncodeCompressed) return std::nullopt;
  if (!snd.Holds(h, header::kLongData) || !Rate80Readable(snd.Ten(h + header::kRate80)))
    return std::nullopt;
  if (encode == header::kEncodeExtended)
    return ReadLongCommon(snd, h, snd.U16(h + header::kExtendedSampleSize));
  SampleDescription d = ReadLongCommon(snd, h, snd.U16(h + header::kCompressedSampleSize));
  switch (snd.I16(h + header::kCompressionId)) {
    case kCompressionNone:
      return d;
    case kCompressionMace3:
      DescribeMace(d, sound::kMace3);
      return d;
    case kCompressionMace6:
      DescribeMace(d, sound::kMace6);
      return d;
    default:
      return std::nullopt;
  }
}

bool Playable(const SndView& snd, const SampleDescription& d) {
  return (d.channels == 1 || d.channels == 2) && (d.sample_size == 8 || d.sample_size == 16) &&
         PlayableRate(d.rate) && snd.Holds(d.data_offset, d.byte_count);
}

SoundDecodeResult DecodeMace(std::span<const uint8_t> packed, const SampleDescription& d) {
  const uint64_t decoded_bytes = d.sample_count * d.channels * 2;
  if (decoded_bytes > sound::kMaxSoundBytes) return {strid::kSoundTooLarge, {}};
  const AudioCodec codec = d.data_format == sound::kMace3 ? AudioCodec::kMace3 : AudioCodec::kMace6;
  std::optional<std::vector<int16_t>> samples = DecodeAudio(packed, d.channels, codec);
  if (!samples) return {strid::kSoundUnreadable, {}};
  SoundDecodeResult result;
  result.pcm.format = {static_cast<int>(WholeHertz(d.rate)), d.channels, SampleFormat::kS16LE};
  result.pcm.samples.resize(samples->size() * 2);
  if (!samples->empty())
    std::memcpy(result.pcm.samples.data(), samples->data(), result.pcm.samples.size());
  return result;
}

}  // namespace

SndParseResult ParseSnd(std::span<const uint8_t> resource) {
  const SndView snd(resource);
  std::optional<uint64_t> start = HeaderStart(snd);
  std::optional<SampleDescription> d = start ? ReadHeader(snd, *start) : std::nullopt;
  if (!d || !Playable(snd, *d)) return {strid::kSoundUnreadable, {}};
  d->header_offset = *start;
  d->encode = snd.U8(*start + header::kEncode);
  return {0, *d};
}

SoundDecodeResult DecodeSnd(std::span<const uint8_t> resource) {
  const SndParseResult parsed = ParseSnd(resource);
  if (parsed.alert) return {parsed.alert, {}};
  const SampleDescription& d = parsed.description;
  const std::span<const uint8_t> data = resource.subspan(d.data_offset, d.byte_count);
  if (d.data_format != sound::kRaw) return DecodeMace(data, d);
  SoundDecodeResult result;
  result.pcm.format = {static_cast<int>(WholeHertz(d.rate)), d.channels,
                       d.sample_size == 8 ? SampleFormat::kU8 : SampleFormat::kS16BE};
  result.pcm.samples.assign(data.begin(), data.end());
  return result;
}

std::optional<SoundFileKind> SoundFileKindOf(std::string_view file_name) {
  const size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string extension(file_name.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (extension == "wav") return SoundFileKind::kWav;
  if (extension == "aif" || extension == "aiff" || extension == "aifc") return SoundFileKind::kAiff;
  if (extension == "au" || extension == "snd") return SoundFileKind::kAu;
  return std::nullopt;
}

}  // namespace corvida
