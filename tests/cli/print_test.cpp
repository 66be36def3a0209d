// corvida replay through Page Setup and Print: one PDF page a card, of the paper and
// orientation chosen, each showing the card's own pixels.
#include <gtest/gtest.h>
#include <zlib.h>

#include <regex>

#include "replay_stack.h"

namespace corvida {
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

}  // namespace
}  // namespace corvida
