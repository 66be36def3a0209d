// corvida info on stacks that are not sound: refused stacks print the alert's text and
// exit with status 1.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

using testing::RunCorvida;
using testing::TempDir;

TEST(Info, RefusedStacksPrintTheAlertAndFail) {
  TempDir dir;
  dir.Write("junk.stk", std::string(200, 'x'));
  auto r = RunCorvida({"info", dir.File("junk.stk")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("I'm sorry, I can't load this file because it is not a stack."),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(r.out.empty());
  // The file is reported, never deleted.
  EXPECT_EQ(dir.Read("junk.stk").size(), 200u);
}

TEST(Info, SummaryListsCardsObjectsAndResources) {
  TempDir dir;
  dir.Write("d.json", R"({"cards": [{"name": "One", "objects": [
      {"type": "button", "id": 3, "rect": [1, 2, 3, 4], "name": "Go"}]}],
      "resources": [{"type": "Snd ", "id": 7, "name": "boing", "bytes": "0102"}]})");
  ASSERT_EQ(RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")}).status, 0);
  auto r = RunCorvida({"info", dir.File("s.stk")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"One\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("button"), std::string::npos);
  EXPECT_NE(r.out.find("\"Go\""), std::string::npos);
  EXPECT_NE(r.out.find("'Snd '"), std::string::npos);
}

}  // namespace
}  // namespace corvida
