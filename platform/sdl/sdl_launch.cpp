#include "platform/sdl/sdl_launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace corvida::sdl {

bool DesktopLauncher::Open(const std::string& host_path) {
  if (host_path.empty() || host_path.find('\0') != std::string::npos) return false;
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  // "--" would be taken as a file name by the opener; a path never starts with '-' here
  // because host paths are absolute.
  std::vector<char*> argv{program.data(), const_cast<char*>(host_path.c_str()), nullptr};
  pid_t pid = 0;
  int status = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (status != 0) return false;
  // The opener hands the file on and exits; collect it so no zombie stays behind.
  int code = 0;
  if (waitpid(pid, &code, 0) != pid) return true;
  return WIFEXITED(code) && WEXITSTATUS(code) == 0;
}

}  // namespace corvida::sdl
