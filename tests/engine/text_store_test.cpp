// Field text in records and files: reading the stored forms, writing them back, storing
// the changed fields of a card, and external text files.
#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/fieldtext.h"
#include "platform/files.h"
#include "stackfile/mactext.h"
#include "tests/engine/card_fixture.h"
#include "tests/support/test_support.h"

namespace corvida {
namespace {

using testing::FieldRecord;

// A sub-block in native header form with its data as stored.
RecordBytes Block(uint16_t kind, uint32_t count, const std::string& data) {
  RecordBytes b(fieldtext::kHeaderSize + ((data.size() + 1) & ~size_t{1}), 0);
  Put16(b.data(), kind);
  Put32(b.data() + 4, count);
  Put32(b.data() + 8, static_cast<uint32_t>(data.size()));
  Put32(b.data() + 12, static_cast<uint32_t>(b.size()));
  std::copy(data.begin(), data.end(), b.begin() + fieldtext::kHeaderSize);
  return b;
}

std::string StoredRun(uint32_t start, uint16_t font, uint16_t size, uint16_t style,
                      const uint8_t* rgb = nullptr) {
  std::string r(fieldtext::kRunSize, '\0');
  auto* p = reinterpret_cast<uint8_t*>(r.data());
  PutBE32(p, start);
  PutBE16(p + 4, font);
  PutBE16(p + 6, size);
  PutBE16(p + 8, style);
  if (rgb) p[12] = 1, p[13] = rgb[0], p[14] = rgb[1], p[15] = rgb[2];
  return r;
}

RecordBytes Field(uint16_t id, Rect rect, const std::vector<RecordBytes>& blocks,
                  uint16_t flags = 0, uint16_t field_flags = 0) {
  RecordBytes f = FieldRecord(id, rect, flags, field_flags);
  for (const auto& b : blocks) AppendToRecord(f, b);
  return f;
}

const std::vector<FontEntry> kFonts = {{"Geneva", 3}, {"Times", 20}, {"Courier", 22}};

TEST(FieldTextStore, ReadsTextAndRunsWithFontsOfTheList) {
  const uint8_t green[3] = {0, 200, 0};
  RecordBytes rec =
      Field(1, {0, 0, 100, 50},
            {Block(fieldtext::kKindText, 0, "caf\x8E Times"),
             Block(fieldtext::kKindStyles, 3,
                   StoredRun(0, 3, 12, 0) + StoredRun(5, 20, 18, font_style::kBold, green) +
                       StoredRun(8, 99, 0, 0))});
  FieldContent c = ReadFieldContent({rec.data(), rec.size()}, kFonts);
  EXPECT_EQ(c.text, "caf\xE9 Times");  // Mac Roman shown in Windows characters
  ASSERT_TRUE(c.styled);
  ASSERT_EQ(c.runs.size(), 3u);
  EXPECT_EQ(c.runs[1].start, 5u);
  EXPECT_EQ(c.runs[1].style.font, "Times");
  EXPECT_EQ(c.runs[1].style.size, 18);
  EXPECT_EQ(c.runs[1].style.style, font_style::kBold);
  EXPECT_TRUE(c.runs[1].style.own_colour);
  EXPECT_EQ(c.runs[1].style.colour, (gfx::Rgb{0, 200, 0}));
  // An unknown font number takes the first font, a size of 0 the default size.
  EXPECT_EQ(c.runs[2].style.font, "Geneva");
  EXPECT_EQ(c.runs[2].style.size, kDefaultFontSize);
}

TEST(FieldTextStore, FallsBackToPlainTextWhenStylesCannotBeRead) {
  for (const std::string& runs : std::vector<std::string>{
           StoredRun(4, 20, 12, 0) + StoredRun(0, 20, 12, 0),  // not starting at 0, out of order
           std::string("short")}) {
    RecordBytes rec = Field(
        1, {0, 0, 100, 50},
        {Block(fieldtext::kKindText, 0, "plain text"), Block(fieldtext::kKindStyles, 2, runs)});
    FieldContent c = ReadFieldContent({rec.data(), rec.size()}, kFonts);
    EXPECT_EQ(c.text, "plain text");
    EXPECT_FALSE(c.styled);
    ASSERT_EQ(c.runs.size(), 1u);
    EXPECT_EQ(c.runs[0].style.font, "Geneva");
    EXPECT_FALSE(c.runs[0].style.own_colour);  // the field's own colour
  }
  // Text kept by other tools in a sub-block of another kind is still shown.
  RecordBytes old = Field(1, {0, 0, 100, 50}, {Block(7, 0, "\x01\x02"), Block(9, 0, "Hello\r")});
  EXPECT_EQ(ReadFieldContent({old.data(), old.size()}, kFonts).text, "Hello\r");
  // A record without sub-blocks is an empty field.
  RecordBytes empty = FieldRecord(1, {0, 0, 100, 50});
  EXPECT_EQ(ReadFieldContent({empty.data(), empty.size()}, kFonts).text, "");
}

TEST(FieldTextStore, WritingKeepsUnknownBlocksAndSurvivesTheStoredConversion) {
  RecordBytes unknown = Block(0x4242, 7, "opaque!");
  RecordBytes rec = Field(1, {0, 0, 100, 50},
                          {unknown, Block(fieldtext::kKindText, 0, "old"),
                           Block(fieldtext::kKindStyles, 1, StoredRun(0, 22, 9, 0))});
  rec.push_back(0xAB);  // a byte after the last whole block
  Put32(rec.data() + object::kLength, static_cast<uint32_t>(rec.size()));
  FieldContent c = ReadFieldContent({rec.data(), rec.size()}, kFonts);

  TextObject text(nullptr, {0, 0, 100, 50});
  text.SetText(c.text, c.runs);
  text.SetSelection(3, 3);
  text.InsertStyled(" \xE9t\xE9", TextStyle{"Times", 20, 14, font_style::kItalic, false, {}});
  std::vector<uint8_t> out = WriteFieldContent({rec.data(), rec.size()}, text);

  EXPECT_EQ(Get32(out.data() + object::kLength), out.size());
  EXPECT_TRUE(std::equal(unknown.begin(), unknown.end(), out.begin() + field::kSubBlocks));
  EXPECT_EQ(out.back(), 0xAB);
  FieldContent back = ReadFieldContent({out.data(), out.size()}, kFonts);
  EXPECT_EQ(back.text, "old \xE9t\xE9");
  EXPECT_EQ(back.runs, text.runs());
  // The text is stored as Mac Roman.
  EXPECT_NE(std::string(out.begin(), out.end()).find("old \x8Et\x8E"), std::string::npos);

  // Through the file's byte order and back, every byte is the same.
  std::vector<uint8_t> stored = out;
  Bytes view{stored.data(), stored.size()};
  ConvertTextField(view, Direction::kSave);
  ConvertObjectHeader(view, Direction::kSave);
  ConvertObjectHeader(view, Direction::kLoad);
  ConvertTextField(view, Direction::kLoad);
  EXPECT_EQ(stored, out);

  // Emptied text still writes blocks that the conversion walks.
  text.SetText("");
  text.dirty = true;
  out = WriteFieldContent({rec.data(), rec.size()}, text);
  std::vector<corvida::SubBlock> blocks = WalkSubBlocks({out.data(), out.size()});
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[1].kind, fieldtext::kKindText);
  EXPECT_EQ(blocks[1].data_length, 0u);
}

TEST(FieldTextStore, BuiltBlocksAndFontListsReadBack) {
  std::vector<FontEntry> fonts = ReadFontList(nullptr, 0);
  EXPECT_EQ(fonts.size(), 1u);  // a list without entries still has one font
  std::vector<uint8_t> list = FontListBytes({{"Gen\xE9va", 3}, {"Times", 20}});
  fonts = ReadFontList(list.data(), list.size());
  ASSERT_EQ(fonts.size(), 2u);
  EXPECT_EQ(fonts[0].name, "Gen\xE9va");
  EXPECT_EQ(fonts[1].number, 20);

  TextStyle bold{"", 20, 14, font_style::kBold, false, {}};
  RecordBytes rec = FieldRecord(1, {0, 0, 100, 50});
  AppendToRecord(rec, FieldTextBlocks("one\rtwo", {{0, {}}, {4, bold}}));
  FieldContent c = ReadFieldContent({rec.data(), rec.size()}, fonts);
  EXPECT_EQ(c.text, "one\rtwo");
  ASSERT_EQ(c.runs.size(), 2u);
  EXPECT_EQ(c.runs[1].style.font, "Times");
  EXPECT_EQ(c.runs[1].style.style, font_style::kBold);
}

class FieldCards : public testing::CardFixture {
 protected:
  FieldCards() {
    // The stack's font list: Geneva 3 and Times 20.
    Handle list = stack.font_list();
    handles.SetSize(list, 2 * 92);
    LockedHandle bytes(handles, list);
    std::fill(bytes.data(), bytes.data() + 2 * 92, 0);
    PutCountedName(bytes.data(), 64, "Geneva");
    PutBE16(bytes.data() + 64, 3);
    PutCountedName(bytes.data() + 92, 64, "Times");
    PutBE16(bytes.data() + 92 + 64, 20);
    services.fonts = tp.platform->fonts();
    services.roots.stack_folder = dir.path();
    services.local_stack = true;
    painter = std::make_unique<TextFieldPainter>(handles, stack, services);
    RenderServices rs;
    rs.fonts = services.fonts;
    rs.fields = painter.get();
    view = std::make_unique<CardView>(handles, stack, rs);
  }
  TextObject& TextOf(uint16_t id) {
    DisplayItem* item = view->display_list().Find(object::kTextField, id);
    EXPECT_NE(item, nullptr);
    return FieldTextOf(*item)->text;
  }
  std::string RecordText(Handle card, uint16_t id) {
    ObjectRef obj = FindObjectById(stack, handles, card, object::kTextField, id);
    LockedHandle bytes(handles, obj.card);
    Bytes c{bytes.data(), bytes.size()};
    Bytes rec = c.Sub(obj.offset, ObjectLengthAt(c, obj.offset));
    return ReadFieldContent(rec, StackFonts(handles, stack)).text;
  }

  testing::TestPlatform tp;
  testing::TempDir dir;
  FieldTextServices services;
  std::unique_ptr<TextFieldPainter> painter;
  std::unique_ptr<CardView> view;
};

TEST_F(FieldCards, EditedFieldsAreStoredAndShownAgainOnReturn) {
  AddBackground(10, 0, 0,
                {Field(5, {10, 80, 150, 110}, {Block(fieldtext::kKindText, 0, "shared")},
                       object::kFlagShared)});
  Handle card = AddCard(11, card::kKindShared, 10,
                        {Field(1, {10, 10, 150, 40}, {Block(fieldtext::kKindText, 0, "first")}),
                         Field(2, {10, 45, 150, 75}, {Block(fieldtext::kKindText, 0, "second")})});
  ASSERT_TRUE(view->ShowCard(card, 0, 0, true, nullptr));
  EXPECT_EQ(TextOf(1).text(), "first");
  EXPECT_EQ(TextOf(1).runs()[0].style.font, "Geneva");  // plain text: the first font

  // The first field grows: the second, after it in the same record, must survive.
  TextOf(1).SetSelection(5, 5);
  TextOf(1).Insert(" field, now much longer than it was");
  TextOf(5).SetSelection(0, 6);
  TextOf(5).Insert("common");
  EXPECT_EQ(SaveFieldTexts(stack, handles, view->display_list(), card, services), 2);
  EXPECT_FALSE(TextOf(1).dirty);
  EXPECT_EQ(SaveFieldTexts(stack, handles, view->display_list(), card, services), 0);

  view->ClearDisplayList();
  ASSERT_TRUE(view->ShowCard(card, 0, 0, true, nullptr));
  EXPECT_EQ(TextOf(1).text(), "first field, now much longer than it was");
  EXPECT_EQ(TextOf(2).text(), "second");
  EXPECT_EQ(TextOf(5).text(), "common");
  EXPECT_EQ(RecordText(stack.CardById(10), 5), "common");  // stored in the background
  LockedHandle bytes(handles, card);
  EXPECT_EQ(Get32(bytes.data() + card::kLength), bytes.size());
}

TEST_F(FieldCards, ScrollPositionIsKeptInTheRecord) {
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "line\r";
  Handle card = AddCard(11, card::kKindCard, 0,
                        {Field(1, {10, 10, 150, 40}, {Block(fieldtext::kKindText, 0, lines)})});
  ASSERT_TRUE(view->ShowCard(card, 0, 0, true, nullptr));
  ASSERT_TRUE(TextOf(1).Scroll(-2));
  const int scrolled = TextOf(1).scroll();
  EXPECT_EQ(SaveFieldTexts(stack, handles, view->display_list(), card, services), 0);
  view->ClearDisplayList();
  ASSERT_TRUE(view->ShowCard(card, 0, 0, true, nullptr));
  EXPECT_EQ(TextOf(1).scroll(), scrolled);
}

RecordBytes ExternalField(uint16_t id, const std::string& stored_path) {
  std::string path = stored_path + '\0';
  return Field(id, {10, 10, 150, 40}, {Block(1, 0, path)}, object::kFlagExternalFile);
}

TEST_F(FieldCards, ExternalTextFilesAreReadAndWrittenOnlyInsideTheirFolders) {
  dir.Write("notes.txt", "line one\r\nline two\n");
  Handle card =
      AddCard(11, card::kKindCard, 0,
              {ExternalField(1, "Disk:Stacks:notes.txt"),
               ExternalField(2, "C:\\..\\..\\etc\\passwd"), ExternalField(3, "/etc/passwd")});
  ASSERT_TRUE(view->ShowCard(card, 0, 0, true, nullptr));
  EXPECT_EQ(TextOf(1).text(), "line one\rline two\r");
  EXPECT_EQ(TextOf(2).text(), "");  // never outside the stack's and media folders
  EXPECT_EQ(TextOf(3).text(), "");

  // Unchanged: the file is not touched; changed: written back through a rename.
  EXPECT_EQ(SaveFieldTexts(stack, handles, view->display_list(), card, services), 0);
  TextOf(1).SetSelection(0, 4);
  TextOf(1).Insert("LINE");
  TextOf(2).Insert("not written");
  EXPECT_EQ(SaveFieldTexts(stack, handles, view->display_list(), card, services), 1);
  EXPECT_EQ(dir.Read("notes.txt"), "LINE one\r\nline two\r\n");
  EXPECT_FALSE(FileExists(dir.File("notes.txt.cvtmp")));

  // A downloaded stack never writes files.
  FieldTextServices remote = services;
  remote.local_stack = false;
  TextOf(1).Insert("!");
  EXPECT_EQ(SaveFieldTexts(stack, handles, view->display_list(), card, remote), 0);
  EXPECT_EQ(dir.Read("notes.txt"), "LINE one\r\nline two\r\n");
}

TEST_F(FieldCards, WritingBackNeverGoesThroughLinksOrIntoSharedFolders) {
  testing::TempDir outside;
  outside.Write("victim", "precious");
  dir.Write("notes.txt", "notes");
  dir.Write("real.txt", "real");
  // Shipped with the stack: a link where the rewritten file used to be made, and a field
  // whose file is a link (to a file beside it).
  ASSERT_EQ(symlink(outside.File("victim").c_str(), dir.File("notes.txt.cvtmp").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("real.txt").c_str(), dir.File("linked.txt").c_str()), 0);
  dir.Write(".hidden.txt", "hidden");
  Handle card = AddCard(11, card::kKindCard, 0,
                        {ExternalField(1, "Disk:notes.txt"), ExternalField(2, "Disk:linked.txt"),
                         ExternalField(3, "Disk:.hidden.txt")});
  ASSERT_TRUE(view->ShowCard(card, 0, 0, true, nullptr));
  EXPECT_EQ(TextOf(2).text(), "real");
  EXPECT_EQ(TextOf(3).text(), "");  // hidden files are never read
  for (uint16_t id : {1, 2, 3}) TextOf(id).Insert("new ");
  EXPECT_EQ(SaveFieldTexts(stack, handles, view->display_list(), card, services), 1);
  EXPECT_EQ(dir.Read("notes.txt"), "new notes");
  EXPECT_EQ(outside.Read("victim"), "precious");
  EXPECT_TRUE(IsSymlink(dir.File("notes.txt.cvtmp")));
  EXPECT_TRUE(IsSymlink(dir.File("linked.txt")));
  EXPECT_EQ(dir.Read("real.txt"), "real");
  EXPECT_EQ(dir.Read(".hidden.txt"), "hidden");

  // A media folder's file is read like the stack's own but never written back.
  outside.Write("shared.txt", "shared");
  FieldTextServices shared = services;
  shared.roots.media_folders = {outside.path()};
  FieldText field(nullptr, {0, 0, 100, 20});
  field.external = true;
  field.external_path = ResolveStoredPath("Disk:shared.txt", shared.roots, true);
  ASSERT_EQ(field.external_path, outside.File("shared.txt"));
  field.text.SetText("changed");
  EXPECT_FALSE(WriteExternalText(field, shared));
  EXPECT_EQ(outside.Read("shared.txt"), "shared");
}

}  // namespace
}  // namespace corvida
