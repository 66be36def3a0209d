// corvida export: stack.json as info --json prints it, and one WAV file per readable
// sound, each with the samples the stack stores.
#include <gtest/gtest.h>

#include "support/sound_files.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using namespace testing;

std::string Text(const SoundBytes& b) {
  return std::string(b.begin(), b.end());
}

// A stored MACE 6:1 stereo sound of 10 packets.
SoundBytes MaceSound() {
  SoundBytes data(20);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 53);
  return Concat({Format2Prefix(0),
                 Header({.encode = 0xFE,
                         .channels = 2,
                         .rate = 8000u << 16,
                         .frames = 10,
                         .sample_size = 8,
                         .compression_id = 4}),
                 data});
}

class Export : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("boing.wav", Text(WavFile(1, 8, 11025, {0x80, 0x10, 0xF0})));
    dir.Write("zip.aif", Text(AiffFile(2, 16, 22050, {0x12, 0x34, 0x56, 0x78})));
    dir.Write("mace.bin", Text(MaceSound()));
    dir.Write("d.json", R"({"cards": [{"name": "One"}], "resources": [
        {"type": "Snd ", "id": 7, "name": "boing", "sound": "boing.wav"},
        {"type": "Snd ", "id": 8, "name": "zip", "sound": "zip.aif"},
        {"type": "Snd ", "id": 9, "name": "mace", "file": "mace.bin"},
        {"type": "Snd ", "id": 10, "name": "broken", "bytes": "00 03 00 00"},
        {"type": "Icon", "id": 11, "bytes": "00 00 01 00"}]})");
    CommandResult built = RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(built.status, 0) << built.err;
  }
  TempDir dir;
};

TEST_F(Export, WritesTheDescriptionAndEveryReadableSound) {
  CommandResult r = RunCorvida({"export", dir.File("s.stk"), "-o", dir.File("out")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.Read("out/stack.json"), RunCorvida({"info", dir.File("s.stk"), "--json"}).out);
  // 8-bit stays unsigned; 16-bit is written little-endian; the rate in whole hertz.
  EXPECT_EQ(dir.Read("out/sounds/7.wav"), Text(WavFile(1, 8, 11025, {0x80, 0x10, 0xF0})));
  EXPECT_EQ(dir.Read("out/sounds/8.wav"), Text(WavFile(2, 16, 22050, {0x34, 0x12, 0x78, 0x56})));
  // MACE decodes to 16-bit: 10 packets of 6 samples in each of 2 channels.
  const std::string mace = dir.Read("out/sounds/9.wav");
  ASSERT_EQ(mace.size(), 44u + 10 * 6 * 2 * 2);
  EXPECT_EQ(mace.substr(0, 44), Text(WavFile(2, 16, 8000, SoundBytes(240))).substr(0, 44));
  EXPECT_EQ(dir.Read("out/sounds/10.wav"), "");
  EXPECT_NE(r.err.find("sound 10 \"broken\" cannot be read (alert 2390)"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("sound 7"), std::string::npos) << r.err;
}

TEST_F(Export, RefusesWhatItCannotOpenOrWrite) {
  dir.Write("junk.stk", std::string(200, 'x'));
  EXPECT_EQ(RunCorvida({"export", dir.File("junk.stk"), "-o", dir.File("out")}).status, 1);
  EXPECT_EQ(RunCorvida({"export", dir.File("none.stk"), "-o", dir.File("out")}).status, 1);
  EXPECT_EQ(RunCorvida({"export", dir.File("s.stk")}).status, 2);
  // The output folder is a file.
  dir.Write("taken", "x");
  CommandResult r = RunCorvida({"export", dir.File("s.stk"), "-o", dir.File("taken")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot make the folder"), std::string::npos) << r.err;
}

TEST(ExportBuild, SoundFilesThatCannotBeImportedStopTheBuild) {
  TempDir dir;
  dir.Write("a.wav", Text(WavFile(1, 16, 8000, {1, 2}, 3)));
  dir.Write("d.json", R"({"resources": [{"type": "Snd ", "id": 1, "sound": "a.wav"}]})");
  CommandResult r = RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("alert 2255"), std::string::npos) << r.err;
  dir.Write("d.json", R"({"resources": [{"type": "Snd ", "id": 1, "sound": "a.mp3"}]})");
  EXPECT_EQ(RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")}).status, 1);
}

}  // namespace
}  // namespace corvida
