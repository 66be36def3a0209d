// corvida build DESCRIPTION.json -o OUT.stk: writes a stack from a JSON description.
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "apps/build_session.h"
#include "apps/build_stack.h"
#include "apps/command.h"
#include "stackfile/stack_io.h"

namespace corvida::app {
namespace {

constexpr const char* kUsage =
    "Usage: corvida build DESCRIPTION.json -o OUT.stk\n"
    "Writes a stack from a JSON description of its settings, cards, buttons, fields,\n"
    "graphics and resources (see docs/build-format.md).\n";

int RunBuild(const std::vector<std::string>& args) {
  std::string input, output;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::printf("%s", kUsage);
      return kExitOk;
    }
    if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (input.empty() && !args[i].empty() && args[i][0] != '-') {
      input = args[i];
    } else {
      std::fprintf(stderr, "corvida build: unexpected argument '%s'\n%s", args[i].c_str(), kUsage);
      return kExitUsage;
    }
  }
  if (input.empty() || output.empty()) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  std::ifstream in(input);
  if (!in) {
    std::fprintf(stderr, "corvida build: cannot read '%s'\n", input.c_str());
    return kExitFailure;
  }
  nlohmann::json description = nlohmann::json::parse(in, nullptr, false);
  if (description.is_discarded() || !description.is_object()) {
    std::fprintf(stderr, "corvida build: '%s' is not a JSON object\n", input.c_str());
    return kExitFailure;
  }
  StackSession session;
  std::string error =
      BuildStack(description, stackio::FolderOf(input), session.stack(), session.handles());
  if (!error.empty()) {
    std::fprintf(stderr, "corvida build: %s\n", error.c_str());
    return kExitFailure;
  }
  if (session.stack().Save(output, /*purge_unused=*/false) != 0) return kExitFailure;
  return kExitOk;
}

CommandRegistration reg({"build", "write a stack from a JSON description", &RunBuild, 210});

}  // namespace
}  // namespace corvida::app
