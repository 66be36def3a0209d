// Packing scans the samples once for stretches of at least kQuietSpan quiet bytes; each
// such stretch ends the literal bytes of one run and starts the next run's silence.
// Expanding checks the whole run table against the data before writing anything and
// writes into a buffer of exactly the declared length.
#include "stackfile/silence_run.h"

#include <algorithm>

#include "stackfile/records_access.h"
#include "stackfile/sound.h"
#include "stackfile/sound_layout.h"

namespace corvida {
namespace {

using namespace silence_run;
using snd::kBuiltHeader;
namespace header = snd::header;

// The run count is 16 bits: past this many runs the rest of the sound stays literal.
constexpr size_t kMaxRuns = 0xFFFF;
constexpr uint8_t kSilence = 0x80;

struct Run {
  uint64_t silence = 0;
  uint64_t literal = 0;
};

bool Quiet(uint8_t sample) {
  return sample >= kSilence - kQuiet && sample <= kSilence + kQuiet;
}

std::vector<Run> FindRuns(std::span<const uint8_t> samples) {
  std::vector<Run> runs(1);
  size_t literal_start = 0;
  for (size_t i = 0; i < samples.size();) {
    if (!Quiet(samples[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < samples.size() && Quiet(samples[end])) ++end;
    const bool first = runs.size() == 1 && i == 0;
    if (end - i >= kQuietSpan && (first || runs.size() < kMaxRuns)) {
      runs.back().literal = i - literal_start;
      if (!first) runs.emplace_back();
      runs.back().silence = end - i;
      literal_start = end;
    }
    i = end;
  }
  runs.back().literal = samples.size() - literal_start;
  if (samples.empty()) runs.clear();
  return runs;
}

// The compressed header of a packed sound, after the built prefix.
void WritePackedHeader(uint8_t* h, uint32_t rate, uint64_t bytes_after_header) {
  PutBE32(h + header::kChannels, 1);
  PutBE32(h + header::kRate, rate);
  h[header::kEncode] = header::kEncodeCompressed;
  h[header::kBaseFrequency] = header::kBaseFrequencyMiddleC;
  PutBE32(h + header::kFrames, static_cast<uint32_t>(bytes_after_header));
  snd::WriteExtended80(std::span<uint8_t, 10>(h + header::kRate80, 10), rate);
  PutBE32(h + header::kCompressionFormat, sound::kSilenceRun);
  PutBE16(h + header::kCompressionId, static_cast<uint16_t>(kCompressionId));
  PutBE16(h + header::kPacketSize, kPacketSize);
  PutBE16(h + header::kCompressedSampleSize, 8);
}

}  // namespace

std::optional<std::vector<uint8_t>> PackSilenceRun(std::span<const uint8_t> snd) {
  const SndParseResult parsed = ParseSnd(snd);
  const SampleDescription& d = parsed.description;
  if (parsed.alert || d.encode != header::kEncodeStandard) return std::nullopt;
  const std::span<const uint8_t> samples = snd.subspan(d.data_offset, d.byte_count);
  const std::vector<Run> runs = FindRuns(samples);
  std::vector<uint8_t> out(kRuns + kRunSize * runs.size(), 0);
  snd::WriteBuiltPrefix(out, 1);
  PutBE32(out.data() + kUnpackedLength, static_cast<uint32_t>(samples.size()));
  PutBE16(out.data() + kRunCount, static_cast<uint16_t>(runs.size()));
  uint64_t at = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    PutBE32(out.data() + kRuns + kRunSize * i, static_cast<uint32_t>(runs[i].silence));
    PutBE32(out.data() + kRuns + kRunSize * i + 4, static_cast<uint32_t>(runs[i].literal));
    at += runs[i].silence;
    out.insert(out.end(), samples.begin() + at, samples.begin() + at + runs[i].literal);
    at += runs[i].literal;
  }
  WritePackedHeader(out.data() + kBuiltHeader, d.rate, out.size() - snd::kBuiltLongData);
  return out;
}

SilenceRunResult ExpandSilenceRun(std::span<const uint8_t> packed) {
  const uint8_t* p = packed.data();
  if (packed.size() < kRuns || p[kBuiltHeader + header::kEncode] != header::kEncodeCompressed ||
      GetBE32(p + kBuiltHeader + header::kCompressionFormat) != sound::kSilenceRun)
    return {strid::kSoundUnreadable, {}};
  const uint64_t unpacked = GetBE32(p + kUnpackedLength);
  const uint64_t run_count = GetBE16(p + kRunCount);
  const uint64_t literals_at = kRuns + kRunSize * run_count;
  if (literals_at > packed.size()) return {strid::kSoundUnreadable, {}};
  uint64_t literal_total = 0;
  for (uint64_t i = 0; i < run_count; ++i) literal_total += GetBE32(p + kRuns + kRunSize * i + 4);
  if (literal_total > packed.size() - literals_at) return {strid::kSoundUnreadable, {}};
  // The expanded sound must be one we can play: its rate as for any stored sound.
  const uint32_t rate = GetBE32(p + kBuiltHeader + header::kRate);
  if (!snd::PlayableRate(rate)) return {strid::kSoundUnreadable, {}};
  if (unpacked > sound::kMaxSoundBytes) return {strid::kSoundTooLarge, {}};

  SilenceRunResult result;
  result.snd = snd::BuiltSoundHeader({1, 8, rate}, unpacked);
  const size_t data = result.snd.size();
  result.snd.resize(data + unpacked, kSilence);
  // Runs write forward from the start; whatever would pass the declared length is cut.
  uint64_t at = 0;
  const uint8_t* literal = p + literals_at;
  for (uint64_t i = 0; i < run_count && at < unpacked; ++i) {
    at = std::min(unpacked, at + GetBE32(p + kRuns + kRunSize * i));
    const uint64_t length = GetBE32(p + kRuns + kRunSize * i + 4);
    const uint64_t kept = std::min(length, unpacked - at);
    std::copy_n(literal, kept, result.snd.data() + data + at);
    literal += length;
    at += kept;
  }
  return result;
}

}  // namespace corvida
