// Callback commands on text objects, files, sounds, pictures and shapes: what each answers,
// what it changes, and that a token of the wrong kind, a stale one or a short block makes
// it do nothing.
#include <gtest/gtest.h>

#include "callbacks_fixture.h"
#include "platform/files.h"

namespace corvida::testing {
namespace {

class CallbackCommands : public Callbacks {
 protected:
  uint32_t Bytes(std::string_view s) {
    return D().NewBlock({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
  }
  std::string Read(uint32_t token, size_t limit = 1 << 20) {
    std::vector<uint8_t> b = D().ReadBlock(token, limit);
    return {b.begin(), b.end()};
  }
  // The text object of field "Notes" (command 58's p5).
  uint32_t NotesObject() {
    Run(58, {0, 1, Str("Notes")});
    return P(5);
  }
  uint32_t RectBlock(int l, int t, int r, int b) {
    std::vector<uint8_t> bytes(16);
    const int sides[] = {l, t, r, b};
    for (size_t i = 0; i < 4; ++i) WriteLE32(bytes, i * 4, uint32_t(sides[i]));
    return D().NewBlock(bytes);
  }
  // A slot record naming `path`.
  uint32_t SlotRecord(std::string_view path) {
    std::vector<uint8_t> record(FileSlots::kSlotSize);
    std::copy(path.begin(), path.end(), record.begin() + 4);
    return D().NewBlock(record);
  }
};

TEST_F(CallbackCommands, FieldTextObjectsInsertOnlyWhileTheirCardIsShown) {
  const uint32_t notes = NotesObject();
  ASSERT_NE(notes, 0u);
  EXPECT_EQ(NotesObject(), notes) << "the same field answers the same object";
  Run(58, {0xFFFE0000, 1, Str("Memo"), Str("Three")});
  EXPECT_EQ(P(5), 0u) << "a field of a card not shown has no text object";

  Run(25, {notes, Bytes("new "), 4});
  Run(58, {0, 1, Str("Notes")});
  EXPECT_EQ(Read(P(1)), "new old text");
  Run(25, {notes, Bytes("abcdef"), 2});  // the length is the caller's, within the block
  Run(58, {0, 1, Str("Notes")});
  EXPECT_EQ(Read(P(1)), "new abold text");

  window->navigation().GoToCard(11, 0, 0, false);
  Settle(1000);
  Run(25, {notes, Bytes("lost"), 4});
  window->navigation().GoToCard(10, 0, 0, false);
  Settle(1000);
  Run(58, {0, 1, Str("Notes")});
  EXPECT_EQ(Read(P(1)), "new abold text") << "typed in on the card, stored when it was left";
}

TEST_F(CallbackCommands, TextObjectTokensOfTheWrongKindDoNothing) {
  Run(20);
  const uint32_t card = P(1);
  const uint32_t notes = NotesObject();
  Run(106, {notes});
  const uint32_t text = Bytes("x");
  for (uint32_t token : {card, text, notes, notes ^ 0x00100000}) {
    Run(25, {token, text, 1});
    Run(36, {token});
    Run(44, {0, token, 0, 0, 10});
    EXPECT_EQ(P(1), 0u) << token;
  }
  Run(58, {0, 1, Str("Notes")});
  EXPECT_EQ(Read(P(1)), "old text");
  EXPECT_NE(P(5), 0u) << "disposing the name leaves the field its text";
}

TEST_F(CallbackCommands, ScrollingAFieldAnswersWhetherItReachedTheEnd) {
  std::string lines;
  for (int i = 0; i < 12; ++i) lines += "line " + std::to_string(i) + "\r";
  Run(59, {0, Bytes(lines), Str("Notes")});
  struct Case {
    const char* what;
    uint32_t p1, p5;
    uint32_t at_end;
  } cases[] = {
      {"a few pixels", 0, 4, 0},
      {"one line", 0, 0x80000000, 0},
      {"a page first", 0, 0x40000000, 0},
      {"far down", 0, 5000, 1},
      {"back to the top", 0, uint16_t(-5000), 0},
      {"a card part answers at once", 0xFFFE0000, 0, 1},
  };
  for (const Case& c : cases) {
    Run(44, {c.p1, 0, Str("Notes"), 0, c.p5});
    EXPECT_EQ(P(1), c.at_end) << c.what;
  }
  // No field by that name: the card's first text field.
  Run(44, {0, 0, 0, 0, 5000});
  EXPECT_EQ(P(1), 1u);
  Run(44, {0, 0, Str("Nobody"), 0, 5000});
  EXPECT_EQ(P(1), 0u) << "a name that matches nothing scrolls nothing";
}

TEST_F(CallbackCommands, CallersOwnTextObjectsAreBounded) {
  const uint32_t rect = RectBlock(0, 0, 50, 20);
  std::vector<uint32_t> made;
  for (size_t i = 0; i < CallbackDispatch::kOwnTextLimit; ++i) {
    Run(73, {rect});
    ASSERT_NE(P(1), 0u);
    made.push_back(P(1));
  }
  Run(73, {rect});
  EXPECT_EQ(P(1), 0u) << "one more than the limit";
  Run(25, {made[0], Bytes("hi"), 2});
  Run(106, {made[0]});
  Run(73, {rect});
  EXPECT_NE(P(1), 0u) << "disposing makes room";
  Run(73, {Bytes("short")});
  EXPECT_EQ(P(1), 0u) << "a rectangle needs sixteen bytes";
}

TEST_F(CallbackCommands, StackFileAndSlotRecords) {
  Run(13);
  ASSERT_NE(P(1), 0u);
  const std::string info = Read(P(1));
  ASSERT_GE(info.size(), 7u);
  EXPECT_EQ(info.substr(6), std::string("five.stk") + '\0');
  const std::string path = Read(P(2));
  EXPECT_NE(path.find("five.stk"), std::string::npos) << path;
  EXPECT_EQ(path.back(), '\0');

  Run(61);
  EXPECT_EQ(Read(P(1)).size(), size_t(FileSlots::kSlotSize) * FileSlots::kSlotCount);

  // A record goes to a reference and back.
  Run(15, {4});
  const uint32_t where = P(1);
  Run(81, {SlotRecord("C:\\sounds\\beep.wav"), where});
  const std::vector<uint8_t> held = D().ReadBlock(where, 4);
  const uint32_t reference = ReadLE32(held, 0);
  EXPECT_NE(Read(reference).find("C:\\sounds\\beep.wav"), std::string::npos);
  Run(15, {FileSlots::kSlotSize});
  const uint32_t record = P(1);
  Run(82, {reference, record});
  EXPECT_EQ(Read(record).substr(4, 18), "C:\\sounds\\beep.wav");
  EXPECT_EQ(player.files.Path(FileSlots::kScratch), "C:\\sounds\\beep.wav");
}

TEST_F(CallbackCommands, HostileSlotRecordsAreCutOrRefused) {
  // A record without terminators: the path and name end at their fields' ends.
  Run(15, {4});
  const uint32_t where = P(1);
  Run(81, {D().NewBlock(std::vector<uint8_t>(FileSlots::kSlotSize, 'A')), where});
  EXPECT_EQ(player.files.Path(FileSlots::kScratch).size(), size_t(FileSlots::kPathSize - 1));
  EXPECT_EQ(player.files.Name(FileSlots::kScratch).size(), size_t(FileSlots::kNameSize - 1));
  struct Case {
    const char* what;
    int16_t command;
    uint32_t p1, p2;
  } refused[] = {
      {"a short record", 81, Bytes("C:\\x"), where},
      {"no record", 81, 0, where},
      {"a reference that does not parse", 82, Bytes("\xff\xff"), 0},
  };
  const std::string before = player.files.Path(FileSlots::kScratch);
  for (const Case& c : refused) {
    Run(c.command, {c.p1, c.p2});
    EXPECT_EQ(player.files.Path(FileSlots::kScratch), before) << c.what;
  }
  // The answer goes only into a block that can hold it.
  Run(15, {2});
  const uint32_t small = P(1);
  Run(81, {SlotRecord("C:\\a.wav"), small});
  EXPECT_EQ(Read(small), std::string(2, '\0'));
}

TEST_F(CallbackCommands, SoundsByFileRecordAndByBlock) {
  struct Case {
    const char* what;
    int16_t command;
    uint32_t p1;
    const char* name;
    const char* logged;  // nullptr: nothing plays
  } cases[] = {
      {"a block by id", 55, 7, nullptr, "sound \"boing\""},
      {"a block by name", 55, 0, "BOING", "sound \"boing\""},
      {"an unknown id", 55, 8, nullptr, nullptr},
      {"an id beyond 16 bits", 55, 0x10007, nullptr, nullptr},
      {"an unknown name", 55, 0, "quack", nullptr},
      {"a file record", 54, 1, nullptr, "sound \"beep.wav\""},
      {"a record too short", 54, 2, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    log.clear();
    uint32_t p1 = c.p1;
    if (c.command == 54) p1 = c.p1 == 1 ? SlotRecord("C:\\nowhere\\beep.wav") : Bytes("C:\\x");
    Run(c.command, {p1, 0, c.name ? Str(c.name) : 0});
    const bool played = std::find(log.begin(), log.end(), c.logged ? c.logged : "") != log.end();
    EXPECT_EQ(played, c.logged != nullptr) << c.what;
    if (!c.logged) {
      EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const std::string& l) {
        return l.rfind("sound ", 0) == 0;
      })) << c.what;
    }
  }
  EXPECT_NE(player.files.Path(FileSlots::kSounds), "C:\\nowhere\\beep.wav")
      << "the sounds folder's slot is kept";
}

// Answers the file questions with paths of the test's choosing.
class ChosenFiles : public UnansweredQuestions {
 public:
  std::optional<std::string> ChooseTextFile(const std::string& prompt) override {
    prompts.push_back(prompt);
    return read;
  }
  std::optional<std::string> ChooseTextSavePath() override {
    prompts.push_back("save");
    return write;
  }
  std::optional<std::string> read, write;
  std::vector<std::string> prompts;
};

TEST_F(CallbackCommands, TextFilesTheUserPicks) {
  ChosenFiles chosen;
  window->set_questions(&chosen);
  Run(100);
  EXPECT_EQ(P(1), 0u) << "cancelled";
  tp.root.Write("notes.txt", "from a file");
  chosen.read = tp.root.File("notes.txt");
  Run(100);
  EXPECT_EQ(Read(P(1)), "from a file");
  EXPECT_EQ(chosen.prompts.back(), "Please choose a text file");

  chosen.write = tp.root.File("out.txt");
  Run(101, {Bytes("written")});
  EXPECT_EQ(P(1), 1u);
  std::vector<uint8_t> out;
  ASSERT_TRUE(ReadFileUpTo(*chosen.write, 100, out));
  EXPECT_EQ(std::string(out.begin(), out.end()), "written");
  const size_t asked = chosen.prompts.size();
  Run(101, {0x00100007});
  EXPECT_EQ(P(1), 0u);
  EXPECT_EQ(chosen.prompts.size(), asked) << "nothing to write: nobody is asked";
  window->set_questions(nullptr);
}

TEST_F(CallbackCommands, MarkedCardsPicturesAndShapes) {
  Run(91, {0xFFFE0000, 3, 0, Str("Three")});
  EXPECT_EQ(window->navigation().marked_id(), 12);
  Run(91, {0, 3});  // card One is not marked
  EXPECT_EQ(window->navigation().marked_id(), 12);

  Run(20);
  const uint32_t shown = P(1);
  Run(115, {shown});
  EXPECT_TRUE(D().tokens().Resolve(P(2), TokenKind::kBitmap));
  Run(117, {11});
  Run(115, {P(1)});
  EXPECT_EQ(P(2), 0u) << "only the shown card has a picture";

  const uint32_t cat = Str("Cat");
  Run(122, {0, 2, cat, 0, 0});
  EXPECT_EQ(P(2), 16u);
  const std::vector<uint8_t> area = D().ReadBlock(P(1), 16);
  ASSERT_EQ(area.size(), 16u);
  EXPECT_EQ(ReadLE32(area, 0), 110u);
  EXPECT_EQ(ReadLE32(area, 12), 50u);
  Run(122, {0, 2, cat, 0, 2});
  const uint32_t region = P(1);
  Run(107, {region});
  Run(111, {region});
  EXPECT_EQ(P(1), 0u) << "a new region is the caller's to dispose";

  auto pixels = [&] {
    const gfx::Bitmap& shown = window->shown();
    return std::vector<uint8_t>(shown.data(), shown.data() + shown.byte_size());
  };
  const std::vector<uint8_t> before = pixels();
  Run(122, {0, 2, cat, 0, 1});
  EXPECT_NE(pixels(), before);
  Run(122, {0, 2, cat, 0, 3});
  EXPECT_EQ(pixels(), before) << "inverting twice restores";
}

TEST_F(CallbackCommands, PicturesByPath) {
  tp.root.Write("pic.bmp", "BM");
  Run(162, {Bytes(std::string("pic.bmp") + '\0')});
  EXPECT_EQ(P(4), 1u);
  const uint32_t picture = P(3);
  EXPECT_TRUE(D().tokens().Resolve(picture, TokenKind::kBitmap));
  Run(162, {Bytes("pic.bmp")});
  EXPECT_EQ(P(3), picture) << "the same picture, the same name";
  Run(162, {Bytes("missing.bmp")});
  EXPECT_EQ(P(3) | P(4), 0u);
  Run(162, {0});
  EXPECT_EQ(P(3) | P(4), 0u);
}

}  // namespace
}  // namespace corvida::testing
