#include <cstdio>

#include "apps/command.h"

namespace corvida::app {
namespace {

int RunVersion(const std::vector<std::string>&) {
  std::printf("corvida 0.1\n");
  return kExitOk;
}

CommandRegistration reg({"version", "print the version", &RunVersion, 900});

}  // namespace
}  // namespace corvida::app
