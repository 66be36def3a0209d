// SilenceRun packing of 8-bit mono sounds: stretches of near-silence are stored as run
// lengths and only the other bytes are kept. The packed sound is a compressed header of
// format 'CVTU' followed by the unpacked length, a run table (silence length, literal
// length) and the literal bytes of all runs; expanding writes exact silence (0x80) for
// each silence. Playback does not read packed sounds (their compression ID is -1).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvida {

namespace silence_run {
inline constexpr size_t kUnpackedLength = 92;  // u32
inline constexpr size_t kRunCount = 96;        // u16
inline constexpr size_t kRuns = 98;            // 8 bytes each
inline constexpr size_t kRunSize = 8;
inline constexpr int16_t kCompressionId = -1;
inline constexpr uint16_t kPacketSize = 192;
// A silence starts where this many bytes in a row lie within kQuiet of 0x80.
inline constexpr int kQuietSpan = 10;
inline constexpr int kQuiet = 5;
}  // namespace silence_run

struct SilenceRunResult {
  int alert = 0;  // 0, 2390 (unreadable) or 2391 (too large)
  std::vector<uint8_t> snd;
};

// A packed sound made into a standard 8-bit sound (header at 28, samples at 50) of
// exactly the unpacked length the packed one declares.
SilenceRunResult ExpandSilenceRun(std::span<const uint8_t> packed);

// Packs a sound with a standard header; empty for any other sound, which is not packed.
std::optional<std::vector<uint8_t>> PackSilenceRun(std::span<const uint8_t> snd);

}  // namespace corvida
