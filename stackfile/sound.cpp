// Placeholder readers: every sound is unreadable until the readers land.
#include "stackfile/sound.h"

namespace corvida {

SndParseResult ParseSnd(std::span<const uint8_t>) {
  return {sound::kAlertUnreadable, {}};
}

SoundDecodeResult DecodeSnd(std::span<const uint8_t>) {
  return {sound::kAlertUnreadable, {}};
}

SoundImportResult ImportSoundFile(std::span<const uint8_t>, SoundFileKind) {
  return {sound::kAlertUnreadable, {}};
}

}  // namespace corvida
