#include "player/sound_player.h"

#include <algorithm>

#include "platform/files.h"

namespace corvida {
namespace {

// The whole file, when it is a plain file of at most `limit` bytes.
enum class ReadOutcome { kRead, kUnreadable, kTooLarge };
ReadOutcome ReadWholeFile(const std::string& path, int64_t limit, std::vector<uint8_t>& out) {
  if (!IsRegularFile(path)) return ReadOutcome::kUnreadable;
  File file = File::Open(path, File::Mode::kRead);
  const int64_t size = file.is_open() ? file.Size() : -1;
  if (size < 0) return ReadOutcome::kUnreadable;
  if (size > limit) return ReadOutcome::kTooLarge;
  out.resize(static_cast<size_t>(size));
  return file.Read(out.data(), out.size()) == size ? ReadOutcome::kRead : ReadOutcome::kUnreadable;
}

}  // namespace

int SoundPlayer::PlayStored(std::span<const uint8_t> snd) {
  StopAll();
  SoundDecodeResult decoded = reader_->Decode(snd);
  return decoded.alert != 0 ? decoded.alert : Play(decoded.pcm);
}

int SoundPlayer::PlayFile(const std::string& host_path, SoundFileKind kind) {
  StopAll();
  std::vector<uint8_t> file;
  switch (ReadWholeFile(host_path, kFileLimit, file)) {
    case ReadOutcome::kUnreadable:
      return strid::kSoundUnreadable;
    case ReadOutcome::kTooLarge:
      return strid::kSoundTooLarge;
    case ReadOutcome::kRead:
      break;
  }
  SoundImportResult imported = reader_->Import(file, kind);
  if (imported.alert != 0) return imported.alert;
  file = {};  // the stored form is all that is needed now
  return PlayStored(imported.snd);
}

int SoundPlayer::Play(const SoundPcm& pcm) {
  StopAll();
  if (!pcm.format.Valid()) return strid::kSoundUnreadable;
  if (audio_ == nullptr || pcm.samples.empty()) return 0;
  const AudioStreamId stream = audio_->OpenStream(pcm.format);
  if (stream == 0) return 0;  // no device: the player goes on silently
  audio_->SetVolume(stream, kFullVolume);
  audio_->Queue(stream, pcm.samples.data(), pcm.samples.size());
  playing_.push_back(stream);
  return 0;
}

void SoundPlayer::StopAll() {
  for (AudioStreamId stream : playing_) {
    audio_->Stop(stream);
    audio_->CloseStream(stream);
  }
  playing_.clear();
}

void SoundPlayer::ReleaseFinished() {
  std::erase_if(playing_, [this](AudioStreamId stream) {
    if (audio_->Playing(stream)) return false;
    audio_->CloseStream(stream);
    return true;
  });
}

bool SoundPlayer::Playing() {
  ReleaseFinished();
  return !playing_.empty();
}

}  // namespace corvida
