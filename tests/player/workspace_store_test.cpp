// A stack's saved workspace through the player: run when the stack opens (definitions
// only, anything else skipped and reported), stored again when a save finds it changed,
// and there when the stack is opened again.
#include <gtest/gtest.h>

#include <filesystem>

#include "logo/interp.h"
#include "logo/sandbox_files.h"
#include "player/player.h"
#include "player_fixture.h"
#include "stackfile/resources.h"

namespace corvida::testing {
namespace {

std::string StackWithWorkspace(const char* type, const char* text) {
  return std::string(R"({"stack": {"width": 64, "height": 48},
    "cards": [{"id": 1, "name": "Only"}],
    "resources": [{"type": ")") +
         type + R"(", "id": 128, "text": ")" + text + R"("}]})";
}

// Runs a line in the player's interpreter and returns what it printed.
std::string RunLogo(Player& player, const std::string& line) {
  logo::Interpreter& in = PlayerInterpreter(player);
  std::string out;
  in.hooks().write = [&](std::string_view s) { out.append(s); };
  in.RunScript(line);
  in.hooks().write = nullptr;
  return out;
}

std::string StoredWorkspace(Player& player, FourCC type) {
  ResourceEntry* entry = player.stack.resources().Find(type, 128);
  if (!entry) return "(none)";
  LockedHandle bytes(player.handles, player.stack.resources().Get(type, 128));
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(PlayerWorkspace, RoundTripThroughASavedStack) {
  TestPlatform tp;
  std::string path = BuildStack(tp.root,
                                StackWithWorkspace("WKSp",
                                                   "MAKE \\\"greeting \\\"hello\\nPRINT \\\"boo\\n"
                                                   "TO double :n\\nOUTPUT :n * 2\\nEND\\n"),
                                "ws.stk");
  {
    Player player{*tp.platform};
    ASSERT_EQ(player.stack.Open(path).code, 0);
    // The forbidden line was skipped and reported; the rest is defined.
    auto& shown = tp.platform->responder().shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].id, -1);
    EXPECT_EQ(shown[0].text,
              "Tarrow: Logo Error: PRINT cannot be used in a workspace\n\nAt: PRINT \"boo");
    EXPECT_EQ(RunLogo(player, "print :greeting print double 4"), "hello\n8\n");
    EXPECT_FALSE(player.workspace.Changed(player.logo.get()));

    RunLogo(player, "make \"count 3 pprop \"cat \"legs 4 make \"secret 1 buryname \"secret");
    EXPECT_TRUE(player.workspace.Changed(player.logo.get()));
    ASSERT_TRUE(player.stack.Save(path).saved());
    EXPECT_EQ(StoredWorkspace(player, restype::kWKSp),
              "MAKE \"greeting \"hello\r\nMAKE \"count 3\r\nMAKE \"secret 1\r\n"
              "BURYNAME \"secret\r\n\r\nSETPLIST \"cat [legs 4]\r\n\r\n"
              "TO double :n\r\nOUTPUT :n \\* 2\r\nEND\r\n");
    // Saving without closing keeps the workspace.
    EXPECT_EQ(RunLogo(player, "print :count"), "3\n");
    EXPECT_FALSE(player.workspace.Changed(player.logo.get()));
  }
  Player reopened{*tp.platform};
  tp.platform->responder().Clear();
  ASSERT_EQ(reopened.stack.Open(path).code, 0);
  EXPECT_TRUE(tp.platform->responder().shown().empty());
  EXPECT_EQ(RunLogo(reopened, "print :count print gprop \"cat \"legs print double :count pons"),
            "3\n4\n6\nMAKE \"greeting \"hello\nMAKE \"count 3\n");
  EXPECT_EQ(RunLogo(reopened, "print :secret"), "1\n");
}

TEST(PlayerWorkspace, TheSecondSpellingIsReadAndAChangeIsStoredUnderTheFirst) {
  TestPlatform tp;
  std::string path =
      BuildStack(tp.root, StackWithWorkspace("WkSp", "MAKE \\\"x 1\\n"), "second.stk");
  Player player{*tp.platform};
  ASSERT_EQ(player.stack.Open(path).code, 0);
  EXPECT_EQ(RunLogo(player, "print :x"), "1\n");
  // Unchanged: the save leaves the stored text as it was.
  ASSERT_TRUE(player.stack.Save(path).saved());
  EXPECT_EQ(StoredWorkspace(player, restype::kWKSp), "(none)");
  RunLogo(player, "make \"x 2");
  ASSERT_TRUE(player.stack.Save(path).saved());
  EXPECT_EQ(StoredWorkspace(player, restype::kWKSp), "MAKE \"x 2\r\n\r\n\r\n");

  Player reopened{*tp.platform};
  ASSERT_EQ(reopened.stack.Open(path).code, 0);
  EXPECT_EQ(RunLogo(reopened, "print :x"), "2\n");
}

TEST(PlayerWorkspace, ASaveThatClosesTheStackErasesTheWorkspace) {
  TestPlatform tp;
  std::string path = BuildStack(tp.root, StackWithWorkspace("WKSp", "MAKE \\\"x 1\\n"), "c.stk");
  Player player{*tp.platform};
  ASSERT_EQ(player.stack.Open(path).code, 0);
  RunLogo(player, "make \"y 2");
  player.workspace.StackSaving(player.stack, player.logo.get(), true);
  EXPECT_EQ(player.stack.workspace(), "MAKE \"x 1\r\nMAKE \"y 2\r\n\r\n\r\n");
  EXPECT_EQ(RunLogo(player, "print namep \"x print namep \"y"), "FALSE\nFALSE\n");
}

TEST(PlayerWorkspace, EachStacksScriptsKeepTheirFilesInAFolderOfTheirOwn) {
  TestPlatform tp;
  std::string first = BuildStack(tp.root, StackWithWorkspace("WKSp", ""), "first.stk");
  std::string second = BuildStack(tp.root, StackWithWorkspace("WKSp", ""), "second.stk");
  Player player{*tp.platform};
  ASSERT_EQ(player.stack.Open(first).code, 0);
  RunLogo(player,
          "open \"notes.txt setwrite \"notes.txt print \"kept setwrite [] close \"notes.txt");
  EXPECT_EQ(RunLogo(player, "print filep \"notes.txt"), "TRUE\n");
  // Beside the stack nothing was written: the folder lies under the data folder.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(first).parent_path() / "notes.txt"));
  std::string folder = PlayerInterpreter(player).files().sandbox().PrefixFolder();
  EXPECT_EQ(folder.rfind(tp.platform->folders().data, 0), 0u) << folder;

  player.stack.Close();
  ASSERT_EQ(player.stack.Open(second).code, 0);
  EXPECT_EQ(RunLogo(player, "print filep \"notes.txt"), "FALSE\n");
  EXPECT_EQ(RunLogo(player, "print filep \"..\\\\first\\\\notes.txt"), "FALSE\n");
}

TEST(PlayerWorkspace, AWorkspaceTooLargeToRunIsReportedAndKept) {
  TestPlatform tp;
  std::string lines;
  for (int i = 0; i <= 200'000; ++i) lines += "MAKE \\\"a 1\\n";
  std::string path = BuildStack(tp.root, StackWithWorkspace("WKSp", lines.c_str()), "big.stk");
  Player player{*tp.platform};
  ASSERT_EQ(player.stack.Open(path).code, 0);
  auto& shown = tp.platform->responder().shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].text.find("too large to load"), std::string::npos) << shown[0].text;
  EXPECT_EQ(RunLogo(player, "print namep \"a"), "FALSE\n");
  // What the scripts define meanwhile does not replace the stored workspace.
  std::string before = StoredWorkspace(player, restype::kWKSp);
  EXPECT_EQ(before.size(), 200'001u * 10);
  RunLogo(player, "make \"b 2");
  ASSERT_TRUE(player.stack.Save(path).saved());
  EXPECT_EQ(StoredWorkspace(player, restype::kWKSp), before);
}

}  // namespace
}  // namespace corvida::testing
