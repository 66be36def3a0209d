#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

TEST(CommandLine, HelpListsCommandsAndUnknownCommandIsAUsageError) {
  auto help = testing::RunCorvida({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("version"), std::string::npos);
  auto bad = testing::RunCorvida({"no-such-command"});
  EXPECT_EQ(bad.status, 2);
}

}  // namespace
}  // namespace corvida
