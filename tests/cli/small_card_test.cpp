// A stack whose card is smaller than the smallest card: every headless command asks the
// same question, answers it the same way (convert to 40 x 40) and goes on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/picture.h"
#include "tests/support/test_support.h"

namespace corvida {
namespace {

using testing::RunCorvida;

constexpr char kQuestion[] =
    "The stack's card size must be at least 136 wide and 40 high. Do you want to convert it "
    "to the minimum size?";

class SmallCard : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("s.json", R"({"stack": {"width": 30, "height": 20},
                            "cards": [{"name": "Tiny"}, {"name": "Small"}]})");
    auto built = RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(built.status, 0) << built.err;
  }
  testing::TempDir dir;
};

TEST_F(SmallCard, EveryHeadlessCommandConvertsItAlike) {
  dir.Write("events.txt", "shot first.png\n");
  struct Case {
    const char* command;
    std::vector<std::string> args;
  } cases[] = {
      {"info", {"info", dir.File("s.stk"), "--json"}},
      {"render", {"render", dir.File("s.stk"), "-o", dir.File("card.png")}},
      {"sheet", {"sheet", dir.File("s.stk"), "-o", dir.File("sheet.png")}},
      {"replay", {"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out")}},
  };
  for (const Case& c : cases) {
    auto r = RunCorvida(c.args);
    EXPECT_EQ(r.status, 0) << c.command << ": " << r.err;
    // The question is shown once, on standard error or in the replay log.
    const std::string shown = r.err + r.out;
    const size_t first = shown.find(kQuestion);
    EXPECT_NE(first, std::string::npos) << c.command << ": " << shown;
    EXPECT_EQ(shown.find(kQuestion, first + 1), std::string::npos) << c.command;
    if (std::string(c.command) == "info") {
      auto header = nlohmann::json::parse(r.out)["header"];
      EXPECT_EQ(header["cardWidth"], 40);
      EXPECT_EQ(header["cardHeight"], 40);
    }
  }
  DecodedPicture card = testing::ReadPictureFile(dir.File("card.png"));
  EXPECT_EQ(card.width, 40);
  EXPECT_EQ(card.height, 40);
  DecodedPicture shot = testing::ReadPictureFile(dir.File("out/first.png"));
  EXPECT_EQ(shot.width, 40);
  EXPECT_EQ(shot.height, 40);
}

}  // namespace
}  // namespace corvida
