// corvida export's parts: card images, icons, graphics, field texts, scripts, media
// copies and the index, the choice of parts, and what hostile stacks and output folders
// cannot make it do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/test_support.h"

namespace corvida::export_parts_test {
namespace {

using namespace testing;
namespace fs = std::filesystem;
using json = nlohmann::json;

constexpr const char* kDescription = R"({
  "stack": {"width": 200, "height": 120},
  "cards": [
    {"id": 1, "kind": "background", "name": "Back",
     "objects": [{"type": "field", "id": 2, "rect": [0, 0, 100, 20], "name": "Title",
                  "flags": 16, "text": "Shared title"}]},
    {"id": 5, "kind": "card", "backgroundId": 1, "name": "Caf\u00e9",
     "objects": [
       {"type": "button", "id": 3, "rect": [10, 20, 60, 40], "name": "Go",
        "destination": -1,
        "actions": [{"kind": "script", "text": "print 1\nprint 2\n"},
                    {"kind": "sound", "path": "Disk:Art:boing.wav"},
                    {"kind": "movie", "path": "Disk:nowhere.mov"}]},
       {"type": "field", "id": 4, "rect": [0, 50, 150, 100], "name": "Notes",
        "text": "Bold words\nsee link here",
        "styles": [{"start": 0, "size": 14, "style": 1, "color": [255, 0, 0]},
                   {"start": 4, "size": 12}]},
       {"type": "graphic", "id": 6, "rect": [100, 0, 140, 30], "path": "Disk:a.wav"},
       {"type": "graphic", "id": 7, "rect": [100, 0, 140, 30], "path": "../secret.wav"}
     ]}
  ],
  "resources": [
    {"type": "Actn", "id": 20, "button": {"actions": [{"kind": "script", "text": "print 3"}]}},
    {"type": "WKSp", "id": 128, "text": "to hello\nprint \"hi\nend\n"},
    {"type": "Hlnk", "id": 9, "fieldId": 4, "text": "link", "button": {"destination": 1}},
    {"type": "Icon", "id": 11, "name": "Next", "file": "next.ico"},
    {"type": "Icon", "id": 12, "bytes": "00 00 01 00"},
    {"type": "Snd ", "id": 13, "name": "broken", "bytes": "00 03 00 00"}
  ]
})";

std::string ReadSource(const std::string& relative) {
  std::ifstream in(SourcePath(relative), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class ExportParts : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("stack/next.ico", ReadSource("examples/demo/icons/next.ico"));
    dir.Write("stack/d.json", kDescription);
    dir.Write("stack/Art/boing.wav", "sound one");
    dir.Write("stack/a.wav", "sound two");
    dir.Write("secret.wav", "not the stack's");
    CommandResult built =
        RunCorvida({"build", dir.File("stack/d.json"), "-o", dir.File("stack/s.stk")});
    ASSERT_EQ(built.status, 0) << built.err;
  }
  CommandResult Export(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"export", dir.File("stack/s.stk"), "-o", dir.File("out")};
    args.insert(args.end(), more.begin(), more.end());
    return RunCorvida(args);
  }
  json ReadJson(const std::string& name) { return json::parse(dir.Read(name)); }
  TempDir dir;
};

TEST_F(ExportParts, CardsAreDrawnAsRenderDrawsThem) {
  ASSERT_EQ(Export({"--only", "cards"}).status, 0);
  for (std::string card : {"1", "2"}) {
    const std::string shown = dir.File("r" + card + ".png"), alone = dir.File("p" + card + ".png");
    RunCorvida({"render", dir.File("stack/s.stk"), "--card", card, "-o", shown});
    RunCorvida({"render", dir.File("stack/s.stk"), "--card", card, "--no-objects", "-o", alone});
    EXPECT_EQ(dir.Read("out/cards/00" + card + ".png"), dir.Read("r" + card + ".png"));
    EXPECT_EQ(dir.Read("out/cards/00" + card + "-picture.png"), dir.Read("p" + card + ".png"));
  }
  EXPECT_NE(dir.Read("out/cards/002.png"), dir.Read("out/cards/002-picture.png"));
  // Only the part asked for, and the index.
  EXPECT_FALSE(fs::exists(dir.File("out/text")));
  EXPECT_FALSE(fs::exists(dir.File("out/stack.json")));
  EXPECT_EQ(ReadJson("out/index.json")["parts"], json({"cards"}));
}

TEST_F(ExportParts, IconsKeepTheirMaskAsTransparency) {
  ASSERT_EQ(Export({"--only", "icons"}).status, 0);
  const std::string png = dir.Read("out/icons/11.png");
  ASSERT_GT(png.size(), 26u);
  EXPECT_EQ(png[25], 6) << "RGBA";
  DecodedPicture picture = ReadPictureFile(dir.File("out/icons/11.png"));
  EXPECT_GT(picture.width, 0);
  // The unreadable icon is reported, not written.
  EXPECT_FALSE(fs::exists(dir.File("out/icons/12.png")));
  const json failed = ReadJson("out/index.json")["failed"];
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0]["what"], "icons/12.png");
}

TEST_F(ExportParts, FieldTextsCarryRunsAndLinks) {
  ASSERT_EQ(Export({"--only", "text"}).status, 0);
  const json card = ReadJson("out/text/002.json");
  EXPECT_EQ(card["name"], "Caf\u00e9");
  ASSERT_EQ(card["fields"].size(), 2u);
  // The background's shared field shows on the card, so it comes first.
  EXPECT_EQ(card["fields"][0]["text"], "Shared title");
  EXPECT_EQ(card["fields"][0]["background"], true);
  const json notes = card["fields"][1];
  EXPECT_EQ(notes["text"], "Bold words\nsee link here");
  ASSERT_EQ(notes["runs"].size(), 2u);
  EXPECT_EQ(notes["runs"][0]["end"], 4);
  EXPECT_EQ(notes["runs"][0]["style"], json({"bold"}));
  EXPECT_EQ(notes["runs"][0]["colour"], "#ff0000");
  EXPECT_EQ(notes["runs"][1]["colour"], nullptr);
  ASSERT_EQ(notes["links"].size(), 1u);
  EXPECT_EQ(notes["links"][0]["start"], 15);
  EXPECT_EQ(notes["links"][0]["destination"], 1);
  EXPECT_NE(dir.Read("out/text/002.md").find("## Notes\n\nBold words\nsee link here\n"),
            std::string::npos);
}

TEST_F(ExportParts, ScriptsAndWorkspaceAreUtf8WithNewlines) {
  ASSERT_EQ(Export({"--only", "scripts"}).status, 0);
  EXPECT_EQ(dir.Read("out/scripts/card-002-button-3.lg"), "print 1\nprint 2\n");
  EXPECT_EQ(dir.Read("out/scripts/action-20.lg"), "print 3");
  EXPECT_EQ(dir.Read("out/scripts/workspace.lg"), "to hello\nprint \"hi\nend\n");
}

TEST_F(ExportParts, MediaIsCopiedOnlyFromInsideTheStacksFolders) {
  ASSERT_EQ(Export({"--only", "media"}).status, 0);
  const json index = ReadJson("out/media/index.json");
  ASSERT_EQ(index["copied"].size(), 2u) << index;
  EXPECT_EQ(index["copied"][0]["stored"], "Disk:Art:boing.wav");
  EXPECT_EQ(index["copied"][0]["usedBy"], json({"card 2 button 3"}));
  // Two files of the same name in different folders get numbered names.
  EXPECT_EQ(dir.Read("out/" + index["copied"][0]["file"].get<std::string>()), "sound one");
  EXPECT_EQ(dir.Read("out/" + index["copied"][1]["file"].get<std::string>()), "sound two");
  EXPECT_NE(index["copied"][0]["file"], index["copied"][1]["file"]);
  json missing = json::array();
  for (const json& m : index["missing"]) missing.push_back(m["stored"]);
  EXPECT_EQ(missing, json({"Disk:nowhere.mov", "../secret.wav"}));
}

TEST_F(ExportParts, TheIndexNamesWhatFailedWithItsAlert) {
  CommandResult r = Export();
  EXPECT_EQ(r.status, 0) << r.err;
  const json index = ReadJson("out/index.json");
  EXPECT_EQ(index["cards"], 2);
  bool sound_reported = false;
  for (const json& f : index["failed"]) {
    if (f["what"] == "sounds/13.wav") sound_reported = f["alert"] == 2390;
  }
  EXPECT_TRUE(sound_reported) << index["failed"];
  for (const json& written : index["written"])
    EXPECT_TRUE(fs::is_regular_file(dir.File("out/" + written.get<std::string>()))) << written;
  EXPECT_EQ(
      RunCorvida({"export", dir.File("stack/s.stk"), "-o", dir.File("o2"), "--only", "x"}).status,
      2);
}

TEST_F(ExportParts, ALinkPlantedInTheOutputFolderIsNotFollowed) {
  fs::create_directories(dir.File("out"));
  fs::create_directories(dir.File("elsewhere"));
  fs::create_directory_symlink(dir.File("elsewhere"), dir.File("out/cards"));
  fs::create_symlink(dir.File("elsewhere/x"), dir.File("out/stack.json"));
  CommandResult r = Export();
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(fs::is_empty(dir.File("elsewhere")));
  EXPECT_NE(r.err.find("cards/001.png"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir.File("out/index.json")));
}

// Every stack of the fuzz corpora: the export ends with its report (or a refusal) and
// writes nothing beside its folder.
TEST(ExportHostile, CorpusStacksEndWithAReport) {
  for (const char* corpus : {"fuzz/corpus/stack_open", "fuzz/corpus/card_view"}) {
    if (!fs::exists(SourcePath(corpus))) continue;
    for (const fs::directory_entry& e : fs::directory_iterator(SourcePath(corpus))) {
      TempDir dir;
      CommandResult r = RunCorvida({"export", e.path().string(), "-o", dir.File("out")});
      EXPECT_TRUE(r.status == 0 || r.status == 1) << e.path() << r.err;
      if (r.status == 0) {
        EXPECT_TRUE(fs::exists(dir.File("out/index.json"))) << e.path();
      }
      for (const fs::directory_entry& made : fs::directory_iterator(dir.path()))
        EXPECT_EQ(made.path().filename(), "out") << e.path();
    }
  }
}

}  // namespace
}  // namespace corvida::export_parts_test
