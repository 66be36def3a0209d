// The "Please find ..." question for the files a card itself names: a graphic's picture
// file and a field's text file are asked for once the card shows (never while it is
// composed), the object is drawn again with the file pointed to, and each answer, a file
// or Cancel, holds for the session.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "replay_stack.h"
#include "support/picture_files.h"

namespace corvida::locate_files_test {
namespace {

using testing::BlueBmp;

// Card 2 names a picture and a text that are not beside the stack but in "art"; card 3
// names the same picture again.
const char* kStack = R"({
  "stack": {"width": 200, "height": 100, "depth": 32},
  "cards": [
    {"id": 10, "name": "Start", "objects": [
      {"type": "button", "id": 5, "rect": [0, 40, 60, 70], "name": "Bell",
       "actions": [{"kind": "sound", "path": "C:\\SND\\bell.wav"}]},
      {"type": "button", "id": 6, "rect": [80, 40, 140, 70], "name": "Edit",
       "actions": [{"kind": "launch", "program": "C:\\APPS\\edit.exe"}]}]},
    {"id": 11, "name": "Named", "objects": [
      {"type": "graphic", "id": 2, "rect": [0, 0, 20, 20], "source": [0, 0, 2, 2],
       "path": "Disk:Pictures:Blue.bmp"},
      {"type": "field", "id": 3, "rect": [40, 0, 190, 30], "path": "C:\\TEXTS\\notes.txt"}]},
    {"id": 12, "name": "Again", "objects": [
      {"type": "graphic", "id": 4, "rect": [0, 0, 20, 20], "source": [0, 0, 2, 2],
       "path": "Disk:Pictures:Blue.bmp"}]}
  ]
})";

constexpr const char* kPictureAsked =
    "dialog LOCATE_FILE \"Please find the picture named: Blue.bmp\"";
constexpr const char* kTextAsked = "dialog LOCATE_FILE \"Please find the file named: notes.txt\"";

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
  return n;
}

class LocateFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(stack.dir.File("art"));
    stack.dir.Write("art/Blue.bmp", BlueBmp());
    stack.dir.Write("art/notes.txt", "Found notes");
  }
  // The top left pixel of a shot as 0xRRGGBB.
  uint32_t Corner(const std::string& shot) const {
    const DecodedPicture p = stack.Shot(shot);
    if (p.pixels.size() < 4) return 0xDEAD;
    return uint32_t(p.pixels[0]) << 16 | uint32_t(p.pixels[1]) << 8 | p.pixels[2];
  }
  // Whether anything dark is drawn inside the field's frame (its text).
  bool TextShown(const std::string& shot) const {
    const DecodedPicture p = stack.Shot(shot);
    for (int y = 4; y < 26 && y < p.height; ++y)
      for (int x = 44; x < 186 && x < p.width; ++x)
        if (p.pixels[(size_t(y) * size_t(p.width) + size_t(x)) * 4] < 128) return true;
    return false;
  }
  testing::ReplayedStack stack{kStack};
};

TEST_F(LocateFiles, ACardsOwnFilesAreAskedForOnceTheCardShowsAndOncePerSession) {
  struct Case {
    const char* what;
    const char* answers;
    uint32_t picture;  // the graphic's corner on card 2, then on card 3
    const char* text_answer;
    bool text_shown;
  } cases[] = {
      {"cancelled", "", 0xFFFFFF, "dialog LOCATE_FILE cancelled", false},
      {"pointed to", "type art/Blue.bmp\ntype art/notes.txt\n", 0x0000FF,
       "dialog LOCATE_FILE \"notes.txt\"", true},
  };
  for (const Case& c : cases) {
    const std::string events =
        std::string(c.answers) + "command 204\nshot named.png\ncommand 204\nshot again.png\n";
    auto r = stack.Play(events);
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    // Asked after card 2 showed, once each, though card 3 names the picture
    // too.
    EXPECT_LT(r.out.find("card 2 id 11"), r.out.find(kPictureAsked)) << c.what << "\n" << r.out;
    EXPECT_EQ(Count(r.out, kPictureAsked), 1) << c.what << "\n" << r.out;
    EXPECT_EQ(Count(r.out, kTextAsked), 1) << c.what << "\n" << r.out;
    EXPECT_NE(r.out.find(c.text_answer), std::string::npos) << c.what << "\n" << r.out;
    EXPECT_EQ(Corner("named.png"), c.picture) << c.what;
    EXPECT_EQ(Corner("again.png"), c.picture) << c.what;
    EXPECT_EQ(TextShown("named.png"), c.text_shown) << c.what;
  }
}

// A card's files in the user's or the player's media folders are found there, as the
// files actions name are: nothing is asked.
TEST_F(LocateFiles, ACardsFilesInTheMediaFoldersAreFoundWithoutAsking) {
  stack.dir.Write("program/CVArt/Blue.bmp", BlueBmp());
  stack.dir.Write("out/.data/Extras/notes.txt", "Found notes");
  auto r =
      stack.Play("command 204\nshot named.png\n", {"--program-folder", stack.dir.File("program")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Count(r.out, "dialog LOCATE_FILE"), 0) << r.out;
  EXPECT_EQ(Corner("named.png"), 0x0000FFu);
  EXPECT_TRUE(TextShown("named.png"));
}

// Files a button names are asked for when it runs, once a session as well.
TEST_F(LocateFiles, AButtonsSoundAndProgramAreAskedForWhenItRuns) {
  struct Case {
    const char* what;
    const char* events;
    const char* asked;
    int times;
  } cases[] = {
      {"sound, twice", "click 30 55\nclick 30 55\n",
       "dialog LOCATE_FILE \"Please find the sound named: bell.wav\"", 1},
      {"program, after the launch question", "answer 1\nclick 110 55\n",
       "dialog LOCATE_FILE \"Please find the application: edit.exe\"", 1},
      {"program, launch refused", "click 110 55\n", "dialog LOCATE_FILE", 0},
  };
  for (const Case& c : cases) {
    auto r = stack.Play(c.events);
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    EXPECT_EQ(Count(r.out, c.asked), c.times) << c.what << "\n" << r.out;
  }
}

}  // namespace
}  // namespace corvida::locate_files_test
