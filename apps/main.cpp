// corvida: plays Corvida stacks and works with them from the command line.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "apps/command.h"

namespace corvida::app {

namespace {
std::vector<CommandEntry>& Table() {
  static std::vector<CommandEntry> table;
  return table;
}

constexpr const char* kAbout =
    "corvida - plays Corvida stacks (.stk): cards, buttons, text fields, transitions, "
    "sounds and Tarrow scripts.";
}  // namespace

CommandRegistration::CommandRegistration(const CommandEntry& entry) {
  Table().push_back(entry);
}

const std::vector<CommandEntry>& Commands() {
  std::sort(Table().begin(), Table().end(),
            [](const CommandEntry& a, const CommandEntry& b) { return a.order < b.order; });
  return Table();
}

// Reads the command line into the chosen command and runs it; usage errors end with
// kExitUsage after the parser's message, help with kExitOk.
int RunCommandLine(int argc, char** argv) {
  CLI::App app{kAbout, "corvida"};
  app.require_subcommand(1, 1);
  app.footer("Run 'corvida COMMAND --help' for what a command takes.");
  app.get_formatter()->column_width(24);
  CLI::App* help = app.add_subcommand("help", "show this text")->group("");
  std::vector<std::pair<CLI::App*, std::unique_ptr<Command>>> commands;
  for (const CommandEntry& entry : Commands()) {
    std::unique_ptr<Command> command = entry.make();
    CLI::App* sub = app.add_subcommand(entry.name, entry.synopsis);
    command->Declare(*sub);
    commands.emplace_back(sub, std::move(command));
  }
  // The parser would only say that a command is missing: name the word it did not know.
  const auto named = [&](CLI::App* sub) { return argc > 1 && sub->check_name(argv[1]); };
  if (argc > 1 && argv[1][0] != '-' && app.get_subcommands(named).empty()) {
    std::fprintf(stderr, "corvida: unknown command '%s'\nRun with --help for the commands.\n",
                 argv[1]);
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitOk : kExitUsage;
  }
  if (help->parsed()) {
    std::fputs(app.get_formatter()->make_help(&app, "corvida", CLI::AppFormatMode::Normal).c_str(),
               stdout);
    return kExitOk;
  }
  for (auto& [sub, command] : commands) {
    if (sub->parsed()) return command->Run();
  }
  return kExitUsage;
}

}  // namespace corvida::app

int main(int argc, char** argv) {
  return corvida::app::RunCommandLine(argc, argv);
}
