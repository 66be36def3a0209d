#include "stackfile/fileslots.h"
#include "stackfile/media_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "support/test_support.h"

namespace corvida {
namespace {

class FileSlotsTest : public ::testing::Test {
 protected:
  FileSlotsTest() {
    map.SetDrive('D', tp.root.path());
    tp.root.Write("program/CVSounds/ding.wav", "RIFF");
    tp.root.Write("program/CVArt/x.bmp", "BM");
    tp.root.Write("data/cvart/y.bmp", "BM");  // the user's own folder wins, any case
  }
  FileSlots Make() { return FileSlots(handles, tp.platform->folders(), map); }
  std::string Bytes(Handle h) {
    LockedHandle l(handles, h);
    return std::string(reinterpret_cast<const char*>(l.data()), l.size());
  }

  testing::TestPlatform tp;
  RecordingAlertResponder presenter;
  Handles handles;
  PathMap map;
};

TEST(FileTypes, LastExtensionDecidesWithoutRegardToCase) {
  EXPECT_EQ(FileType("PICTURE.BMP"), 0);
  EXPECT_EQ(FileType("song.mid.au"), 19);
  EXPECT_EQ(FileType("C:\\a.stk\\README"), -1);
  EXPECT_EQ(FileType("noext"), -1);
  EXPECT_EQ(FileType("trailing."), -1);
  EXPECT_EQ(FileType("Clip.AVI"), 17);
  EXPECT_TRUE(IsSoundFileType(FileType("x.aif")));
  EXPECT_TRUE(IsMovieFileType(FileType("x.mov")));
  EXPECT_FALSE(IsSoundFileType(FileType("x.txt")));
  EXPECT_EQ(FolderOf("C:\\a\\b\\c.stk"), "C:\\a\\b");
  EXPECT_EQ(SiblingPath("d.stk", "C:\\a\\b\\c.stk"), "C:\\a\\b\\d.stk");
  EXPECT_EQ(NamePart("C:\\a\\b\\c.stk"), "c.stk");
}

TEST_F(FileSlotsTest, PathsMapToTheHostMatchingCaseAndStayingInsideTheDrive) {
  tp.root.Write("Stacks/My Stack.STK", "x");
  EXPECT_EQ(map.ToHost("D:\\stacks\\my stack.stk"), tp.root.File("Stacks/My Stack.STK"));
  EXPECT_EQ(map.ToHost("d:/STACKS/./x/../My Stack.stk"), tp.root.File("Stacks/My Stack.STK"));
  EXPECT_EQ(map.ToHost("D:\\..\\..\\etc\\passwd"), tp.root.File("etc/passwd"));
  EXPECT_EQ(map.ToHost("D:\\stacks\\new\\file.txt"), tp.root.File("Stacks/new/file.txt"));
  EXPECT_EQ(map.ToHost("E:\\anything"), "");                 // no such drive
  EXPECT_EQ(map.ToHost(std::string("D:\\..\0\\x", 8)), "");  // a NUL would cut the path
  EXPECT_EQ(map.ToHost("D:\\caf\xE9.txt"), tp.root.File("caf\xC3\xA9.txt"));
  EXPECT_EQ(map.ToWindows(tp.root.File("Stacks/My Stack.STK")), "D:\\Stacks\\My Stack.STK");
  EXPECT_EQ(map.ToWindows("/usr/bin"), "C:\\usr\\bin");
}

TEST_F(FileSlotsTest, StartUpSlotsHoldTheProgramAndTheMediaFolders) {
  FileSlots slots = Make();
  EXPECT_EQ(slots.Path(1), "D:\\program\\CORVIDA.EXE");
  EXPECT_EQ(slots.Name(1), "CORVIDA.EXE");
  EXPECT_EQ(slots.Path(FileSlots::kSounds), "D:\\program\\CVSounds\\");
  EXPECT_EQ(slots.Path(FileSlots::kArt), "D:\\data\\CVArt\\");
  EXPECT_EQ(slots.HostPath(FileSlots::kArt), tp.root.File("data/cvart/"));
  EXPECT_EQ(slots.Path(FileSlots::kNbas), "D:\\program\\NBAs\\");
  for (const MediaFolder& folder : kMediaFolders) {
    const std::string path = slots.Path(folder.slot);
    EXPECT_EQ(path.substr(path.size() - folder.name.size() - 1, folder.name.size()), folder.name);
  }
  EXPECT_EQ(slots.Value298(5), 0xFFFF);
  EXPECT_EQ(slots.Value300(5), 0u);
  EXPECT_EQ(slots.Path(20), "");
  EXPECT_EQ(slots.SetPath(3, std::string(260, 'a')), -1);
  EXPECT_EQ(slots.Path(3), "D:\\program\\CORVIDA.EXE");
  EXPECT_EQ(slots.SetPath(3, "D:\\" + std::string(100, 'n')), 0);
  EXPECT_EQ(slots.Name(3).size(), 63u);
  EXPECT_EQ(slots.Copy(2, 0), 0);
  EXPECT_EQ(std::memcmp(slots.Raw(0).data(), slots.Raw(2).data(), FileSlots::kSlotSize), 0);
}

TEST_F(FileSlotsTest, ExactCountReadsWritesAndSeeks) {
  FileSlots slots = Make();
  slots.SetPath(5, "D:\\six.bin");
  File file;
  ASSERT_EQ(slots.Create(5, file), 0);
  uint32_t count = 6;
  EXPECT_EQ(WriteExact(file, count, "abcdef"), 0);
  count = 0;
  EXPECT_EQ(WriteExact(file, count, nullptr), 0);
  file.Close();
  ASSERT_EQ(slots.Open(5, 0, file), 0);
  char buffer[10];
  count = 10;
  EXPECT_EQ(ReadExact(file, count, buffer), -1);
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(SeekTo(file, 0, 100), 0);
  int64_t at = 0;
  EXPECT_EQ(TellPosition(file, at), 0);
  EXPECT_EQ(at, 100);
  EXPECT_EQ(SeekTo(file, 0, -1), -1);
  count = 1;
  EXPECT_EQ(WriteExact(file, count, "x"), -1);  // opened for reading
  slots.SetPath(6, "D:\\missing.bin");
  EXPECT_EQ(slots.Open(6, 0, file), -1);
}

TEST_F(FileSlotsTest, WholeFilesLoadWriteCopyAndInfo) {
  FileSlots slots = Make();
  tp.root.Write("in.txt", "0123456789");
  tp.root.Write("empty.txt", "");
  slots.SetPath(5, "D:\\IN.TXT");
  Handle h = 0;
  ASSERT_EQ(slots.LoadFile(5, &h, 4), 0);
  EXPECT_EQ(Bytes(h), "0123");
  handles.Dispose(h);
  ASSERT_EQ(slots.LoadFile(5, &h, 0), 0);
  EXPECT_EQ(Bytes(h), "0123456789");
  slots.SetPath(6, "D:\\out.txt");
  EXPECT_EQ(slots.WriteHandleToFile(h, 11, 6), -1);  // more than the handle holds
  EXPECT_EQ(slots.WriteHandleToFile(h, 3, 6), 0);
  EXPECT_EQ(tp.root.Read("out.txt"), "012");
  EXPECT_EQ(slots.CopyFile(5, 6), 0);
  EXPECT_EQ(tp.root.Read("out.txt"), "0123456789");
  slots.SetPath(7, "D:\\empty.txt");
  Handle none = 0;
  EXPECT_EQ(slots.LoadFile(7, &none, 0), -1);
  slots.SetPath(7, "D:\\nothing.txt");
  EXPECT_EQ(slots.LoadFile(7, &none, 0), -1);
  EXPECT_EQ(none, 0);

  SlotFileInfo info = slots.Info(5);
  EXPECT_TRUE(info.exists);
  EXPECT_EQ(info.size, 10);
  EXPECT_FALSE(slots.Info(7).exists);
  EXPECT_EQ(slots.CheckSaveTarget(5), 0);
  if (geteuid() != 0) {  // root may write anything
    chmod(tp.root.File("in.txt").c_str(), 0444);
    EXPECT_TRUE(slots.Info(5).locked);
    EXPECT_EQ(slots.CheckSaveTarget(5), -2688);
  }
  EXPECT_TRUE(slots.Exists("d:\\in.txt"));
  EXPECT_TRUE(slots.Delete("D:\\out.txt"));
  EXPECT_FALSE(slots.Exists("D:\\out.txt"));
  EXPECT_EQ(slots.FullPath("D:\\x\\..\\in.txt"), "D:\\in.txt");
  EXPECT_GT(slots.FreeSpace("D:\\not\\yet\\made.stk"), 0);
  EXPECT_EQ(slots.FirstAbsentDriveLetter(), 'A');
}

TEST_F(FileSlotsTest, TemporarySaveNamesCountUpAndNeverReplace) {
  FileSlots slots = Make();
  slots.SetPath(16, "D:\\saves\\target.stk");
  tp.root.Write("saves/CVTMP000.TMP", "");
  tp.root.Write("saves/cvtmp001.tmp", "keep");
  // A link counts as taken, even one leading nowhere.
  ASSERT_EQ(symlink(tp.root.File("nowhere").c_str(), tp.root.File("saves/CVTMP002.TMP").c_str()),
            0);
  File file;
  ASSERT_EQ(slots.CreateTempSaveFile(16, 0, file), 0);
  EXPECT_EQ(slots.Path(0), "D:\\saves\\CVTMP003.TMP");
  EXPECT_FALSE(FileExists(tp.root.File("nowhere")));
  for (int n = 3; n <= 9; ++n) tp.root.Write("saves/CVTMP00" + std::to_string(n) + ".TMP", "");
  ASSERT_EQ(slots.CreateTempSaveFile(16, 0, file), 0);
  EXPECT_EQ(slots.Path(0), "D:\\saves\\CVTMP010.TMP");
  EXPECT_EQ(tp.root.Read("saves/cvtmp001.tmp"), "keep");

  slots.SetPath(16, "D:\\full\\target.stk");
  char name[32];
  mkdir(tp.root.File("full").c_str(), 0755);
  for (int n = 0; n < 1000; ++n) {
    std::snprintf(name, sizeof name, "full/CVTMP%03d.TMP", n);
    tp.root.Write(name, "");
  }
  EXPECT_EQ(slots.CreateTempSaveFile(16, 0, file), -1);
  slots.SetPath(16, "D:\\no\\such\\folder\\t.stk");
  EXPECT_EQ(slots.CreateTempSaveFile(16, 0, file), -1);
}

TEST_F(FileSlotsTest, ReferencesSerializeParseAndRequestMissingFiles) {
  FileSlots slots = Make();
  slots.SetPath(5, "D:\\abc.stk");  // even length: one pad byte
  Handle h = slots.Serialize(5);
  const std::string bytes = Bytes(h);
  EXPECT_EQ(bytes, std::string("D:\\abc.stk\0\0\xFF\xFF\0\0\0\0abc.stk\0", 26));
  FileReference ref;
  auto span = std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(ParseFileReference(span, ref), 26);
  EXPECT_EQ(ref.path, "D:\\abc.stk");
  EXPECT_EQ(ref.name, "abc.stk");
  EXPECT_EQ(ref.value298, 0xFFFF);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_EQ(ParseFileReference(span.first(cut), ref), -1) << cut;
  }
  EXPECT_EQ(ParseFileReference({}, ref), -1);  // no bytes at all, not even a pointer
  const std::string long_path(300, 'p');
  EXPECT_EQ(
      ParseFileReference(
          std::span(reinterpret_cast<const uint8_t*>(long_path.data()), long_path.size()), ref),
      -1);

  std::vector<std::string> requested;
  slots.SetRequestHook([&](const FileReference& r) { requested.push_back(r.path); });
  tp.root.Write("here.stk", "x");
  EXPECT_EQ(slots.EnsureFilePresent({"D:\\HERE.STK", 0xFFFF, 0, "HERE.STK"}, 8), 1);
  EXPECT_EQ(slots.Path(8), "D:\\HERE.STK");
  EXPECT_EQ(slots.EnsureFilePresent({"D:\\away.stk", 1, 2, "away.stk"}, 8), 0);
  EXPECT_EQ(slots.Value300(8), 2u);
  EXPECT_EQ(requested, std::vector<std::string>{"D:\\away.stk"});
}

}  // namespace
}  // namespace corvida
