// Sound files made into the stored layout: the WAV, AIFF/AIFC and AU readers find the
// samples and their shape, and one builder writes the prefix and header and converts the
// samples to what the layout holds (8-bit unsigned, 16-bit big-endian). Chunk walks stop
// at the end of the file and after a bounded number of chunks; a chunk that runs past the
// end is cut there, so a truncated file keeps what it has.
#include <cmath>
#include <cstring>

#include "platform/audio_decode.h"
#include "stackfile/records_access.h"
#include "stackfile/sound.h"
#include "stackfile/sound_layout.h"

namespace corvida {
namespace {

constexpr size_t kMaxChunks = 4096;
constexpr size_t kChunkHeader = 8;  // id, size
constexpr uint32_t kAuUnknownSize = 0xFFFFFFFF;

// How the samples lie in the file.
enum class Encoding { kUnsigned8, kSigned8, kLittle16, kBig16, kMuLaw };

struct FoundSamples {
  int alert = 0;
  uint32_t channels = 0;
  uint32_t sample_size = 0;  // bits as the file states them
  double hertz = 0;
  Encoding encoding = Encoding::kUnsigned8;
  std::span<const uint8_t> data;
};

FoundSamples Refused(int alert) {
  FoundSamples found;
  found.alert = alert;
  return found;
}

struct Chunk {
  FourCC id = 0;
  std::span<const uint8_t> body;  // cut at the end of the file
};

uint32_t GetLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t GetLE16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// The chunks of a RIFF (little-endian sizes) or IFF (big-endian) form from `at` on; a
// chunk of odd size is followed by one pad byte.
std::vector<Chunk> ReadChunks(std::span<const uint8_t> file, size_t at, bool big_endian) {
  std::vector<Chunk> chunks;
  while (chunks.size() < kMaxChunks && at <= file.size() && file.size() - at >= kChunkHeader) {
    const uint8_t* p = file.data() + at;
    const uint64_t size = big_endian ? GetBE32(p + 4) : GetLE32(p + 4);
    const uint64_t room = file.size() - at - kChunkHeader;
    chunks.push_back({GetBE32(p), file.subspan(at + kChunkHeader, std::min(size, room))});
    if (size >= room) break;
    at += kChunkHeader + size + (size & 1);
  }
  return chunks;
}

const Chunk* FindChunk(const std::vector<Chunk>& chunks, FourCC id) {
  for (const Chunk& c : chunks) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

bool HasForm(std::span<const uint8_t> file, FourCC container, FourCC form) {
  return file.size() >= 12 && GetBE32(file.data()) == container && GetBE32(file.data() + 8) == form;
}

FoundSamples FindWav(std::span<const uint8_t> file) {
  if (!HasForm(file, MakeFourCC("RIFF"), MakeFourCC("WAVE")))
    return Refused(strid::kSoundUnreadable);
  const std::vector<Chunk> chunks = ReadChunks(file, 12, false);
  const Chunk* format = FindChunk(chunks, MakeFourCC("fmt "));
  if (!format || format->body.size() < 16) return Refused(strid::kSoundUnreadable);
  const uint8_t* f = format->body.data();
  if (GetLE16(f) != 1) return Refused(strid::kSoundFormatNotSupported);  // PCM only
  const Chunk* data = FindChunk(chunks, MakeFourCC("data"));
  if (!data) return Refused(strid::kSoundUnreadable);
  FoundSamples found;
  found.channels = GetLE16(f + 2);
  found.hertz = GetLE32(f + 4);
  found.sample_size = GetLE16(f + 14);
  found.encoding = found.sample_size == 8 ? Encoding::kUnsigned8 : Encoding::kLittle16;
  found.data = data->body;
  return found;
}

FoundSamples FindAiff(std::span<const uint8_t> file) {
  const bool aifc = HasForm(file, MakeFourCC("FORM"), MakeFourCC("AIFC"));
  if (!aifc && !HasForm(file, MakeFourCC("FORM"), MakeFourCC("AIFF")))
    return Refused(strid::kSoundUnreadable);
  const std::vector<Chunk> chunks = ReadChunks(file, 12, true);
  const Chunk* common = FindChunk(chunks, MakeFourCC("COMM"));
  if (!common || common->body.size() < (aifc ? 22u : 18u)) return Refused(strid::kSoundUnreadable);
  const uint8_t* c = common->body.data();
  if (aifc && GetBE32(c + 18) != MakeFourCC("NONE")) return Refused(strid::kSoundKindNotHandled);
  const Chunk* sound_data = FindChunk(chunks, MakeFourCC("SSND"));
  if (!sound_data || sound_data->body.size() < 8) return Refused(strid::kSoundUnreadable);
  const uint64_t skip = 8 + uint64_t{GetBE32(sound_data->body.data())};
  if (skip > sound_data->body.size()) return Refused(strid::kSoundUnreadable);
  FoundSamples found;
  found.channels = GetBE16(c);
  found.sample_size = GetBE16(c + 6);
  found.hertz = snd::ReadExtended80(std::span<const uint8_t, 10>(c + 8, 10));
  // AIFF's 8-bit samples are signed.
  found.encoding = found.sample_size == 8 ? Encoding::kSigned8 : Encoding::kBig16;
  found.data = sound_data->body.subspan(skip);
  return found;
}

FoundSamples FindAu(std::span<const uint8_t> file) {
  constexpr size_t kAuHeader = 24;
  if (file.size() < kAuHeader || GetBE32(file.data()) != MakeFourCC(".snd"))
    return Refused(strid::kSoundUnreadable);
  const uint8_t* h = file.data();
  const uint64_t offset = GetBE32(h + 4);
  const uint64_t size = GetBE32(h + 8);
  if (offset < kAuHeader || offset > file.size()) return Refused(strid::kSoundUnreadable);
  FoundSamples found;
  switch (GetBE32(h + 12)) {
    case 1:
      found.encoding = Encoding::kMuLaw, found.sample_size = 8;
      break;
    case 2:
      found.encoding = Encoding::kSigned8, found.sample_size = 8;
      break;
    case 3:
      found.encoding = Encoding::kBig16, found.sample_size = 16;
      break;
    default:
      return Refused(strid::kSoundFormatNotSupported);
  }
  found.hertz = GetBE32(h + 16);
  found.channels = GetBE32(h + 20);
  const uint64_t room = file.size() - offset;
  found.data = file.subspan(offset, size == kAuUnknownSize ? room : std::min(size, room));
  return found;
}

// The samples in the stored form: 8-bit unsigned, 16-bit big-endian.
bool ConvertSamples(const FoundSamples& found, uint64_t frames, uint8_t* out) {
  const size_t count = frames * found.channels;  // samples
  const uint8_t* in = found.data.data();
  switch (found.encoding) {
    case Encoding::kUnsigned8:
      std::memcpy(out, in, count);
      return true;
    case Encoding::kSigned8:
      for (size_t i = 0; i < count; ++i) out[i] = in[i] ^ 0x80;
      return true;
    case Encoding::kBig16:
      std::memcpy(out, in, count * 2);
      return true;
    case Encoding::kLittle16:
      for (size_t i = 0; i < count; ++i) PutBE16(out + 2 * i, GetLE16(in + 2 * i));
      return true;
    case Encoding::kMuLaw: {
      std::optional<std::vector<int16_t>> wide =
          DecodeAudio(found.data.first(count), 1, AudioCodec::kMuLaw);
      if (!wide || wide->size() != count) return false;
      for (size_t i = 0; i < count; ++i) PutBE16(out + 2 * i, static_cast<uint16_t>((*wide)[i]));
      return true;
    }
  }
  return false;
}

SoundImportResult BuildStored(const FoundSamples& found) {
  if (found.alert) return {found.alert, {}};
  const bool shape_readable = (found.channels == 1 || found.channels == 2) &&
                              (found.sample_size == 8 || found.sample_size == 16) &&
                              std::isfinite(found.hertz) && found.hertz >= 0.5 &&
                              found.hertz < 65535.5;
  if (!shape_readable) return {strid::kSoundUnreadable, {}};
  const int stored_size = found.encoding == Encoding::kMuLaw ? 16 : int(found.sample_size);
  const uint64_t frames = found.data.size() / (found.sample_size / 8 * found.channels);
  const uint64_t sample_bytes = frames * found.channels * (stored_size / 8);
  if (sample_bytes > sound::kMaxSoundBytes) return {strid::kSoundTooLarge, {}};
  const uint32_t hertz = static_cast<uint32_t>(std::lround(found.hertz));
  SoundImportResult result;
  result.snd = snd::BuiltSoundHeader(
      {static_cast<int>(found.channels), stored_size, snd::FixedRate(hertz)}, sample_bytes);
  const size_t header = result.snd.size();
  result.snd.resize(header + sample_bytes);
  if (!ConvertSamples(found, frames, result.snd.data() + header))
    return {strid::kSoundUnreadable, {}};
  return result;
}

}  // namespace

SoundImportResult ImportSoundFile(std::span<const uint8_t> file, SoundFileKind kind) {
  switch (kind) {
    case SoundFileKind::kWav:
      return BuildStored(FindWav(file));
    case SoundFileKind::kAiff:
      return BuildStored(FindAiff(file));
    case SoundFileKind::kAu:
      return BuildStored(FindAu(file));
  }
  return {strid::kSoundUnreadable, {}};
}

}  // namespace corvida
