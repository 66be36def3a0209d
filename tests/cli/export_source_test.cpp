// corvida export --source and corvida build: a stack exported as a description and built
// again plays the same: the same structure (info --json), every card drawn the same, the
// same objects and action entries (the rebuilt stack's own description matches), and
// resources kept byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/test_support.h"

namespace corvida {
namespace {

using namespace testing;
namespace fs = std::filesystem;
using json = nlohmann::json;

// A field without a style block is rebuilt with one holding its plain style; that draws
// the same, so descriptions are compared without styles (the drawings compare them).
json WithoutStyles(json description) {
  for (json& card : description["cards"]) {
    for (json& o : card["objects"]) o.erase("styles");
  }
  return description;
}

void ExpectRoundTrip(TempDir& dir, const std::string& stack) {
  SCOPED_TRACE(stack);
  const std::string copy = dir.File("copy.stk");
  CommandResult exported =
      RunCorvida({"export", stack, "-o", dir.File("first"), "--source", "--only", "stack"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  CommandResult built = RunCorvida({"build", dir.File("first/source/stack.json"), "-o", copy});
  ASSERT_EQ(built.status, 0) << built.err;
  const CommandResult info = RunCorvida({"info", stack, "--json"});
  EXPECT_EQ(RunCorvida({"info", copy, "--json"}).out, info.out);
  const int cards = int(json::parse(info.out)["cards"].size());
  for (int n = 1; n <= cards; ++n) {
    for (const char* objects : {"--card", "--no-objects"}) {
      std::vector<std::string> args = {"render", "", "--card", std::to_string(n), "-o", ""};
      if (std::string(objects) == "--no-objects") args.push_back(objects);
      args[1] = stack, args[5] = dir.File("a.png");
      RunCorvida(args);
      args[1] = copy, args[5] = dir.File("b.png");
      RunCorvida(args);
      EXPECT_EQ(dir.Read("a.png"), dir.Read("b.png")) << "card " << n << " " << objects;
    }
  }
  ASSERT_EQ(
      RunCorvida({"export", copy, "-o", dir.File("second"), "--source", "--only", "stack"}).status,
      0);
  const json first = json::parse(dir.Read("first/source/stack.json"));
  EXPECT_EQ(WithoutStyles(json::parse(dir.Read("second/source/stack.json"))), WithoutStyles(first));
  for (const json& r : first["resources"]) {
    const std::string file = "source/" + r["file"].get<std::string>();
    EXPECT_EQ(dir.Read("second/" + file), dir.Read("first/" + file)) << file;
  }
}

TEST(ExportSource, TheDemoComesBackPlayingTheSame) {
  TempDir dir;
  ASSERT_EQ(RunCorvida({"build", SourcePath("examples/demo/demo.json"), "-o", dir.File("demo.stk")})
                .status,
            0);
  ExpectRoundTrip(dir, dir.File("demo.stk"));
}

TEST(ExportSource, CorpusStacksComeBackPlayingTheSame) {
  for (const char* name : {"full.stk", "mac.stk", "min.stk"}) {
    TempDir dir;
    fs::copy_file(SourcePath(std::string("fuzz/corpus/stack_open/") + name), dir.File(name));
    ExpectRoundTrip(dir, dir.File(name));
  }
}

TEST(ExportSource, EveryActionKindAndObjectSettingIsDescribed) {
  TempDir dir;
  dir.Write("d.json", R"({"stack": {"width": 300, "height": 200, "flags": 1, "autoSave": 1,
      "password": "pw", "cursorId": 3},
    "cards": [{"id": 4, "kind": "shared", "name": "One", "marked": true, "menuBar": 1,
      "actions": {"arrive": 20}, "objects": [
      {"type": "button", "id": 1, "rect": [1, 2, 50, 30], "name": "All", "style": 2,
       "textColor": 3, "buttonColor": 4, "cursorId": 5, "destination": -3, "transition": 6,
       "speed": 7, "timerCount": 8, "timerMode": 2, "answer": 1, "icon": 9,
       "actions": [
         {"kind": "script", "rect": [0, 0, 10, 10], "text": "print 1\n"},
         {"kind": "stackSound", "id": 7, "strk": true, "flags": 1, "param": 2},
         {"kind": "sound", "path": "Disk:a.wav", "flags": 3, "param": 4},
         {"kind": "movie", "path": "m.mov", "rect": [1, 1, 9, 9], "options": 33,
          "volume": 100, "movieId": 5},
         {"kind": "animation", "rect": [2, 2, 8, 8], "bytes": "01 02 03"},
         {"kind": "nba", "id": 30, "bytes": "0a0b"},
         {"kind": "stack", "path": "Disk:Other.stk"},
         {"kind": "launch", "document": "C:\\doc.txt", "program": "C:\\p.exe", "flags": 16384},
         {"kind": "videodisc", "rect": [0, 0, 4, 4], "a": 1, "b": 2, "c": 3},
         {"kind": 200, "bytes": "ff"}]},
      {"type": "field", "id": 2, "rect": [0, 40, 100, 80], "name": "F", "locked": true,
       "textColor": 2, "actionId": 20, "text": "a\nb",
       "styles": [{"start": 0, "size": 18, "style": 3, "color": [1, 2, 3]}]},
      {"type": "field", "id": 3, "rect": [0, 90, 100, 120], "path": "notes.txt"},
      {"type": "graphic", "id": 5, "rect": [0, 0, 10, 10], "frameWidth": 2,
       "frameColor": 3, "source": [0, 0, 5, 5], "path": "Disk:pic.bmp"}]}],
    "resources": [
      {"type": "Actn", "id": 20, "button": {"actions": [{"kind": "script", "text": "x"}]}},
      {"type": "WKSp", "id": 128, "text": "to hello\nend\n"},
      {"type": "Hlnk", "id": 9, "fieldId": 2, "text": "a", "button": {"destination": 4}},
      {"type": "NBAs", "id": 30, "displayName": "Tool", "module": "TOOL.DLL", "nbaId": 30},
      {"type": "FntL", "id": 128, "fonts": [{"name": "Arial", "number": 0}]},
      {"type": "Zzzz", "id": 2, "name": "odd", "bytes": "00 01 02"}]})");
  ASSERT_EQ(RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")}).status, 0);
  ExpectRoundTrip(dir, dir.File("s.stk"));
  const json button = json::parse(dir.Read("first/source/stack.json"))["cards"][0]["objects"][0];
  EXPECT_EQ(button["actions"].size(), 10u);
  EXPECT_EQ(button["destination"], -3);
  EXPECT_EQ(button["actions"][0]["text"], "print 1\n");
}

}  // namespace
}  // namespace corvida
