// The resource area: the marker and damage rules, deleted entries, padding, lookups,
// unique IDs and loading on demand.
#include <gtest/gtest.h>

#include "stack_fixture.h"
#include "stackfile/actions.h"
#include "stackfile/stack_io.h"

namespace corvida::testing {
namespace {

class ResourceArea : public ::testing::Test {
 protected:
  ResourceArea() : stack(handles) { base.AddCard(NewCardRecord(1, card::kKindCard, 0)); }
  int Open(const StoredStack& s, const StackOpenOptions& options = {}) {
    dir.Write("s.stk", ToString(s.Bytes()));
    return log.Open(stack, dir.File("s.stk"), options);
  }
  std::string Data(Handle h) {
    LockedHandle bytes(handles, h);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  Resources& res() { return stack.resources(); }

  TempDir dir;
  RecordingAlertResponder presenter;
  Handles handles;
  HookLog log;
  Stack stack;
  StoredStack base;
};

TEST_F(ResourceArea, UnknownTypesNeedTheMarker) {
  for (auto [m0, accepted] : {std::pair{0x21, true}, {0x25, true}, {0x26, false}, {0x20, false}}) {
    StoredStack s = base;
    s.resources.push_back({"Snd ", 1, "a", {1}});
    s.resources.push_back({"Snd ", 2, "b", {2}});
    StoredResource odd{"PPak", 3, "", {9, 9}};
    odd.marker[0] = static_cast<uint8_t>(m0);
    odd.marker[1] = 0x43;
    s.resources.push_back(odd);
    log = {};
    log.answer = 1;
    ASSERT_EQ(Open(s), 0);
    if (accepted) {
      EXPECT_TRUE(log.alerts.empty());
      EXPECT_EQ(Data(res().Get(restype::kPPak, 3)), std::string("\x09\x09"));
    } else {
      // The damaged block and the one read before it are dropped.
      EXPECT_EQ(log.alerts, std::vector<int>{strid::kDamagedResources});
      EXPECT_EQ(res().Count(restype::kSnd), 1);
      EXPECT_EQ(res().Get(restype::kSnd, 2), 0);
      EXPECT_EQ(res().Get(restype::kPPak, 3), 0);
    }
  }
}

TEST_F(ResourceArea, DamagedBlocksAskWhetherToKeepWhatWasRead) {
  StoredStack s = base;
  s.resources.push_back({"Icon", 1, "", {1, 2, 3, 4}});
  StoredResource bad{"Icon", 2, "", {1, 2, 3, 4, 5}};
  bad.stored_length = 4;  // data longer than its room
  s.resources.push_back(bad);
  log.answer = 2;  // Cancel: the stack has no resource area, hence no cards
  EXPECT_EQ(Open(s), -1);
  EXPECT_EQ(log.alerts, (std::vector<int>{strid::kDamagedResources, strid::kNoCardsRead}));
  EXPECT_FALSE(stack.is_open());

  StoredStack first = base;
  StoredResource past{"Icon", 1, "", {1, 2, 3, 4}};
  past.stored_length = 1 << 30;  // runs past the end of the file
  first.resources.push_back(past);
  first.resources.push_back({"Icon", 2, "", {1}});
  log = {};
  ASSERT_EQ(Open(first), 0);
  EXPECT_EQ(res().Count(restype::kIcon), 0);

  StoredStack counted = base;
  counted.resources.push_back({"Icon", 1, "", {1}});
  counted.resources.push_back({"Icon", 2, "", {1}});
  counted.resources.push_back({"Icon", 3, "", {1}});
  counted.resource_count = 65536;  // more than the file holds
  log = {};
  ASSERT_EQ(Open(counted), 0);
  EXPECT_EQ(log.alerts, std::vector<int>{strid::kDamagedResources});
  EXPECT_EQ(res().Count(restype::kIcon), 2);
}

TEST_F(ResourceArea, DeletedEntriesKeepTheirPlaceButAreNeverFound) {
  StoredStack s = base;
  s.resources.push_back({"Snd ", 1, "gone", {1, 2, 3}, resentry::kStateDeleted});
  s.resources.push_back({"Snd ", 1, "kept", {4, 5, 6, 7, 8}});
  ASSERT_EQ(Open(s), 0);
  ASSERT_EQ(res().current()->entries.size(), 2u);
  EXPECT_EQ(res().current()->entries[0].data, 0);  // never read
  EXPECT_EQ(res().Count(restype::kSnd), 1);
  Handle h = res().Get(restype::kSnd, 1);
  EXPECT_EQ(Data(h), std::string("\x04\x05\x06\x07\x08"));
  EXPECT_EQ(res().GetByName(restype::kSnd, "GONE"), 0);
  EXPECT_EQ(res().GetByName(restype::kSnd, "KEPT"), h);
  EXPECT_EQ(res().IndexOf(restype::kSnd, 1), 1);
  // Five bytes occupy eight: the area is 68 + 4 + 68 + 8 bytes.
  EXPECT_EQ(res().current()->AreaSize(), 148u);
  EXPECT_EQ(res().current()->entries[1].file_offset - res().current()->entries[0].file_offset, 72);
}

TEST_F(ResourceArea, LookupsInfoAndNames) {
  StoredStack s = base;
  s.resources.push_back({"Icon", 7, "one", {1}});
  s.resources.push_back({"Snd ", 7, "two", {2}});
  s.resources.push_back({"Icon", 9, "three", {3}});
  ASSERT_EQ(Open(s), 0);
  EXPECT_EQ(res().Count(restype::kIcon), 2);
  EXPECT_EQ(res().NthId(restype::kIcon, 2), 9);
  EXPECT_EQ(res().NthId(restype::kIcon, 3), 0);
  EXPECT_EQ(res().GetIndexed(restype::kIcon, 2), res().Get(restype::kIcon, 9));
  EXPECT_EQ(res().Size(restype::kSnd, 7), 1u);
  FourCC type = 0;
  uint16_t id = 0;
  std::string name;
  EXPECT_EQ(res().Info(res().Get(restype::kSnd, 7), &type, &id, &name, nullptr), 0);
  EXPECT_EQ(type, restype::kSnd);
  EXPECT_EQ(name, "two");
  EXPECT_EQ(res().Info(12345, &type, &id, &name, nullptr), resentry::kFailed);
  EXPECT_EQ(res().SetName(restype::kIcon, 7, std::string(32, 'x')), 0);
  EXPECT_EQ(res().current()->entries[0].Name(), "one");  // too long: unchanged
  EXPECT_EQ(res().SetName(restype::kIcon, 7, "renamed"), 0);
  EXPECT_EQ(res().current()->entries[0].Name(), "renamed");
}

TEST_F(ResourceArea, UniqueIdsWrapAndAreWrittenToTheLocalFile) {
  StoredStack s = base;
  s.last_id = 65534;
  s.resources.push_back({"Icon", 65535, "", {1}});
  s.resources.push_back({"Icon", 1, "", {1}});
  ASSERT_EQ(Open(s), 0);
  EXPECT_EQ(res().UniqueId(), 2);  // skips 65535, 0 and 1
  std::string file = dir.Read("s.stk");
  EXPECT_EQ(GetBE16(reinterpret_cast<const uint8_t*>(file.data()) + 68), 2);

  StackOpenOptions downloaded;
  downloaded.from_download = true;
  ASSERT_EQ(Open(s, downloaded), 0);
  EXPECT_EQ(res().UniqueId(), 2);
  file = dir.Read("s.stk");
  EXPECT_EQ(GetBE16(reinterpret_cast<const uint8_t*>(file.data()) + 68), 65534);
}

TEST_F(ResourceArea, AddingFailsWhenEveryIdIsTaken) {
  ASSERT_EQ(stack.CreateNew(320, 240, 8), 0);
  for (int i = 0; i < 65535; ++i) {
    Handle h = handles.New(0);
    ASSERT_EQ(res().Add(h, restype::kIcon, static_cast<uint16_t>(i + 1), ""), 0);
  }
  Handle extra = handles.New(1);
  EXPECT_EQ(res().Add(extra, restype::kIcon, 0, ""), resentry::kFailed);
  handles.Dispose(extra);
}

TEST_F(ResourceArea, DataIsReloadedWhenItsHandleWasEmptied) {
  StoredStack s = base;
  s.resources.push_back({"Icon", 4, "", {7, 8, 9}});
  ASSERT_EQ(Open(s), 0);
  ResourceEntry* e = res().Find(restype::kIcon, 4);
  handles.DisposeAndClear(&e->data);
  Handle again = res().Get(restype::kIcon, 4);
  EXPECT_EQ(Data(again), std::string("\x07\x08\x09"));
}

TEST_F(ResourceArea, DetachAndStore) {
  ASSERT_EQ(stack.CreateNew(320, 240, 8), 0);
  Handle h = HandleFromBytes(handles, {1, 2});
  uint16_t id = 0;
  ASSERT_EQ(res().Add(h, restype::kSnd, 0, "s", &id), 0);
  EXPECT_EQ(id, 2);
  EXPECT_EQ(res().Detach(h), 0);
  EXPECT_NE(res().Get(restype::kSnd, id), h);
  handles.Dispose(h);  // the caller owns it now
  EXPECT_EQ(Data(res().Get(restype::kSnd, id)), std::string("\x01\x02"));

  Handle replacement = HandleFromBytes(handles, {5});
  EXPECT_EQ(res().Store(restype::kSnd, id, replacement, "t",
                        Resources::kStoreReplace | Resources::kStoreCopy),
            0);
  EXPECT_EQ(Data(res().Get(restype::kSnd, id)), std::string("\x05"));
  EXPECT_NE(res().Get(restype::kSnd, id), replacement);
  EXPECT_EQ(res().Count(restype::kSnd), 1);
  handles.Dispose(replacement);
  EXPECT_EQ(res().Store(restype::kSnd, id, 0, "renamed", Resources::kStoreRenameOnly), 0);
  EXPECT_EQ(res().Find(restype::kSnd, id)->Name(), "renamed");
}

TEST_F(ResourceArea, ActionRecordsAndReferencesAreConvertedOnLoad) {
  StoredStack s = base;
  RecordBytes actn = Button(12, "shared", action::kNba);
  RecordBytes entry = NewActionEntry(action::kEntryNba, 32);
  Put16(entry.data() + 16, 40);
  AppendToRecord(actn, entry);
  ConvertActionRecord({actn.data(), actn.size()}, Direction::kSave);
  s.resources.push_back({"Actn", 12, "", actn});
  std::vector<uint8_t> nba(600, 0);
  PutBE32(&nba[4], 0x12345678);
  s.resources.push_back({"NBAs", 40, "", nba});
  ASSERT_EQ(Open(s), 0);
  LockedHandle a(handles, res().Get(restype::kActn, 12));
  Bytes v{a.data(), a.size()};
  EXPECT_EQ(Field16(v, button::kActionFlags), action::kNba);
  EXPECT_EQ(Field16(v, FindEntry(v, action::kEntryNba) + 16), 40);
  LockedHandle n(handles, res().Get(restype::kNBAs, 40));
  EXPECT_EQ(Get32(n.data() + 4), 0u);
}

}  // namespace
}  // namespace corvida::testing
