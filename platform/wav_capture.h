// A capture written as a WAV file: 16-bit PCM, stereo, 44,100 Hz, streamed to the disk as
// it comes, the sizes in the header filled in by Finish. A WAV file holds at most 4 GiB
// of samples (about 6.7 hours); the capture stops there.
#pragma once

#include <cstdint>
#include <string>

#include "platform/audio_recorder.h"
#include "platform/files.h"

namespace corvida {

class WavCaptureFile : public AudioCaptureSink {
 public:
  static constexpr int kRate = RecordingAudioOutput::kRate;

  // Creates (or empties) the file and writes a header for no samples; false on failure.
  bool Open(const std::string& path);
  bool Write(const int16_t* samples, size_t frames) override;
  // Writes the sizes into the header and closes the file; false when a write failed.
  bool Finish();
  uint64_t frames() const { return bytes_ / kFrameBytes; }
  bool full() const { return full_; }

 private:
  static constexpr uint64_t kFrameBytes = 4;
  static constexpr uint64_t kHeaderBytes = 44;
  bool WriteHeader();

  File file_;
  uint64_t bytes_ = 0;  // sample bytes written
  bool failed_ = false;
  bool full_ = false;
};

}  // namespace corvida
