// Sounds come from stacks and sound files: hostile 'Snd ' resources, WAV, AIFF/AIFC and
// AU files and SilenceRun data must be read or refused without crashing or allocating
// without bound. Whatever is read must hold together: an imported file is a readable
// sound whose samples survive a trip through a WAV file, and packing is stable.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/audio_recorder.h"
#include "stackfile/records_access.h"
#include "stackfile/silence_run.h"
#include "stackfile/sound.h"
#include "stackfile/wav_writer.h"

namespace {

using namespace corvida;

// Expanding may rightly fill up to 256 MiB of silence; the fuzzer looks at small sounds.
constexpr uint32_t kLargestExpansion = 1 << 20;
// Sounds are played when they last at most this long (a 1 Hz sound of a few hundred bytes
// would take minutes of resampling).
constexpr uint64_t kLongestPlayedSeconds = 5;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// What was read plays on the headless output for exactly its length.
void Play(const SoundPcm& pcm) {
  const AudioFormat& f = pcm.format;
  Check(f.Valid());
  const uint64_t frames = pcm.samples.size() / size_t(f.BytesPerFrame());
  if (frames > kLongestPlayedSeconds * uint64_t(f.rate)) return;
  VirtualClock clock;
  RecordingAudioOutput audio(clock);
  const AudioStreamId stream = audio.OpenStream(f);
  Check(stream != 0 && audio.Queue(stream, pcm.samples.data(), pcm.samples.size()));
  const auto ms = uint32_t(frames * 1000 / uint64_t(f.rate));
  clock.Advance(ms > 2 ? ms - 2 : 0);
  Check(frames * 1000 < uint64_t(f.rate) * 3 || audio.Playing(stream));
  clock.Advance(4);
  Check(!audio.Playing(stream));
  audio.CloseStream(stream);
}

void ReadStored(std::span<const uint8_t> snd) {
  SndParseResult parsed = ParseSnd(snd);
  SoundDecodeResult decoded = DecodeSnd(snd);
  Check(parsed.alert == 0 || decoded.alert == parsed.alert);
  if (parsed.alert) return;
  if (decoded.alert == 0) Play(decoded.pcm);
  const SampleDescription& d = parsed.description;
  Check(d.data_offset <= snd.size() && d.byte_count <= snd.size() - d.data_offset);
  if (decoded.alert || d.data_format != sound::kRaw) return;
  Check(decoded.pcm.samples.size() == d.byte_count);
  // The samples come back the same from a WAV file of them.
  SoundImportResult again =
      ImportSoundFile(WavFileBytes(decoded.pcm.format, decoded.pcm.samples), SoundFileKind::kWav);
  Check(again.alert == 0);
  SoundDecodeResult redecoded = DecodeSnd(again.snd);
  Check(redecoded.alert == 0);
  const size_t whole =
      d.byte_count / decoded.pcm.format.BytesPerFrame() * decoded.pcm.format.BytesPerFrame();
  Check(redecoded.pcm.samples.size() == whole);
  Check(std::equal(redecoded.pcm.samples.begin(), redecoded.pcm.samples.end(),
                   decoded.pcm.samples.begin()));
}

void Import(std::span<const uint8_t> file, SoundFileKind kind) {
  SoundImportResult imported = ImportSoundFile(file, kind);
  if (imported.alert) return Check(imported.snd.empty());
  Check(ParseSnd(imported.snd).alert == 0);
  ReadStored(imported.snd);
}

void Expand(std::span<const uint8_t> packed) {
  if (packed.size() >= 96 &&
      GetBE32(packed.data() + silence_run::kUnpackedLength) > kLargestExpansion)
    return;
  SilenceRunResult expanded = ExpandSilenceRun(packed);
  if (expanded.alert) return;
  Check(expanded.snd.size() == 50 + GetBE32(packed.data() + silence_run::kUnpackedLength));
  Check(ParseSnd(expanded.snd).alert == 0);
}

// Packing a sound, expanding it, and packing that again gives the same sound.
void PackStable(std::span<const uint8_t> samples) {
  std::vector<uint8_t> snd =
      ImportSoundFile(WavFileBytes({11025, 1, SampleFormat::kU8}, samples), SoundFileKind::kWav)
          .snd;
  if (snd.empty()) return;
  std::optional<std::vector<uint8_t>> packed = PackSilenceRun(snd);
  Check(packed.has_value());
  SilenceRunResult once = ExpandSilenceRun(*packed);
  Check(once.alert == 0 && once.snd.size() == snd.size());
  SilenceRunResult twice = ExpandSilenceRun(*PackSilenceRun(once.snd));
  Check(twice.alert == 0 && twice.snd == once.snd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::span<const uint8_t> body(data + 1, size - 1);
  switch (data[0] % 6) {
    case 0:
      ReadStored(body);
      break;
    case 1:
      Import(body, SoundFileKind::kWav);
      break;
    case 2:
      Import(body, SoundFileKind::kAiff);
      break;
    case 3:
      Import(body, SoundFileKind::kAu);
      break;
    case 4:
      Expand(body);
      break;
    default:
      PackStable(body);
      break;
  }
  return 0;
}
