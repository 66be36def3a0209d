// corvida version: which corvida this is.
#include <cstdio>

#include "apps/command.h"

namespace corvida::app {
namespace {

class VersionCommand : public Command {
 public:
  void Declare(CLI::App& app) override { app.footer("Prints which corvida this is."); }
  int Run() override {
    std::printf("corvida 0.1\n");
    return kExitOk;
  }
};

CommandRegistration register_version(Entry<VersionCommand>("version", "print the version", 900));

}  // namespace
}  // namespace corvida::app
