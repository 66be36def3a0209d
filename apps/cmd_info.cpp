// corvida info STACK [--json]: what a stack holds, its header, cards with their objects and
// resources, as a readable summary or as JSON.
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "apps/build_session.h"
#include "apps/command.h"
#include "apps/stack_json.h"
#include "apps/terminal.h"
#include "stackfile/records.h"

namespace corvida::app {
namespace {

using json = nlohmann::ordered_json;

// A name or text from the stack as one line of the summary.
std::string Shown(const json& text) {
  return EscapeControls(text.get<std::string>());
}

void PrintSummary(const json& d, const std::string& path) {
  const json& h = d["header"];
  std::printf("%s: version %d, %d cards of %dx%d at %d bits, flags 0x%04x\n",
              EscapeControls(path).c_str(), h["version"].get<int>(), h["cardCount"].get<int>(),
              h["cardWidth"].get<int>(), h["cardHeight"].get<int>(), h["colorDepth"].get<int>(),
              h["flags"].get<int>());
  std::printf("stack actions: arrive %d, leave %d, click %d; cursor %d; %d resources, last id %d\n",
              h["arriveAction"].get<int>(), h["leaveAction"].get<int>(),
              h["clickAction"].get<int>(), h["cursorId"].get<int>(), h["resourceCount"].get<int>(),
              h["lastResourceId"].get<int>());
  int number = 0;
  for (const json& c : d["cards"]) {
    std::printf("card %d: id %d, kind %d, background %d, \"%s\"%s\n", ++number, c["id"].get<int>(),
                c["kind"].get<int>(), c["backgroundId"].get<int>(), Shown(c["name"]).c_str(),
                c["marked"].get<bool>() ? ", marked" : "");
    for (const json& o : c["objects"]) {
      std::string type = o["type"].is_string() ? o["type"].get<std::string>()
                                               : std::to_string(o["type"].get<int>());
      const json& r = o["rect"];
      std::printf("  %-7s %5d  [%d %d %d %d]  flags 0x%04x  \"%s\"\n", type.c_str(),
                  o["id"].get<int>(), r[0].get<int>(), r[1].get<int>(), r[2].get<int>(),
                  r[3].get<int>(), o["flags"].get<int>(), Shown(o["name"]).c_str());
    }
  }
  for (const json& r : d["resources"]) {
    std::printf("resource '%s' %5d  %8u bytes  \"%s\"\n", Shown(r["type"]).c_str(),
                r["id"].get<int>(), r["size"].get<unsigned>(), Shown(r["name"]).c_str());
  }
}

class InfoCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", path_, "the stack to describe")->required();
    app.add_flag("--json", as_json_, "print JSON instead of a summary");
    app.footer("Prints a stack's header, its cards with their objects, and its resources.");
  }

  int Run() override {
    if (!CheckReadable("info", path_)) return kExitFailure;
    StackSession session;
    int result = session.Open(path_);
    if (!session.stack().is_open()) return kExitFailure;
    json d = DescribeStack(session.stack(), session.handles());
    if (as_json_) {
      std::printf("%s\n", JsonText(d).c_str());
    } else {
      PrintSummary(d, path_);
    }
    if (result != 0) {
      std::fprintf(stderr, "corvida: the stack is damaged: %zu of %d cards could be read\n",
                   d["cards"].size(), session.stack().Header16(header::kCardCount));
      return kExitFailure;
    }
    return kExitOk;
  }

 private:
  std::string path_;
  bool as_json_ = false;
};

CommandRegistration register_info(Entry<InfoCommand>("info",
                                                     "print what a stack holds (--json for JSON)",
                                                     200));

}  // namespace
}  // namespace corvida::app
