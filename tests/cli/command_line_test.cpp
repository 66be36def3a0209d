// What every corvida command does alike: --help, usage errors (status 2), and a file
// named on the command line that cannot be read (status 1, the file and the reason).
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvida {
namespace {

using testing::RunCorvida;
using testing::TempDir;

struct Usage {
  std::vector<std::string> args;
  int status;
  const char* err_part;  // a part of the message on standard error ("" for none)
};

TEST(CommandLine, EveryCommandReadsItsCommandLineTheSameWay) {
  const std::vector<Usage> table = {
      {{"no-such-command"}, 2, "no-such-command"},
      {{}, 2, "subcommand"},
      {{"info"}, 2, "STACK"},
      {{"info", "a.stk", "--frobnicate"}, 2, "--frobnicate"},
      {{"info", "a.stk", "b.stk"}, 2, "b.stk"},
      {{"render", "a.stk"}, 2, "-o"},
      {{"render", "a.stk", "--card", "x", "-o", "c.png"}, 2, "--card"},
      {{"render", "a.stk", "--card", "0", "-o", "c.png"}, 2, "--card"},
      {{"sheet", "a.stk", "--width", "5", "-o", "s.png"}, 2, "--width"},
      {{"sheet", "a.stk", "--columns"}, 2, "--columns"},
      {{"play", "x.stk", "--after", "soon"}, 2, "--after"},
      {{"play", "a.stk", "b.stk"}, 2, "b.stk"},  // without a stack it asks for one
      {{"replay", "a.stk", "e.txt"}, 2, "-o"},
      {{"replay", "a.stk", "e.txt", "-o", "out", "--settle", "-3"}, 2, "--settle"},
      {{"build"}, 2, "DESCRIPTION"},
      {{"build", "d.json", "--bogus", "-o", "x.stk"}, 2, "--bogus"},
      {{"logo", "--bogus"}, 2, "--bogus"},
      {{"logo", "--files"}, 2, "--files"},
      {{"logo", "--seed", "many", "-e", "print 1"}, 2, "--seed"},
      {{"logo", "prog.lgo", "-e", "print 1"}, 2, "-e"},
      {{"version", "extra"}, 2, "extra"},
  };
  for (const Usage& u : table) {
    auto r = RunCorvida(u.args);
    std::string line;
    for (const auto& a : u.args) line += a + " ";
    EXPECT_EQ(r.status, u.status) << line << r.err;
    EXPECT_NE(r.err.find(u.err_part), std::string::npos) << line << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << line << r.err;  // where to look
    EXPECT_EQ(r.out, "") << line;
  }
}

TEST(CommandLine, HelpIsAskedTheSameWayOfEveryCommand) {
  auto top = RunCorvida({"--help"});
  EXPECT_EQ(top.status, 0);
  for (const char* name : {"play", "render", "sheet", "replay", "info", "build", "logo"})
    EXPECT_NE(top.out.find(name), std::string::npos) << name;
  EXPECT_EQ(RunCorvida({"help"}).out, top.out);
  const std::vector<std::pair<std::string, std::string>> helps = {
      {"play", "--screenshot"},  {"render", "--no-objects"}, {"sheet", "--columns"},
      {"replay", "--settle"},    {"info", "--json"},         {"build", "docs/build-format.md"},
      {"logo", "symbolic link"}, {"version", "Usage"}};
  for (const auto& [command, part] : helps) {
    for (const char* flag : {"--help", "-h"}) {
      auto r = RunCorvida({command, flag});
      EXPECT_EQ(r.status, 0) << command << flag;
      EXPECT_NE(r.out.find("Usage"), std::string::npos) << command;
      EXPECT_NE(r.out.find(part), std::string::npos) << command << ": " << r.out;
      EXPECT_EQ(r.err, "") << command;
    }
  }
}

TEST(CommandLine, AMissingFileIsNamedWithTheSystemsReason) {
  TempDir dir;
  const std::string missing = dir.File("no-such.stk");
  dir.Write("events.txt", "");
  dir.Write("d.json", "{}");
  const std::vector<std::vector<std::string>> commands = {
      {"info", missing},
      {"render", missing, "-o", dir.File("c.png")},
      {"sheet", missing, "-o", dir.File("s.png")},
      {"replay", missing, dir.File("events.txt"), "-o", dir.File("out")},
      {"replay", dir.File("d.json"), missing, "-o", dir.File("out")},
      {"play", missing},
      {"logo", missing},
  };
  for (const auto& args : commands) {
    auto r = RunCorvida(args);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(r.err,
              "corvida " + args[0] + ": cannot open " + missing + ": No such file or directory\n")
        << args[0];
  }
  auto folder = RunCorvida({"info", dir.path()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.err.find("Is a directory"), std::string::npos) << folder.err;
}

}  // namespace
}  // namespace corvida
