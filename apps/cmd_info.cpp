// corvida info STACK [--json]: what a stack holds, its header, cards with their objects and
// resources, as a readable summary or as JSON.
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "apps/build_session.h"
#include "apps/command.h"
#include "apps/terminal.h"
#include "engine/fieldtext.h"
#include "stackfile/records.h"

namespace corvida::app {
namespace {

using json = nlohmann::ordered_json;

const char* TypeName(uint16_t type) {
  switch (type) {
    case object::kGraphic:
      return "graphic";
    case object::kButton:
      return "button";
    case object::kTextField:
      return "field";
    default:
      return nullptr;
  }
}

std::string ObjectName(Bytes obj, uint16_t type) {
  switch (type) {
    case object::kGraphic:
      return ShownText(CountedText(obj, graphic::kName, graphic::kNameField));
    case object::kButton:
      return ShownText(CountedText(obj, button::kName, button::kNameField));
    case object::kTextField:
      return ShownText(CountedText(obj, field::kName, field::kNameField));
    default:
      return "";
  }
}

json Describe(Stack& stack, Handles& handles) {
  const std::vector<FontEntry> fonts = StackFonts(handles, stack);
  json out;
  json& h = out["header"];
  h["version"] = stack.Header16(header::kVersion);
  h["cardCount"] = stack.Header16(header::kCardCount);
  h["colorDepth"] = stack.Header16(header::kColorDepth);
  h["cardWidth"] = static_cast<int16_t>(stack.Header16(header::kCardWidth));
  h["cardHeight"] = static_cast<int16_t>(stack.Header16(header::kCardHeight));
  h["flags"] = stack.Header16(header::kFlags);
  h["resourceCount"] = stack.Header32(header::kResourceCount);
  h["lastResourceId"] = stack.Header16(header::kLastResourceId);
  h["arriveAction"] = stack.Header16(header::kArriveAction);
  h["leaveAction"] = stack.Header16(header::kLeaveAction);
  h["clickAction"] = stack.Header16(header::kClickAction);
  h["cursorId"] = stack.Header16(header::kCursorId);

  json cards = json::array();
  for (int n = 1; n <= stack.CardCount(); ++n) {
    LockedHandle bytes(handles, stack.CardAt(n));
    Bytes c{bytes.data(), bytes.size()};
    json card;
    card["id"] = Field16(c, card::kId);
    card["kind"] = Field16(c, card::kKind);
    card["backgroundId"] = Field16(c, card::kBackgroundId);
    card["name"] = ShownText(CountedText(c, card::kName, card::kNameField));
    card["marked"] = (Field16(c, card::kFlags) & card::kFlagMarked) != 0;
    card["actions"] = {{"arrive", Field16(c, card::kArriveAction)},
                       {"leave", Field16(c, card::kLeaveAction)},
                       {"click", Field16(c, card::kClickAction)}};
    card["cursorId"] = Field16(c, card::kCursorId);
    json objects = json::array();
    for (size_t at = ObjectListStart(c), length; (length = ObjectLengthAt(c, at)); at += length) {
      Bytes obj = c.Sub(at, length);
      uint16_t type = Field16(obj, object::kType);
      json o;
      if (const char* name = TypeName(type)) {
        o["type"] = name;
      } else {
        o["type"] = type;
      }
      o["id"] = Field16(obj, object::kId);
      o["rect"] = {GetI16(obj.data + 4), GetI16(obj.data + 6), GetI16(obj.data + 8),
                   GetI16(obj.data + 10)};
      o["flags"] = Field16(obj, object::kFlags);
      o["name"] = ObjectName(obj, type);
      if (type == object::kTextField &&
          !(Field16(obj, object::kFlags) & object::kFlagExternalFile)) {
        std::string text = ReadFieldContent(obj, fonts).text;
        std::replace(text.begin(), text.end(), '\r', '\n');  // paragraphs as JSON lines
        o["text"] = ShownText(text);
      }
      objects.push_back(o);
    }
    card["objects"] = objects;
    cards.push_back(card);
  }
  out["cards"] = cards;

  json resources = json::array();
  if (const ResourceFile* area = stack.resources().current()) {
    for (const ResourceEntry& e : area->entries) {
      if (e.deleted()) continue;
      resources.push_back({{"type", ShownText(FourCCText(e.type))},
                           {"id", e.id},
                           {"name", ShownText(e.Name())},
                           {"size", e.length}});
    }
  }
  out["resources"] = resources;
  return out;
}

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
    json d = Describe(session.stack(), session.handles());
    if (as_json_) {
      std::printf("%s\n", d.dump(2).c_str());
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

CommandRegistration reg(Entry<InfoCommand>("info", "print what a stack holds (--json for JSON)",
                                           200));

}  // namespace
}  // namespace corvida::app
