// The desktop's opener: "xdg-open PATH", spawned with an argument list (no shell), its
// output discarded, not waited for.
#pragma once

#include "platform/launch.h"

namespace corvida::sdl {

class DesktopLauncher : public Launcher {
 public:
  bool Open(const std::string& host_path) override;
};

}  // namespace corvida::sdl
