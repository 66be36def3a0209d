// The user-name question and the file chooser, driven by posted input.
#include "ui/dialog_ask.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/test_support.h"

namespace corvida {
namespace {

struct AskFixture : ::testing::Test {
  testing::TestPlatform tp;
  HeadlessWindowSystem& windows = tp.platform->headless_windows();
  WindowId window = windows.CreateWindow("card", {512, 342});
  DialogHost host;

  void SetUp() override {
    host.windows = &windows;
    host.window = window;
  }
  void Type(const std::string& text) {
    for (char c : text) windows.PostMessage({window, msg::kChar, uint8_t(c), 0, 0});
  }
  void Key(uint32_t key) { windows.PostMessage({window, msg::kKeyDown, key, 0, 0}); }
};

TEST_F(AskFixture, UserNameIsTypedOverTheOldOneAndCancelKeepsNothing) {
  for (int i = 0; i < 3; ++i) Key(vk::kBack);
  Type("Ann");
  Key(vk::kReturn);
  EXPECT_EQ(AskUserName(host, "Bob"), "Ann");
  Type(std::string(100, 'x'));
  Key(vk::kReturn);
  EXPECT_EQ(AskUserName(host, "").value_or("").size(), kUserNameLimit);
  Type("Zed");
  Key(vk::kEscape);
  EXPECT_EQ(AskUserName(host, "Bob"), std::nullopt);
}

TEST_F(AskFixture, ChooserListsFoldersThenMatchingFilesAndWalksIntoFolders) {
  const std::string root = tp.root.File("stacks");
  ASSERT_TRUE(CreateDirectories(root + "/Zoo"));
  ASSERT_TRUE(CreateDirectory(root + "/Art"));
  tp.root.Write("stacks/b.stk", "x");
  tp.root.Write("stacks/A.STK", "x");
  tp.root.Write("stacks/notes.txt", "x");
  tp.root.Write("stacks/.hidden.stk", "x");
  tp.root.Write("stacks/Zoo/lion.stk", "x");
  EXPECT_EQ(ChooserEntries(root, ".stk"),
            (std::vector<std::string>{"[..]", "[Art]", "[Zoo]", "A.STK", "b.stk"}));

  // Down to the third entry ([Zoo]), Enter opens it; then its one file is chosen.
  Key(vk::kDown);
  Key(vk::kDown);
  Key(vk::kDown);
  Key(vk::kReturn);
  Key(vk::kDown);
  Key(vk::kDown);
  Key(vk::kReturn);
  const auto chosen = ChooseFile(host, "Open Stack", root, ".stk");
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, CanonicalPath(root + "/Zoo/lion.stk"));

  Key(vk::kReturn);  // nothing selected: OK does nothing
  Key(vk::kEscape);
  EXPECT_EQ(ChooseFile(host, "Open Stack", root, ".stk"), std::nullopt);
}

}  // namespace
}  // namespace corvida
