// Stored sounds: 'Snd ' resources read into a sample description and decoded into PCM the
// audio output can play, sound files (WAV, AIFF/AIFC, AU) converted into the stored
// layout, and the SilenceRun packing of 8-bit sounds. Every offset and length is checked
// against the bytes given; anything that cannot be read is answered with its alert
// number and nothing is played.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/strings.h"
#include "platform/audio.h"
#include "stackfile/resources.h"

namespace corvida {

namespace sound {

inline constexpr FourCC kRaw = MakeFourCC("raw ");
inline constexpr FourCC kMace3 = MakeFourCC("MAC3");
inline constexpr FourCC kMace6 = MakeFourCC("MAC6");
inline constexpr FourCC kSilenceRun = MakeFourCC("CVTU");

// The largest sound we build or decode, in bytes of samples: beyond it 2391.
inline constexpr uint64_t kMaxSoundBytes = 256ull * 1024 * 1024;
}  // namespace sound

// What the media layer is given for one stored sound: the 36-byte description's fields
// plus where the samples lie in the resource.
struct SampleDescription {
  FourCC data_format = sound::kRaw;  // 'raw ', 'MAC3' or 'MAC6'
  uint16_t channels = 1;
  uint16_t sample_size = 8;    // bits
  uint32_t rate = 0;           // 16.16 fixed
  uint64_t header_offset = 0;  // of the sound header, into the resource
  uint8_t encode = 0;          // 0 standard, 0xFF extended, 0xFE compressed
  uint64_t data_offset = 0;    // into the resource
  uint64_t sample_count = 0;
  uint64_t byte_count = 0;
};

struct SndParseResult {
  int alert = 0;  // 0 when `description` holds a readable sound
  SampleDescription description;
};

// Reads a 'Snd ' resource (formats 1, 2 and 256; standard, extended and compressed
// headers). The samples it names lie wholly inside `resource` when alert is 0.
SndParseResult ParseSnd(std::span<const uint8_t> resource);

// Samples ready for the audio output, interleaved: raw sounds as stored (8-bit unsigned or
// 16-bit big-endian), MACE decoded to 16-bit in native (little-endian) order.
struct SoundPcm {
  AudioFormat format;
  std::vector<uint8_t> samples;
};

struct SoundDecodeResult {
  int alert = 0;
  SoundPcm pcm;
};

// Parses and decodes a 'Snd ' resource: raw samples as stored (8-bit unsigned or 16-bit
// big-endian), MACE 3:1 and 6:1 into 16-bit samples; the rate rounded to whole hertz.
SoundDecodeResult DecodeSnd(std::span<const uint8_t> resource);

enum class SoundFileKind { kWav, kAiff, kAu };

// The reader a file's name asks for: ".wav"; ".aif", ".aiff", ".aifc"; ".au", ".snd" (in
// any case). Empty for other names.
std::optional<SoundFileKind> SoundFileKindOf(std::string_view file_name);

struct SoundImportResult {
  int alert = 0;
  std::vector<uint8_t> snd;  // the stored 'Snd ' layout when alert is 0
};

// Converts a whole sound file into the stored layout a stack keeps.
SoundImportResult ImportSoundFile(std::span<const uint8_t> file, SoundFileKind kind);

}  // namespace corvida
