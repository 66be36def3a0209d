// The desktop platform: real windows and input through SDL2, the real clock, SDL audio,
// alerts as system message boxes, and the shared picture decoder and font service.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/fonts.h"
#include "platform/movie_ffmpeg.h"
#include "platform/picture.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_alerts.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_launch.h"
#include "platform/sdl/sdl_window_system.h"

namespace corvida::sdl {

// Milliseconds of the machine's monotonic clock since the platform started.
class SteadyClock : public Clock {
 public:
  uint32_t Milliseconds() override {
    auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

class SdlPlatform : public Platform {
 public:
  explicit SdlPlatform(Folders folders) : folders_(std::move(folders)) {}
  // Opens the display; false (with SDL's reason) when there is none. Audio starts on
  // first use and may fail on its own: sounds are then silent.
  bool Start(std::string& error) { return windows_.Start(error); }

  Clock& clock() override { return clock_; }
  WindowSystem& windows() override { return windows_; }
  AlertPresenter& alerts() override { return alerts_; }
  AudioOutput* audio() override { return &audio_; }
  PictureDecoder* pictures() override { return &pictures_; }
  FontService* fonts() override;
  MovieService* movies() override {
    if (!movies_) movies_ = CreateFfmpegMovieService();
    return movies_.get();
  }
  Launcher* launcher() override { return &launcher_; }
  const Folders& folders() const override { return folders_; }
  bool headless() const override { return false; }

  SdlWindowSystem& sdl_windows() { return windows_; }
  SdlAlertPresenter& sdl_alerts() { return alerts_; }

 private:
  Folders folders_;
  SteadyClock clock_;
  SdlWindowSystem windows_{clock_};
  SdlAlertPresenter alerts_{windows_};
  SdlAudioOutput audio_;
  ImagePictureDecoder pictures_;
  DesktopLauncher launcher_;
  std::unique_ptr<FontService> fonts_;    // made on first use
  std::unique_ptr<MovieService> movies_;  // made on first use
};

}  // namespace corvida::sdl
