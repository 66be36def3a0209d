// corvida replay through Page Setup and Print: one PDF page a card, of the paper and
// orientation chosen, each showing the card's own pixels.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>

#include <cstdlib>
#include <regex>

#include "replay_stack.h"

namespace corvida::print_test {
namespace {

// Three cards with coloured words, so that every page differs and is in colour.
const char* kStack = R"({
  "stack": {"width": 64, "height": 40, "depth": 32},
  "cards": [
    {"id": 10, "name": "Red", "objects": [{"type": "field", "id": 1, "rect": [2, 2, 62, 38],
      "text": "Red", "styles": [{"start": 0, "size": 18, "color": [255, 0, 0]}]}]},
    {"id": 11, "name": "Green", "objects": [{"type": "field", "id": 1, "rect": [2, 2, 62, 38],
      "text": "Grn", "styles": [{"start": 0, "size": 18, "color": [0, 160, 0]}]}]},
    {"id": 12, "name": "Blue", "objects": [{"type": "field", "id": 1, "rect": [2, 2, 62, 38],
      "text": "Blu", "styles": [{"start": 0, "size": 18, "color": [0, 0, 255]}]}]}
  ]
})";

int Count(const std::string& text, const std::regex& re) {
  return int(
      std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

// The pixels of the document's images, inflated, in their order.
std::vector<std::string> Images(const std::string& pdf) {
  std::vector<std::string> images;
  const std::regex head(R"(/Subtype /Image[^>]*>>\s*stream\r?\n)");
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), head); it != std::sregex_iterator();
       ++it) {
    const size_t start = size_t(it->position() + it->length());
    const size_t end = pdf.find("endstream", start);
    if (end == std::string::npos) break;
    std::string out(1 << 20, '\0');
    uLongf size = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(pdf.data() + start),
                   uLong(end - start)) == Z_OK) {
      out.resize(size);
      images.push_back(out);
    }
  }
  return images;
}

TEST(Print, EveryCardOnAPageOfItsOwnAtThePageSetupsSize) {
  struct Case {
    const char* setup;  // "" leaves the page setup as it is
    const char* box;    // the page's MediaBox
  } cases[] = {
      {"", "0 0 841.89 595.276"},
      {"Letter, portrait", "0 0 612 792"},
  };
  for (const Case& c : cases) {
    testing::ReplayedStack stack(kStack);
    std::string events = "shot first.png\n";
    if (*c.setup) events += "type " + std::string(c.setup) + "\ncommand 107\n";
    events += "type cards\nkey Ctrl+P\n";
    auto r = stack.Play(events);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("printed 3 cards to \"cards.pdf\""), std::string::npos) << r.out;
    const std::string pdf = stack.dir.Read("cards.pdf");
    ASSERT_EQ(pdf.substr(0, 5), "%PDF-") << c.setup;
    EXPECT_EQ(Count(pdf, std::regex(R"(/Type /Page\b)")), 3) << c.setup;
    EXPECT_NE(pdf.find("/Count 3"), std::string::npos) << c.setup;
    EXPECT_NE(pdf.find("/MediaBox [ " + std::string(c.box) + " ]"), std::string::npos)
        << c.setup << "\n"
        << pdf.substr(0, 2000);

    // The first page's image is the first card as the window showed it.
    const std::vector<std::string> images = Images(pdf);
    ASSERT_EQ(images.size(), 3u) << c.setup;
    const DecodedPicture shot = stack.Shot("first.png");
    ASSERT_EQ(images[0].size(), size_t(shot.width) * size_t(shot.height) * 3) << c.setup;
    for (int i = 0; i < shot.width * shot.height; ++i)
      for (int k = 0; k < 3; ++k)
        ASSERT_EQ(uint8_t(images[0][size_t(i) * 3 + size_t(k)]),
                  shot.pixels[size_t(i) * 4 + size_t(k)])
            << c.setup << " pixel " << i;
    EXPECT_NE(images[0], images[1]);
    EXPECT_NE(images[1], images[2]);
  }
}

TEST(Print, ACancelledDialogOrAnUnwritableFolderPrintsNothing) {
  testing::ReplayedStack stack(kStack);
  auto r = stack.Play("command 108\ntype nowhere/cards\ncommand 108\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("dialog PRINT cancelled"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("printed"), std::string::npos) << r.out;
}

// Fake lp and lpstat first on the PATH: the desktop's print queue the replay finds. The
// fake lp keeps its arguments and the document it was given beside itself.
class PrintQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    old_path_ = path ? path : "";
    setenv("PATH", (bin.path() + ":" + old_path_).c_str(), 1);
  }
  void TearDown() override { setenv("PATH", old_path_.c_str(), 1); }
  void Program(const std::string& name, const std::string& body) {
    bin.Write(name, "#!/bin/sh\n" + body + "\n");
    chmod(bin.File(name).c_str(), 0755);
  }
  testing::TempDir bin;
  std::string old_path_;
};

TEST_F(PrintQueue, TheCardsGoToTheDefaultPrinterWhenThereIsOne) {
  const std::string takes = "printf '%s\\n' \"$@\" > \"$0.args\"; cat > \"$0.pdf\"";
  const std::string named = "echo 'system default destination: Fake'";
  struct Case {
    const char* what;
    std::string lpstat, lp;
    std::vector<std::string> options;
    const char* logged;
    bool sent;
  } cases[] = {
      {"a default printer", named, takes, {"--print-queue"}, "printed 3 cards on \"Fake\"", true},
      {"no default printer",
       "echo 'no system default destination'",
       takes,
       {"--print-queue"},
       "dialog PRINT cancelled",
       false},
      {"lp refuses",
       named,
       "cat >/dev/null; echo 'lp: Forbidden' >&2; exit 1",
       {"--print-queue"},
       "alert 5107 \"The cards could not be printed on \"Fake\": lp: Forbidden\"",
       false},
      {"a replay not asked to", named, takes, {}, "dialog PRINT cancelled", false},
  };
  for (const Case& c : cases) {
    Program("lpstat", c.lpstat);
    Program("lp", c.lp);
    std::remove(bin.File("lp.pdf").c_str());
    testing::ReplayedStack stack(kStack);
    auto r = stack.Play("shot first.png\nkey Ctrl+P\n", c.options);
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    EXPECT_NE(r.out.find(c.logged), std::string::npos) << c.what << "\n" << r.out;
    const std::string pdf = bin.Read("lp.pdf");
    EXPECT_EQ(!pdf.empty(), c.sent) << c.what;
    if (!c.sent) continue;
    EXPECT_EQ(bin.Read("lp.args"), "-d\nFake\n-t\ns\n-o\nmedia=A4\n");
    EXPECT_EQ(Count(pdf, std::regex(R"(/Type /Page\b)")), 3);
    EXPECT_NE(pdf.find("/MediaBox [ 0 0 841.89 595.276 ]"), std::string::npos);
    const std::vector<std::string> images = Images(pdf);
    const DecodedPicture shot = stack.Shot("first.png");
    ASSERT_EQ(images.size(), 3u);
    ASSERT_EQ(images[0].size(), size_t(shot.width) * size_t(shot.height) * 3);
    for (int i = 0; i < shot.width * shot.height; ++i)
      ASSERT_EQ(uint8_t(images[0][size_t(i) * 3]), shot.pixels[size_t(i) * 4]) << i;
  }
}

}  // namespace
}  // namespace corvida::print_test
