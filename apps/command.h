// The corvida command table. Each subcommand lives in its own cmd_*.cpp and registers
// itself with a static CommandRegistration, so main.cpp never changes for a new command.
#pragma once

#include <string>
#include <vector>

namespace corvida::app {

// Exit statuses shared by all commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // e.g. a refused stack
constexpr int kExitUsage = 2;

struct Command {
  const char* name;
  const char* synopsis;                              // one line for `corvida --help`
  int (*run)(const std::vector<std::string>& args);  // args after the command name
  int order;                                         // position in the help listing
};

class CommandRegistration {
 public:
  explicit CommandRegistration(const Command& command);
};

const std::vector<Command>& Commands();

}  // namespace corvida::app
