// Opening a document (or a program file) with the desktop's own opener, after the user
// has agreed. The opener is started directly with an argument list, never through a
// shell, so no character of a path is ever interpreted.
#pragma once

#include <string>

namespace corvida {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts the desktop's opener on a host path; false when it could not be started.
  virtual bool Open(const std::string& host_path) = 0;
};

}  // namespace corvida
