// Saving: byte-exact round trips, names converted back, the purge of unused resources,
// the workspace, and the temporary file that replaces the target.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "stack_fixture.h"
#include "stackfile/actions.h"
#include "stackfile/stack_io.h"

namespace corvida::testing {
namespace {

RecordBytes Stored(RecordBytes actn) {
  ConvertActionRecord({actn.data(), actn.size()}, Direction::kSave);
  return actn;
}

class Save : public ::testing::Test {
 protected:
  Save() : stack(handles) {}
  int Open(const StoredStack& s) {
    dir.Write("s.stk", ToString(s.Bytes()));
    return stack.Open(dir.File("s.stk")).code;
  }
  // A button that plays stack sound `id` ('Strk' when `strk`).
  static RecordBytes SoundButton(uint16_t button_id, uint16_t id, bool strk = false) {
    RecordBytes b = Button(button_id, "snd", action::kStackSound);
    RecordBytes e = NewActionEntry(action::kEntryStackSound, 32);
    Put16(e.data() + 16, id);
    if (strk) Put16(e.data() + 24, action::kSoundIsStrk);
    AppendToRecord(b, e);
    return b;
  }

  TempDir dir;
  RecordingAlertResponder presenter;
  Handles handles;
  HookLog log;
  Stack stack;
};

StoredStack RichStack() {
  StoredStack s;
  s.flags = header::kFlagKeepUnusedResources;
  RecordBytes bg = NewCardRecord(1, card::kKindBackground, 0);
  RecordBytes g = NewObject(object::kGraphic, 2, {0, 0, 8, 8}, object::kFlagExternalFile, 96);
  std::memcpy(g.data() + graphic::kPath, "Disk:Art:cat.bmp", 16);
  AppendObject(bg, g);
  RecordBytes f = NewObject(object::kTextField, 3, {0, 0, 9, 9}, 0, 160);
  Put32(f.data() + 128 + 12, 32);  // one text sub-block of 32 bytes
  AppendObject(bg, f);
  AppendObject(bg, NewObject(77, 4, {1, 1, 2, 2}, 0, 40));  // a type the player steps over
  s.AddCard(bg);
  RecordBytes c = NewCardRecord(5, card::kKindShared, 1);
  PutCountedName(c.data() + card::kName, card::kNameField, "Second");
  AppendObject(c, Button(6, "deleted", 0));
  Put16(c.data() + 96 + object::kFlags, object::kFlagDeleted);
  s.AddCard(c);
  s.resources.push_back({"Icon", 1, "icon", {1, 2, 3, 4, 5}});
  s.resources.back().data.resize(5);
  s.resources.push_back({"Snd ", 2, "gone", {9, 9}, resentry::kStateDeleted});
  StoredResource odd{"PPak", 3, "", {1, 2, 3}};
  odd.marker[0] = 0x23;
  odd.marker[1] = 0x43;
  s.resources.push_back(odd);
  RecordBytes actn = Button(4, "shared", action::kScript);
  RecordBytes script = NewActionEntry(action::kEntryScript, 40);
  std::memcpy(script.data() + 32, "print 1\r", 8);
  AppendToRecord(actn, script);
  s.resources.push_back({"Actn", 4, "", Stored(actn)});
  std::vector<uint8_t> nba(570, 0x5A);
  std::fill(nba.begin() + 4, nba.begin() + 8, 0);
  s.resources.push_back({"NBAs", 5, "Tool", nba});
  s.resources.push_back({"WKSp", 128, "", {'t', 'o', ' ', 'x'}});
  s.last_id = 9;
  return s;
}

TEST_F(Save, AStackSavedUnchangedIsTheSameFile) {
  StoredStack s = RichStack();
  // An 'Hlnk' with its text from 23 and a pad byte after it.
  std::vector<uint8_t> link(23, 0);
  PutBE16(&link[0], 8);
  PutBE16(&link[6], 3);
  for (int c : {0x61, 0x62, 0x63, 0x77}) link.push_back(static_cast<uint8_t>(c));
  s.resources.push_back({"Hlnk", 8, "", link});
  std::vector<uint8_t> original = s.Bytes();
  dir.Write("s.stk", ToString(original));
  ASSERT_EQ(stack.Open(dir.File("s.stk")).code, 0);
  ASSERT_EQ(log.Save(stack, dir.File("copy.stk")), 0);
  EXPECT_EQ(dir.Read("copy.stk"), ToString(original));
  ASSERT_EQ(log.Save(stack, dir.File("s.stk")), 0);  // over itself
  EXPECT_EQ(dir.Read("s.stk"), ToString(original));
  EXPECT_FALSE(std::filesystem::exists(dir.File("CVTMP000.TMP")));
  EXPECT_EQ(stack.path(), dir.File("s.stk"));
}

// A copy for a download is the file Save would write, changes included, while the stack
// stays with its own file, still marked changed, and its file is not touched.
TEST_F(Save, ACopyHoldsTheChangesAndLeavesTheStackWithItsFile) {
  const std::vector<uint8_t> original = RichStack().Bytes();
  dir.Write("s.stk", ToString(original));
  ASSERT_EQ(stack.Open(dir.File("s.stk")).code, 0);
  stack.SetWorkspace("to y");
  stack.SetHeader16(header::kAutoTimers, 1);
  ASSERT_TRUE(stack.changed());
  std::vector<uint8_t> copy{1, 2, 3};  // replaced, not appended to
  ASSERT_TRUE(stack.SaveCopy(copy).saved());
  EXPECT_EQ(stack.path(), dir.File("s.stk"));
  EXPECT_TRUE(stack.changed());
  EXPECT_EQ(dir.Read("s.stk"), ToString(original));
  ASSERT_EQ(log.Save(stack, dir.File("saved.stk")), 0);
  EXPECT_EQ(ToString(copy), dir.Read("saved.stk"));
  Stack reopened(handles);
  dir.Write("copy.stk", ToString(copy));
  ASSERT_EQ(reopened.Open(dir.File("copy.stk")).code, 0);
  EXPECT_EQ(reopened.Header16(header::kAutoTimers), 1);
  EXPECT_EQ(reopened.workspace(), "to y");
}

TEST_F(Save, NoStackHasNoCopy) {
  std::vector<uint8_t> copy;
  EXPECT_FALSE(stack.SaveCopy(copy).saved());
  EXPECT_TRUE(copy.empty());
}

TEST_F(Save, ResourcesAreReadFromTheSavedFileAfterwards) {
  ASSERT_EQ(Open(RichStack()), 0);
  ASSERT_EQ(log.Save(stack, dir.File("s.stk")), 0);
  ResourceEntry* e = stack.resources().Find(restype::kIcon, 1);
  handles.DisposeAndClear(&e->data);
  LockedHandle bytes(handles, stack.resources().Get(restype::kIcon, 1));
  ASSERT_EQ(bytes.size(), 5u);
  EXPECT_EQ(bytes.data()[4], 5);
}

TEST_F(Save, ConvertedNamesAreWrittenBackUnchanged) {
  StoredStack s;
  s.flags = header::kFlagMacNames;
  RecordBytes c = NewCardRecord(1, 0, 0);
  PutCountedName(c.data() + card::kName, card::kNameField, "\x8E\x80");
  AppendObject(c, Button(2, "Gr\x9A\xA7"));
  s.AddCard(c);
  std::vector<uint8_t> original = s.Bytes();
  dir.Write("s.stk", ToString(original));
  ASSERT_EQ(stack.Open(dir.File("s.stk")).code, 0);
  ASSERT_NE(stack.CardByName("\xE9\xC4"), 0);
  ASSERT_EQ(log.Save(stack, dir.File("s.stk")), 0);
  EXPECT_EQ(dir.Read("s.stk"), ToString(original));
}

TEST_F(Save, UnusedResourcesArePurgedUnlessTheStackKeepsThem) {
  StoredStack s;
  RecordBytes c = NewCardRecord(1, 0, 0);
  Put16(c.data() + card::kArriveAction, 20);
  AppendObject(c, SoundButton(2, 5));
  AppendObject(c, SoundButton(3, 5));
  AppendObject(c, SoundButton(4, 6, true));
  RecordBytes deleted = SoundButton(7, 8);
  Put16(deleted.data() + object::kFlags, object::kFlagDeleted);
  AppendObject(c, deleted);
  RecordBytes icon = Button(9, "icon");
  Put16(icon.data() + button::kDisplayFlags, button::kShowsIcon);
  Put16(icon.data() + button::kIconId, 30);
  AppendObject(c, icon);
  s.AddCard(c);
  s.resources.push_back({"Snd ", 5, "", {1}});
  s.resources.push_back({"Strk", 6, "", {1}});
  s.resources.push_back({"Snd ", 6, "", {1}});  // the button names a 'Strk' 6
  s.resources.push_back({"Snd ", 8, "", {1}});  // only a deleted button names it
  s.resources.push_back({"Icon", 30, "", {1}});
  s.resources.push_back({"Icon", 31, "Tool@big", {1}});  // named after an NBA
  s.resources.push_back({"Icon", 32, "Toolbox", {1}});
  s.resources.push_back({"NBAs", 40, "tool", {0, 0, 0, 0, 0, 0, 0, 0}});  // nothing calls it
  RecordBytes used = Button(20, "arrive");
  s.resources.push_back({"Actn", 20, "", Stored(used)});
  RecordBytes calls_nba = Button(21, "nba", action::kNba);
  RecordBytes entry = NewActionEntry(action::kEntryNba, 32);
  Put16(entry.data() + 16, 41);
  AppendToRecord(calls_nba, entry);
  s.resources.push_back({"Actn", 21, "", Stored(calls_nba)});  // not used: removed first
  s.resources.push_back({"NBAs", 41, "other", {0, 0, 0, 0, 0, 0, 0, 0}});

  StoredStack keep = s;
  keep.flags = header::kFlagKeepUnusedResources;
  ASSERT_EQ(Open(keep), 0);
  ASSERT_EQ(log.Save(stack, dir.File("k.stk")), 0);
  EXPECT_EQ(stack.resources().Count(restype::kSnd), 3);

  ASSERT_EQ(Open(s), 0);
  EXPECT_TRUE(stack.IsResourceUsed(restype::kSnd, 5));
  EXPECT_TRUE(stack.IsResourceUsed(restype::kIcon, 31));
  ASSERT_EQ(log.Save(stack, dir.File("p.stk")), 0);
  Resources& r = stack.resources();
  EXPECT_NE(r.Get(restype::kSnd, 5), 0);
  EXPECT_NE(r.Get(restype::kStrk, 6), 0);
  EXPECT_EQ(r.Get(restype::kSnd, 6), 0);
  EXPECT_EQ(r.Get(restype::kSnd, 8), 0);
  EXPECT_NE(r.Get(restype::kIcon, 30), 0);
  // Kept: icons are checked while the NBA named "tool" still exists; the NBA goes after.
  EXPECT_NE(r.Get(restype::kIcon, 31), 0);
  EXPECT_EQ(r.Get(restype::kNBAs, 40), 0);
  EXPECT_EQ(r.Get(restype::kIcon, 32), 0);
  EXPECT_NE(r.Get(restype::kActn, 20), 0);
  EXPECT_EQ(r.Get(restype::kActn, 21), 0);
  EXPECT_EQ(r.Get(restype::kNBAs, 41), 0);

  // The purged stack reopens with the same resources.
  ASSERT_EQ(stack.Open(dir.File("p.stk")).code, 0);
  EXPECT_EQ(stack.resources().Count(restype::kSnd), 1);
  EXPECT_EQ(stack.resources().Count(restype::kIcon), 2);
}

TEST_F(Save, NbaNamesKeepResourcesNamedAfterThem) {
  StoredStack s;
  s.AddCard(NewCardRecord(1, 0, 0));
  RecordBytes calls = Button(2, "nba", action::kNba);
  RecordBytes entry = NewActionEntry(action::kEntryNba, 32);
  Put16(entry.data() + 16, 40);
  AppendToRecord(calls, entry);
  RecordBytes c = NewCardRecord(3, 0, 0);
  AppendObject(c, calls);
  s.AddCard(c);
  s.resources.push_back({"NBAs", 40, "Tool", {0, 0, 0, 0, 0, 0, 0, 0}});
  s.resources.push_back({"Snd ", 1, "TOOL", {1}});
  s.resources.push_back({"Snd ", 2, "Tool@x", {1}});
  s.resources.push_back({"Snd ", 3, "Toolx", {1}});
  ASSERT_EQ(Open(s), 0);
  EXPECT_TRUE(stack.IsResourceUsed(restype::kNBAs, 40));
  EXPECT_TRUE(stack.IsResourceUsed(restype::kSnd, 1));
  EXPECT_TRUE(stack.IsResourceUsed(restype::kSnd, 2));
  EXPECT_FALSE(stack.IsResourceUsed(restype::kSnd, 3));
}

TEST_F(Save, WorkspaceIsStoredWhenItChanged) {
  StoredStack s;
  s.AddCard(NewCardRecord(1, 0, 0));
  s.resources.push_back({"WkSp", 128, "", {'o', 'l', 'd'}});
  ASSERT_EQ(Open(s), 0);
  EXPECT_EQ(stack.workspace(), "old");
  stack.SetWorkspace("to new\rend\r");
  ASSERT_EQ(log.Save(stack, dir.File("s.stk")), 0);
  ASSERT_EQ(stack.Open(dir.File("s.stk")).code, 0);
  EXPECT_EQ(stack.workspace(), "to new\rend\r");
  EXPECT_EQ(stack.resources().Count(restype::kWKSp), 1);
}

// What marks the stack changed, and what makes it match its file again.
TEST_F(Save, TheChangedFlagFollowsChangesAndSaves) {
  StoredStack s;
  s.AddCard(NewCardRecord(1, 0, 0));
  s.resources.push_back({"WkSp", 128, "", {'o', 'l', 'd'}});
  ASSERT_EQ(Open(s), 0);
  EXPECT_FALSE(stack.changed()) << "a stack just opened";
  const uint16_t timers = stack.Header16(header::kAutoTimers);
  stack.SetHeader16(header::kAutoTimers, timers);
  stack.SetWorkspace("old");
  EXPECT_FALSE(stack.changed()) << "the same values again";
  stack.SetHeader16(header::kAutoTimers, timers ^ 1);
  EXPECT_TRUE(stack.changed()) << "a header setting";
  ASSERT_EQ(log.Save(stack, dir.File("s.stk")), 0);
  EXPECT_FALSE(stack.changed()) << "saved";
  stack.SetWorkspace("new");
  EXPECT_TRUE(stack.changed()) << "the workspace";
  ASSERT_EQ(log.Save(stack, dir.File("other.stk")), 0);
  EXPECT_FALSE(stack.changed()) << "saved under another name";
  stack.MarkChanged();
  ASSERT_EQ(stack.Open(dir.File("s.stk")).code, 0);
  EXPECT_FALSE(stack.changed()) << "opened again";
  stack.MarkChanged();
  stack.Close();
  EXPECT_FALSE(stack.changed()) << "closed";
}

TEST_F(Save, ALockedTargetIsReportedAndKept) {
  ASSERT_EQ(Open(RichStack()), 0);
  dir.Write("locked.stk", "old");
  std::filesystem::permissions(dir.File("locked.stk"), std::filesystem::perms::owner_read);
  if (stackio::IsWritable(dir.File("locked.stk"))) GTEST_SKIP() << "running with root rights";
  EXPECT_EQ(log.Save(stack, dir.File("locked.stk")), -2688);
  EXPECT_EQ(log.file_errors, std::vector<int>{-2688});
  EXPECT_EQ(dir.Read("locked.stk"), "old");
}

TEST_F(Save, ANewStackSavesAndReopens) {
  ASSERT_EQ(stack.CreateNew(400, 300, 16), 0);
  RecordBytes c = NewCardRecord(1, card::kKindBackground, 0);
  AppendObject(c, Button(2, "Hello"));
  ASSERT_TRUE(stack.AddCard(HandleFromBytes(handles, c), 0));
  stack.SetHeader16(header::kFlags, header::kFlagKeepUnusedResources);
  ASSERT_EQ(stack.resources().Add(HandleFromBytes(handles, {1, 2, 3}), restype::kIcon, 0, "i"), 0);
  ASSERT_EQ(log.Save(stack, dir.File("new.stk")), 0);
  ASSERT_EQ(stack.Open(dir.File("new.stk")).code, 0);
  EXPECT_EQ(stack.CardCount(), 1);
  EXPECT_EQ(stack.Header16(header::kCardWidth), 400);
  EXPECT_EQ(stack.Header16(header::kColorDepth), 16);
  EXPECT_EQ(stack.resources().NthId(restype::kIcon, 1), 2);
  EXPECT_EQ(stack.Header16(header::kLastResourceId), 2);
}

TEST_F(Save, PlantedTemporaryNamesAreSkippedAndNeverWrittenThrough) {
  StoredStack s = RichStack();
  ASSERT_EQ(Open(s), 0);
  dir.Write("victim", "precious");
  // Links waiting under the first temporary names: one to a file, one to nowhere.
  ASSERT_EQ(symlink(dir.File("victim").c_str(), dir.File("CVTMP000.TMP").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("planted").c_str(), dir.File("CVTMP001.TMP").c_str()), 0);
  ASSERT_EQ(log.Save(stack, dir.File("s.stk")), 0);
  EXPECT_EQ(dir.Read("s.stk"), ToString(s.Bytes()));
  EXPECT_EQ(dir.Read("victim"), "precious");
  EXPECT_FALSE(std::filesystem::exists(dir.File("planted")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("CVTMP000.TMP")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("CVTMP002.TMP")));
}

TEST(SaveTemporaryFile, WritesGoToTheFileMadeEvenWhenItsNameIsSwappedForALink) {
  TempDir dir;
  dir.Write("victim", "precious");
  File file;
  const std::string temp = stackio::CreateTempSaveFile(dir.path(), file);
  ASSERT_EQ(temp, dir.File("CVTMP000.TMP"));
  ASSERT_EQ(rename(temp.c_str(), dir.File("made").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("victim").c_str(), temp.c_str()), 0);
  ASSERT_EQ(file.Write("stack", 5), 5);
  file.Close();
  EXPECT_EQ(dir.Read("victim"), "precious");
  EXPECT_EQ(dir.Read("made"), "stack");
}

}  // namespace
}  // namespace corvida::testing
