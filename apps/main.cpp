// corvida: plays Corvida stacks and works with them from the command line.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "apps/command.h"

namespace corvida::app {

namespace {
std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}
}  // namespace

CommandRegistration::CommandRegistration(const Command& command) {
  Table().push_back(command);
}

const std::vector<Command>& Commands() {
  std::sort(Table().begin(), Table().end(),
            [](const Command& a, const Command& b) { return a.order < b.order; });
  return Table();
}

static void PrintHelp(FILE* out) {
  std::fprintf(out,
               "corvida - plays Corvida stacks (.stk): cards, buttons, text fields, "
               "transitions, sounds and Tarrow scripts.\n\n"
               "Usage: corvida COMMAND [ARGS...]\n       corvida COMMAND --help\n\n"
               "Commands:\n");
  for (const Command& c : Commands()) std::fprintf(out, "  %-8s %s\n", c.name, c.synopsis);
}

}  // namespace corvida::app

int main(int argc, char** argv) {
  using namespace corvida::app;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    PrintHelp(stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const Command& c : Commands()) {
    if (std::strcmp(c.name, argv[1]) == 0) return c.run(args);
  }
  std::fprintf(stderr, "corvida: unknown command '%s'\n\n", argv[1]);
  PrintHelp(stderr);
  return kExitUsage;
}
