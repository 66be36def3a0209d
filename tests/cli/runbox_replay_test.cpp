// The run box end to end: `corvida replay` opens it with the player command, its
// shortcut and callback command 174, types into it (`runbox TEXT`), reads lines from it,
// shows its help, closes it and remembers where it was; the card stays usable around it;
// and the player's timer work goes on while a script waits.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "replay_stack.h"
#include "support/movie_writer.h"

namespace corvida::runbox_replay_test {
namespace {

using testing::ReplayedStack;

// A white 200 x 150 card; the box first lies over its top 80 rows. Below it: "Open"
// opens the box through callback 174, "Say" prints, "Film" plays a 0.3 s movie,
// "Pause" waits a second, then prints, and "Read" prints the line it reads.
const char* kStack = R"({
  "stack": {"width": 200, "height": 150, "depth": 8},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [0, 100, 30, 120], "name": "Open",
        "actions": [{"kind": "script", "text": "cbsetcmd 174 callback"}]},
       {"type": "button", "id": 2, "rect": [40, 100, 70, 120], "name": "Say",
        "actions": [{"kind": "script", "text": "textio print [said]"}]},
       {"type": "button", "id": 3, "rect": [80, 100, 110, 120], "name": "Film",
        "actions": [{"kind": "movie", "path": "Disk:clip.mov", "rect": [120, 90, 200, 150],
                     "movieId": 1}]},
       {"type": "button", "id": 4, "rect": [0, 125, 30, 145], "name": "Pause",
        "actions": [{"kind": "script", "text": "wait 60 textio print \"waited"}]},
       {"type": "button", "id": 5, "rect": [40, 125, 70, 145], "name": "Read",
        "actions": [{"kind": "script", "text": "textio print readword"}]}
     ]}
  ]
})";

bool Has(const std::string& out, const std::string& part) {
  return out.find(part) != std::string::npos;
}

struct RunBoxCase {
  const char* what;
  std::string events;
  std::vector<std::string> lines;  // in this order in the output
  std::vector<std::string> absent;
};

TEST(RunBoxReplay, OpeningTypingReadingAndClosing) {
  const std::vector<RunBoxCase> cases = {
      {"the text typed replaces the greeting and runs",
       "runbox textio print 1 + 2\n",
       {"run box opened", "run box runs \"textio print 1 + 2\"", "print \"3\""},
       {}},
      {"two instructions on one line both run",
       "runbox textio print \"a print \"b\n",
       {"print \"a\"", "print \"b\""},
       {}},
      {"the shortcut opens it, and opening again only gives it the keyboard",
       "key Ctrl+R\nrunbox textio print 5\n",
       {"run box opened", "print \"5\""},
       {"run box opened\nrun box opened"}},
      {"callback 174 opens it",
       "click 15 110\nrunbox textio print \"open\n",
       {"button 1 \"Open\"", "callback 174", "run box opened", "print \"open\""},
       {}},
      {"READLIST reads the line typed into the box",
       "type hello world\nrunbox textio show readlist\n",
       {"run box runs \"textio show readlist\"", "run box read \"hello world\"",
        "print \"[hello world]\""},
       {"dialog READ_LINE"}},
      {"READWORD with nothing typed reads an empty line",
       "runbox textio print word \"x readword\n",
       {"run box read \"\"", "print \"x\""},
       {}},
      {"a button's script reads from the open box",
       "type yo\nrunbox make \"x 1\nclick 55 135\n",
       {"button 5 \"Read\"", "run box read \"yo\"", "print \"yo\""},
       {"dialog READ_LINE"}},
      {"with the box closed the line comes from the read dialog",
       "runbox make \"x 1\nkey Ctrl+W\ntype hi\nclick 55 135\n",
       {"run box closed", "dialog READ_LINE \"hi\"", "print \"hi\""},
       {"run box read"}},
      {"Ctrl+W closes it", "runbox make \"x 1\nkey Ctrl+W\n", {"run box closed"}, {}},
      {"the right button's menu: Up goes round to its last item, Close",
       "runbox make \"x 1\nrclick 100 40\nkey Up\nkey Enter\n",
       {"run box closed"},
       {}},
      {"Escape closes the menu only",
       "runbox make \"x 1\nrclick 100 40\nkey Escape\nrunbox textio print 2\n",
       {"print \"2\""},
       {"run box closed"}},
      {"the card stays clickable below the box",
       "runbox make \"x 1\nclick 55 110\n",
       {"run box opened", "button 2 \"Say\"", "print \"said\""},
       {}},
      {"Escape stops a script run from the box, and the next one runs",
       "key Escape after 1000\nrunbox textio repeat 100 [wait 6] print \"unreached\n"
       "runbox textio print \"next\n",
       {"print \"next\""},
       {"\nprint \"unreached"}},
  };
  ReplayedStack stack(kStack);
  for (const RunBoxCase& c : cases) {
    auto r = stack.Play(c.events, {"--trace-callbacks"});
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    size_t at = 0;
    for (const std::string& line : c.lines) {
      const size_t found = r.out.find(line + "\n", at);
      EXPECT_NE(found, std::string::npos) << c.what << ": " << line << "\n" << r.out;
      if (found != std::string::npos) at = found + line.size();
    }
    for (const std::string& part : c.absent)
      EXPECT_FALSE(Has(r.out, part)) << c.what << "\n" << r.out;
  }
}

TEST(RunBoxReplay, HelpShowsItsAlert) {
  ReplayedStack stack(kStack);
  auto r = stack.Play("runbox make \"x 1\nkey F1\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "alert 0 \"Tarrow Run Box")) << r.out;
  EXPECT_TRUE(Has(r.out, "Type a command and press Enter.\"")) << r.out;
}

gfx::Rgb Pixel(const DecodedPicture& p, int x, int y) {
  if (p.indexed()) return p.palette.at(p.pixels[size_t(y) * p.stride() + size_t(x)]);
  const uint8_t* px = p.pixels.data() + size_t(y) * p.stride() + size_t(x) * 4;
  return {px[0], px[1], px[2]};
}

// The caption is dark blue while the box has the keyboard; the card is white.
bool Caption(const DecodedPicture& shot, int y) {
  return Pixel(shot, 150, y) == gfx::Rgb{0, 0, 128};
}

TEST(RunBoxReplay, APanelOverTheCardThatRemembersWhereItWasMoved) {
  ReplayedStack stack(kStack);
  // Opened, shot, dragged down by its caption 40 pixels, closed, opened again.
  auto r = stack.Play(
      "shot card.png\nrunbox make \"x 1\nshot open.png\n"
      "down 100 5\nmove 100 25\nup 100 45\nkey Ctrl+W\nshot closed.png\n"
      "key Ctrl+R\nshot again.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const DecodedPicture card = stack.Shot("card.png"), open = stack.Shot("open.png"),
                       closed = stack.Shot("closed.png"), again = stack.Shot("again.png");
  ASSERT_EQ(open.width, 200);
  EXPECT_FALSE(Caption(card, 5));
  EXPECT_TRUE(Caption(open, 5));
  EXPECT_EQ(Pixel(open, 100, 79), (gfx::Rgb{0, 0, 0})) << "its frame, 80 pixels down";
  EXPECT_EQ(Pixel(open, 100, 85), (gfx::Rgb{255, 255, 255})) << "the card below it";
  EXPECT_EQ(Pixel(closed, 100, 5), (gfx::Rgb{255, 255, 255})) << "closed: the card again";
  EXPECT_FALSE(Caption(again, 5));
  EXPECT_TRUE(Caption(again, 45));
  // The rectangle is kept in the preferences.
  std::ifstream prefs(stack.dir.File("out/.config/CVPREFS.INI"));
  std::stringstream text;
  text << prefs.rdbuf();
  EXPECT_TRUE(Has(text.str(), "RunBoxRect=0 40 200 120")) << text.str();
}

TEST(RunBoxReplay, TimerWorkGoesOnWhileAScriptWaits) {
  ReplayedStack stack(kStack);
  // Three frames at 10 a second: the movie ends 0.3 s in, while Pause still waits.
  ASSERT_EQ(testing::WriteTestMovie(
                stack.dir.File("clip.mov"),
                testing::VideoSpec("mov", "qtrle", 32, 24, {0xFF0000, 0x00FF00, 0x0000FF})),
            "");
  auto r = stack.Play("click 95 110\nclick 15 135\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t finished = r.out.find("movie 1 \"clip.mov\" finished");
  const size_t waited = r.out.find("\nprint \"waited\"");
  ASSERT_NE(finished, std::string::npos) << r.out;
  ASSERT_NE(waited, std::string::npos) << r.out;
  EXPECT_LT(finished, waited) << r.out;
}

// The menu is drawn over the card below the box; the caret blinks on the replay's clock:
// on, off after 530 ms, on again after as long.
TEST(RunBoxReplay, TheMenuShowsAndTheCaretBlinks) {
  ReplayedStack stack(kStack);
  auto r = stack.Play(
      "runbox make \"x 1\nrclick 100 40\nshot menu.png\nkey Escape\nkey End\nshot on.png\n"
      "wait 590\nshot off.png\nwait 560\nshot on2.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const DecodedPicture menu = stack.Shot("menu.png"), on = stack.Shot("on.png"),
                       off = stack.Shot("off.png"), on2 = stack.Shot("on2.png");
  EXPECT_EQ(Pixel(menu, 110, 100), (gfx::Rgb{192, 192, 192})) << "the menu reaches below the box";
  EXPECT_EQ(Pixel(on, 110, 100), (gfx::Rgb{255, 255, 255})) << "Escape took it away";
  EXPECT_NE(on.pixels, off.pixels);
  EXPECT_EQ(on.pixels, on2.pixels);
}

}  // namespace
}  // namespace corvida::runbox_replay_test
