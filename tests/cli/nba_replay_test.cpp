// `corvida replay` with extension modules installed in the data folder of its output
// folder, or in the folder given as the player's own: their calls are printed as
// "nba ID message M" lines.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace corvida {
namespace {

namespace fs = std::filesystem;
using testing::RunCorvida;

TEST(NbaReplay, ModuleCallsArePrintedWhereverThePlayersFoldersHoldThem) {
  struct Case {
    const char* installed_in;  // under the temporary folder
    bool program_folder;       // given with --program-folder
  } cases[] = {{"out/.data/NBAs", false}, {"player/NBAs", true}};
  for (const Case& c : cases) {
    testing::TempDir dir;
    const std::string nbas = dir.File(c.installed_in);
    fs::create_directories(nbas);
    fs::copy_file(testing::ExampleNbasFolder() + "/COUNTER.NBA", nbas + "/COUNTER.NBA");
    dir.Write("s.json", R"({
      "stack": {"width": 64, "height": 48},
      "cards": [
        {"id": 10, "name": "One", "objects": [
          {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Count",
           "actions": [{"kind": "nba", "id": 7}]},
          {"type": "button", "id": 2, "rect": [34, 4, 60, 20], "name": "Next", "destination": -1}]},
        {"id": 11, "name": "Two"}],
      "resources": [{"type": "NBAs", "id": 7, "module": "COUNTER.NBA"}]})");
    ASSERT_EQ(RunCorvida({"build", dir.File("s.json"), "-o", dir.File("s.stk")}).status, 0);
    dir.Write("events.txt", "click 10 10\nclick 40 10\n");
    std::vector<std::string> args = {"replay", dir.File("s.stk"), dir.File("events.txt"), "-o",
                                     dir.File("out")};
    if (c.program_folder) args.insert(args.end(), {"--program-folder", dir.File("player")});
    auto r = RunCorvida(args);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"button 1 \"Count\"\nnba \"COUNTER.NBA\" 0 bytes\nnba 7 message 4\n",
                             "nba 7 message 9\nnba 7 message 10\ncard 2 id 11 \"Two\"\n"})
      EXPECT_NE(r.out.find(line), std::string::npos) << c.installed_in << ": " << line << "\nin\n"
                                                     << r.out;
  }
}

}  // namespace
}  // namespace corvida
