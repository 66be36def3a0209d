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

class BuildCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("DESCRIPTION", input_, "the JSON description")
        ->required()
        ->type_name("FILE.json");
    app.add_option("-o", output_, "the stack to write")->required()->type_name("OUT.stk");
    app.footer(
        "Writes a stack from a JSON description of its settings, cards, buttons, fields,\n"
        "graphics and resources (see docs/build-format.md).");
  }

  int Run() override {
    std::ifstream in(input_);
    if (!in) {
      std::fprintf(stderr, "corvida build: cannot read '%s'\n", input_.c_str());
      return kExitFailure;
    }
    nlohmann::json description = nlohmann::json::parse(in, nullptr, false);
    if (description.is_discarded() || !description.is_object()) {
      std::fprintf(stderr, "corvida build: '%s' is not a JSON object\n", input_.c_str());
      return kExitFailure;
    }
    StackSession session;
    std::string error =
        BuildStack(description, stackio::FolderOf(input_), session.stack(), session.handles());
    if (!error.empty()) {
      std::fprintf(stderr, "corvida build: %s\n", error.c_str());
      return kExitFailure;
    }
    if (!session.Save(output_, /*purge_unused=*/false)) return kExitFailure;
    return kExitOk;
  }

 private:
  std::string input_, output_;
};

CommandRegistration register_build(Entry<BuildCommand>("build",
                                                       "write a stack from a JSON description",
                                                       210));

}  // namespace
}  // namespace corvida::app
