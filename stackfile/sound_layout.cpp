// The 80-bit rate and the layout the player writes for sound files.
#include "stackfile/sound_layout.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "stackfile/records_access.h"

namespace corvida::snd {
namespace {

constexpr int kExtendedBias = 16383;
constexpr int kMantissaBits = 63;  // below the explicit integer bit
constexpr uint16_t kExponentAllOnes = 0x7FFF;

}  // namespace

// One sampled-sound data type, a buffer command that plays the header at 28 and an
// amplitude command.
void WriteBuiltPrefix(std::span<uint8_t> out, int channels) {
  if (out.size() < kBuiltHeader) return;
  uint8_t* p = out.data();
  PutBE16(p + kFormat, kFormat1);
  PutBE16(p + kDataTypeCount, 1);
  PutBE16(p + kDataTypes, kSampledSound);
  PutBE32(p + kDataTypes + 2, channels == 2 ? kInitStereo : kInitMono);
  uint8_t* commands = p + kDataTypes + kDataTypeSize;
  PutBE16(commands, 2);
  PutBE16(commands + 2, kBufferCommand);
  PutBE32(commands + 6, kBuiltHeader);
  PutBE16(commands + 2 + kCommandSize, kAmplitudeCommand);
  PutBE16(commands + 4 + kCommandSize, 255);
}

double ReadExtended80(std::span<const uint8_t, 10> b) {
  const bool negative = b[0] & 0x80;
  const int exponent = (b[0] & 0x7F) << 8 | b[1];
  uint64_t mantissa = 0;
  for (size_t i = 2; i < 10; ++i) mantissa = mantissa << 8 | b[i];
  double value;
  if (exponent == kExponentAllOnes) {
    // Only the fraction below the integer bit tells infinity from NaN.
    value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
  } else {
    value = std::ldexp(static_cast<double>(mantissa), exponent - kExtendedBias - kMantissaBits);
  }
  return negative ? -value : value;
}

void WriteExtended80(std::span<uint8_t, 10> b, uint32_t fixed_rate) {
  std::fill(b.begin(), b.end(), 0);
  if (fixed_rate == 0) return;
  const int shift = std::countl_zero(uint64_t{fixed_rate});
  const uint64_t mantissa = uint64_t{fixed_rate} << shift;
  PutBE16(b.data(), static_cast<uint16_t>(kExtendedBias + kMantissaBits - 16 - shift));
  PutBE32(b.data() + 2, static_cast<uint32_t>(mantissa >> 32));
  PutBE32(b.data() + 6, static_cast<uint32_t>(mantissa));
}

std::vector<uint8_t> BuiltSoundHeader(const BuiltShape& shape, uint64_t sample_bytes) {
  const bool standard = shape.channels == 1 && shape.sample_size == 8;
  std::vector<uint8_t> out(standard ? kBuiltStandardData : kBuiltLongData, 0);
  WriteBuiltPrefix(out, shape.channels);
  uint8_t* h = out.data() + kBuiltHeader;
  PutBE32(h + header::kRate, shape.rate);
  h[header::kBaseFrequency] = header::kBaseFrequencyMiddleC;
  if (standard) {
    PutBE32(h + header::kLength, static_cast<uint32_t>(sample_bytes));
    h[header::kEncode] = header::kEncodeStandard;
    return out;
  }
  const uint64_t frame_bytes = uint64_t(shape.sample_size / 8) * shape.channels;
  PutBE32(h + header::kChannels, static_cast<uint32_t>(shape.channels));
  h[header::kEncode] = header::kEncodeExtended;
  PutBE32(h + header::kFrames, static_cast<uint32_t>(sample_bytes / frame_bytes));
  WriteExtended80(std::span<uint8_t, 10>(h + header::kRate80, 10), shape.rate);
  PutBE16(h + header::kExtendedSampleSize, static_cast<uint16_t>(shape.sample_size));
  return out;
}

}  // namespace corvida::snd
