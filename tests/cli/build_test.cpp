// corvida build and corvida info together: a description becomes a stack whose info gives
// the description back, and which a load and save leave byte for byte as it was.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "base/handles.h"
#include "stackfile/actions.h"
#include "stackfile/stack.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using nlohmann::json;
using testing::RunCorvida;
using testing::TempDir;

const char* kDescription = R"({
  "stack": {"width": 400, "height": 300, "depth": 16, "flags": 1, "arriveAction": 20,
            "leaveAction": 21, "clickAction": 22, "cursorId": 3, "password": "secret"},
  "cards": [
    {"id": 1, "kind": "background", "name": "Backdrop", "cursorId": 4,
     "objects": [{"type": "graphic", "id": 2, "rect": [0, 0, 50, 40], "name": "Cat",
                  "path": "Disk:Art:cat.bmp", "actionId": 22}]},
    {"id": 5, "kind": "shared", "backgroundId": 1, "name": "Café ✓", "marked": true,
     "actions": {"arrive": 20, "leave": 21, "click": 22},
     "objects": [
       {"type": "button", "id": 3, "rect": [10, 20, 110, 60], "name": "Nächste", "destination": -1,
        "icon": 8, "actions": [{"kind": "script", "rect": [0, 0, 100, 100], "text": "print 1\n"},
                               {"kind": "stackSound", "id": 7},
                               {"kind": "movie", "path": "C:\\films\\a.mov", "rect": [1, 2, 3, 4]}]},
       {"type": "field", "id": 4, "rect": [0, 100, 200, 200], "name": "Notes", "locked": true,
        "flags": 32},
       {"type": "field", "id": 6, "rect": [0, 0, 10, 10], "path": "Disk:notes.txt"}
     ]}
  ],
  "resources": [
    {"type": "Actn", "id": 20, "button": {"actions": [{"kind": "script", "text": "print 2"}]}},
    {"type": "Snd ", "id": 7, "name": "boing", "bytes": "00 01 02"},
    {"type": "Icon", "id": 8, "file": "icon.bin"},
    {"type": "WKSp", "id": 128, "text": "to hello\nend\n"},
    {"type": "Hlnk", "id": 9, "fieldId": 4, "text": "link", "extra": "ABCD",
     "button": {"destination": 1}},
    {"type": "NBAs", "id": 30, "displayName": "Tool", "module": "TOOL.DLL", "nbaId": 30},
    {"type": "Zzz1", "id": 31, "text": "kept as it is"}
  ]
})";

class Build : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("d.json", kDescription);
    dir.Write("icon.bin", std::string("\0\0\1\0", 4));
    auto r = RunCorvida({"build", dir.File("d.json"), "-o", dir.File("out.stk")});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  TempDir dir;
};

TEST_F(Build, InfoGivesTheDescriptionBack) {
  auto r = RunCorvida({"info", dir.File("out.stk"), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  json info = json::parse(r.out);
  const json& h = info["header"];
  EXPECT_EQ(h["version"], 5);
  EXPECT_EQ(h["cardCount"], 2);
  EXPECT_EQ(h["colorDepth"], 16);
  EXPECT_EQ(h["cardWidth"], 400);
  EXPECT_EQ(h["cardHeight"], 300);
  EXPECT_EQ(h["flags"], 1);
  EXPECT_EQ(h["resourceCount"], 7);
  EXPECT_EQ(h["lastResourceId"], 128);
  EXPECT_EQ(h["arriveAction"], 20);
  EXPECT_EQ(h["leaveAction"], 21);
  EXPECT_EQ(h["clickAction"], 22);
  EXPECT_EQ(h["cursorId"], 3);

  const json& cards = info["cards"];
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0]["kind"], 1);
  EXPECT_EQ(cards[0]["cursorId"], 4);
  EXPECT_EQ(cards[0]["objects"][0]["type"], "graphic");
  EXPECT_EQ(cards[0]["objects"][0]["flags"], 0x40);
  const json& c = cards[1];
  EXPECT_EQ(c["id"], 5);
  EXPECT_EQ(c["kind"], 3);
  EXPECT_EQ(c["backgroundId"], 1);
  EXPECT_EQ(c["name"], "Café ?");  // the Windows character set has no check mark
  EXPECT_EQ(c["marked"], true);
  EXPECT_EQ(c["actions"], (json{{"arrive", 20}, {"leave", 21}, {"click", 22}}));
  ASSERT_EQ(c["objects"].size(), 3u);
  EXPECT_EQ(c["objects"][0], (json{{"type", "button"},
                                   {"id", 3},
                                   {"rect", {10, 20, 110, 60}},
                                   {"flags", 0},
                                   {"name", "Nächste"}}));
  EXPECT_EQ(c["objects"][1]["flags"], 32);
  EXPECT_EQ(c["objects"][2]["flags"], 0x40);

  const json& res = info["resources"];
  ASSERT_EQ(res.size(), 7u);
  EXPECT_EQ(res[1], (json{{"type", "Snd "}, {"id", 7}, {"name", "boing"}, {"size", 3}}));
  EXPECT_EQ(res[2]["size"], 4);
  EXPECT_EQ(res[6]["type"], "Zzz1");
}

TEST_F(Build, LoadAndSaveGiveTheSameBytes) {
  RecordingAlertResponder presenter;
  Handles handles;
  Stack stack(handles);
  ASSERT_EQ(stack.Open(dir.File("out.stk")).code, 0);
  // What the description said is what the records hold.
  LockedHandle card(handles, stack.CardById(5));
  Bytes c{card.data(), card.size()};
  size_t b = ObjectListStart(c);
  Bytes button = c.Sub(b, ObjectLengthAt(c, b));
  EXPECT_EQ(Field16(button, button::kActionFlags),
            action::kGo | action::kScript | action::kStackSound | action::kMovie);
  EXPECT_EQ(static_cast<int16_t>(Field16(button, button::kDestination)), -1);
  size_t movie = FindEntry(button, action::kEntryMovie);
  ASSERT_NE(movie, 0u);
  EXPECT_EQ(TerminatedText(button, movie + 32, 64), "C:\\films\\a.mov");
  EXPECT_EQ(stack.workspace(), "to hello\rend\r");
  // An extension reference holds its names zero-terminated in their fields.
  LockedHandle reference(handles, stack.resources().Get(restype::kNBAs, 30));
  Bytes n{reference.data(), reference.size()};
  EXPECT_EQ(TerminatedText(n, nba::kDisplayName, nba::kDisplayNameField), "Tool");
  EXPECT_EQ(TerminatedText(n, nba::kModuleName, nba::kModuleNameField), "TOOL.DLL");

  ASSERT_TRUE(stack.Save(dir.File("again.stk")).saved());
  EXPECT_EQ(dir.Read("again.stk"), dir.Read("out.stk"));
}

TEST(BuildErrors, BadDescriptionsAndUsage) {
  TempDir dir;
  dir.Write("bad.json", R"({"cards": [{"kind": "nonsense"}]})");
  auto r = RunCorvida({"build", dir.File("bad.json"), "-o", dir.File("x.stk")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nonsense"), std::string::npos);
  dir.Write("broken.json", "{");
  EXPECT_EQ(RunCorvida({"build", dir.File("broken.json"), "-o", dir.File("x.stk")}).status, 1);
  EXPECT_EQ(RunCorvida({"build", dir.File("bad.json")}).status, 2);
  EXPECT_EQ(RunCorvida({"build"}).status, 2);
}

}  // namespace
}  // namespace corvida
