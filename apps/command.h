// The corvida command table. Each subcommand lives in its own cmd_*.cpp and registers
// itself with a static CommandRegistration, so main.cpp never changes for a new command.
// One parser (CLI11) reads every command line, so --help, unknown options and missing
// arguments behave alike everywhere.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <vector>

namespace corvida::app {

// Exit statuses shared by all commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // e.g. a refused stack
constexpr int kExitUsage = 2;    // the command line itself is wrong

// One subcommand: declares its options and arguments on its own parser, and runs once
// they were read.
class Command {
 public:
  virtual ~Command() = default;
  virtual void Declare(CLI::App& app) = 0;
  virtual int Run() = 0;
};

struct CommandEntry {
  const char* name;
  const char* synopsis;  // one line for `corvida --help`
  int order;             // position in the help listing
  std::unique_ptr<Command> (*make)();
};

class CommandRegistration {
 public:
  explicit CommandRegistration(const CommandEntry& entry);
};

// Registers command class T under the entry's name.
template <typename T>
CommandEntry Entry(const char* name, const char* synopsis, int order) {
  return {name, synopsis, order,
          []() -> std::unique_ptr<Command> { return std::make_unique<T>(); }};
}

const std::vector<CommandEntry>& Commands();

}  // namespace corvida::app
