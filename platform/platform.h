// The platform a player runs on: one object per backend (headless, sdl, later web) that
// hands out the services. Everything above platform/ reaches the machine only through
// these services, plus the portable file, profile and graphics code in platform/.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/window.h"

namespace corvida {

class AudioOutput;     // platform/audio.h
class MovieService;    // platform/movie.h
class PictureDecoder;  // platform/picture.h
class FontService;     // platform/fonts.h
class Launcher;        // platform/launch.h

// Folders the system keeps its files in. Tests point them at temporary folders.
struct Folders {
  std::string config;   // per-user configuration: "CVPREFS.INI" lives here
  std::string data;     // per-user data: media folders first, script sandboxes, cache
  std::string program;  // the program's own folder: media folders second
  std::string temp;     // temporary files
};

class Platform {
 public:
  virtual ~Platform() = default;
  virtual Clock& clock() = 0;
  virtual WindowSystem& windows() = 0;
  virtual AlertPresenter& alerts() = 0;
  // Optional services: null when the backend has none (the player then plays silently,
  // shows no movies, or draws no external pictures).
  virtual AudioOutput* audio() { return nullptr; }
  virtual MovieService* movies() { return nullptr; }
  virtual PictureDecoder* pictures() { return nullptr; }
  virtual FontService* fonts() { return nullptr; }
  // The desktop's opener for documents; null where nothing may be launched (the headless
  // backend only records launches).
  virtual Launcher* launcher() { return nullptr; }
  virtual const Folders& folders() const = 0;
  // True for backends without a person in front of them (dialogs then cancel unless a
  // script answers them, launches are only recorded).
  virtual bool headless() const = 0;
};

}  // namespace corvida
