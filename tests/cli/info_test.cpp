// corvida info on stacks that are not sound: refused stacks print the alert's text and
// exit with status 1.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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

// DEL in a name reaches neither the summary nor the JSON raw.
TEST(Info, DeleteCharactersInNamesAreEscapedInEveryOutput) {
  TempDir dir;
  dir.Write("d.json", R"({"cards": [{"name": "A\u007fB"}]})");
  ASSERT_EQ(RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")}).status, 0);
  auto summary = RunCorvida({"info", dir.File("s.stk")});
  auto json = RunCorvida({"info", dir.File("s.stk"), "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(summary.out.find('\x7f'), std::string::npos);
  EXPECT_NE(summary.out.find("\"A\\x7fB\""), std::string::npos) << summary.out;
  EXPECT_EQ(json.out.find('\x7f'), std::string::npos);
  EXPECT_NE(json.out.find("\"A\\u007fB\""), std::string::npos) << json.out;
  EXPECT_EQ(nlohmann::json::parse(json.out)["cards"][0]["name"],
            "A\x7f"
            "B");
}

}  // namespace
}  // namespace corvida
