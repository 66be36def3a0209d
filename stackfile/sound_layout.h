// The stored 'Snd ' layout: named offsets of the resource's prefix (format word, data
// types, commands) and of the three sound headers, the 80-bit extended rate, and the
// writer of the layout the player builds from sound files. Every integer is big-endian.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace corvida::snd {

// The prefix before the sound header.
inline constexpr size_t kFormat = 0;          // 1, 2, or 256 (read as 1)
inline constexpr size_t kDataTypeCount = 2;   // format 1
inline constexpr size_t kDataTypes = 4;       // format 1: 6 bytes each
inline constexpr size_t kDataTypeSize = 6;    // u16 type, u32 initialization options
inline constexpr size_t kReferenceCount = 2;  // format 2
inline constexpr size_t kCommandCount2 = 4;   // format 2
inline constexpr size_t kCommands2 = 6;       // format 2
inline constexpr size_t kCommandSize = 8;     // u16 command, u16 param1, u32 param2

inline constexpr uint16_t kFormat1 = 1;
inline constexpr uint16_t kFormat2 = 2;
inline constexpr uint16_t kFormat256 = 256;
inline constexpr uint16_t kSampledSound = 5;
inline constexpr uint32_t kInitMono = 0x80;
inline constexpr uint32_t kInitStereo = 0xC0;
inline constexpr uint16_t kBufferCommand = 0x8051;  // play the header at param2
inline constexpr uint16_t kAmplitudeCommand = 43;

// Sound header fields, from the header's start.
namespace header {
inline constexpr size_t kLength = 4;    // standard: bytes of samples
inline constexpr size_t kChannels = 4;  // extended and compressed
inline constexpr size_t kRate = 8;      // 16.16 fixed
inline constexpr size_t kLoopStart = 12;
inline constexpr size_t kLoopEnd = 16;
inline constexpr size_t kEncode = 20;
inline constexpr size_t kBaseFrequency = 21;
inline constexpr size_t kStandardData = 22;
inline constexpr size_t kFrames = 22;  // extended and compressed
inline constexpr size_t kRate80 = 26;  // 80-bit extended
inline constexpr size_t kCompressionFormat = 40;
inline constexpr size_t kExtendedSampleSize = 48;
inline constexpr size_t kCompressionId = 56;  // i16
inline constexpr size_t kPacketSize = 58;
inline constexpr size_t kCompressedSampleSize = 62;
inline constexpr size_t kLongData = 64;  // extended and compressed

inline constexpr uint8_t kEncodeStandard = 0x00;
inline constexpr uint8_t kEncodeExtended = 0xFF;
inline constexpr uint8_t kEncodeCompressed = 0xFE;
inline constexpr uint8_t kBaseFrequencyMiddleC = 60;
}  // namespace header

// Compression IDs of the compressed header.
inline constexpr int16_t kCompressionNone = 0;
inline constexpr int16_t kCompressionMace3 = 3;
inline constexpr int16_t kCompressionMace6 = 4;
inline constexpr int16_t kCompressionByFormat = -1;  // the FourCC at 40 says

// The layout built from sound files: a format-1 prefix with one data type and two
// commands, the header at 28, samples at 50 (standard) or 92 (extended).
inline constexpr size_t kBuiltHeader = 28;
inline constexpr size_t kBuiltStandardData = kBuiltHeader + header::kStandardData;
inline constexpr size_t kBuiltLongData = kBuiltHeader + header::kLongData;

// Whole hertz as 16.16, and 16.16 rounded to whole hertz.
inline constexpr uint32_t FixedRate(uint32_t hertz) {
  return hertz << 16;
}
inline constexpr uint32_t WholeHertz(uint32_t fixed) {
  return static_cast<uint32_t>((uint64_t{fixed} + 0x8000) >> 16);
}
// Rates we play: from 1 Hz up to what rounds to 65,535 Hz.
inline constexpr bool PlayableRate(uint32_t fixed) {
  return fixed >= FixedRate(1) && WholeHertz(fixed) <= 65535;
}

// 80-bit extended numbers: read as a double (infinity or NaN stay such), written from a
// 16.16 rate.
double ReadExtended80(std::span<const uint8_t, 10> bytes);
void WriteExtended80(std::span<uint8_t, 10> bytes, uint32_t fixed_rate);

// What a built sound holds besides its samples.
struct BuiltShape {
  int channels = 1;     // 1 or 2
  int sample_size = 8;  // bits: 8 or 16
  uint32_t rate = 0;    // 16.16 fixed
};

// The 28-byte format-1 prefix of a built sound (`out` holds at least kBuiltHeader bytes).
void WriteBuiltPrefix(std::span<uint8_t> out, int channels);

// The prefix and header for `sample_bytes` bytes of samples, which the caller appends:
// a standard header for 8-bit mono, an extended header otherwise.
std::vector<uint8_t> BuiltSoundHeader(const BuiltShape& shape, uint64_t sample_bytes);

}  // namespace corvida::snd
