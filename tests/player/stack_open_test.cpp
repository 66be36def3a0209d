// Opening a stack for the user: the stack's questions become alerts whose answers decide
// the open, and its messages follow in order; a headless player answers for itself.
#include "player/stack_open.h"

#include <gtest/gtest.h>

#include "player/player.h"
#include "player_fixture.h"

namespace corvida::testing {
namespace {

// A stack of `width` × 48 written by `corvida build`, with its version patched.
std::string SmallStack(const TempDir& dir, int width, uint16_t version = 5) {
  std::string path =
      BuildStack(dir, R"({"stack": {"width": )" + std::to_string(width) + R"(, "height": 48},
              "cards": [{"name": "One"}]})",
                 "small.stk");
  std::string bytes = dir.Read("small.stk");
  bytes[header::kVersion] = char(version >> 8);
  bytes[header::kVersion + 1] = char(version);
  dir.Write("small.stk", bytes);
  return path;
}

class OpenForTheUser : public ::testing::Test {
 protected:
  std::vector<int> ShownIds() {
    std::vector<int> ids;
    for (const AlertRequest& r : tp.platform->responder().shown()) ids.push_back(r.id);
    return ids;
  }
  void AnswerWithButton(int index) {
    tp.platform->responder().SetResponder([index](const AlertRequest&) { return index; });
  }
  TestPlatform tp;
  Player player{*tp.platform};
};

TEST_F(OpenForTheUser, QuestionsAndMessagesAppearInOrder) {
  struct Case {
    const char* what;
    int width;
    uint16_t version;
    int button;  // 0 Yes, 1 No
    StackAsking asking;
    int code;
    std::vector<int> shown;
    int width_after;
  } cases[] = {
      {"sound", 200, 5, 0, StackAsking::kUser, 0, {}, 200},
      {"small, Yes", 30, 5, 0, StackAsking::kUser, 0, {2334}, 40},
      {"small, No", 30, 5, 1, StackAsking::kUser, kRefused, {2334}, 0},
      {"small and too new", 30, 6, 0, StackAsking::kUser, kRefused, {2334, 2221}, 0},
      {"too old", 200, 3, 0, StackAsking::kUser, kRefused, {2222}, 0},
      {"small, headless", 30, 5, 1, StackAsking::kHeadless, 0, {2334}, 40},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string path = SmallStack(dir, c.width, c.version);
    tp.platform->responder().Clear();
    AnswerWithButton(c.button);
    StackOpenResult result = OpenStackWithAlerts(player.stack, player.alerts, path, {}, c.asking);
    EXPECT_EQ(result.code, c.code) << c.what;
    EXPECT_EQ(ShownIds(), c.shown) << c.what;
    EXPECT_EQ(int16_t(player.stack.Header16(header::kCardWidth)), c.width_after) << c.what;
  }
}

TEST_F(OpenForTheUser, FilesThatAreNoStacksAreReported) {
  TempDir dir;
  dir.Write("junk.stk", std::string(300, 'x'));
  EXPECT_EQ(
      OpenStackWithAlerts(player.stack, player.alerts, dir.File("junk.stk"), {}, StackAsking::kUser)
          .code,
      kRefused);
  EXPECT_EQ(OpenStackWithAlerts(player.stack, player.alerts, dir.File("absent.stk"), {},
                                StackAsking::kUser)
                .code,
            -1);
  EXPECT_EQ(ShownIds(), (std::vector<int>{2268, 2235}));
  EXPECT_FALSE(player.stack.is_open());
}

TEST(MemoryAlerts, TableAndSystemMemoryFailuresShowTheirMessageBoxes) {
  TestPlatform tp;
  Player player(*tp.platform);
  player.handles.SetMaxSlots(Handles::kTableGrowth);
  for (int i = 0; i < Handles::kTableGrowth; ++i) ASSERT_NE(player.handles.New(1), 0);
  EXPECT_EQ(player.handles.New(1), 0);
  player.handles.SetBudget(player.handles.bytes_allocated());
  EXPECT_EQ(player.handles.SystemBlockNew(1000), nullptr);
  const auto& shown = tp.platform->responder().shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Couldn't resize MemRefs");
  EXPECT_EQ(shown[0].icon, AlertIcon::kNone);
  EXPECT_EQ(shown[1].text, "Corvida Error: Corvida has run out of RAM memory");
  EXPECT_EQ(shown[1].icon, AlertIcon::kStop);
}

}  // namespace
}  // namespace corvida::testing
