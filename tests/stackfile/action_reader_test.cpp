// Reading ActionRecords and ActionEntries through their typed readers: named fields, the
// data less its pad byte, launch references, and bytes that end too early.
#include "stackfile/action_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "stackfile/records_build.h"

namespace corvida {
namespace {

RecordBytes LaunchEntry(const std::string& document, const std::string& program,
                        uint32_t first_length) {
  std::string data = document + '\0';
  data.resize(first_length, '\0');
  data += program + '\0';
  RecordBytes e = NewActionEntry(action::kEntryLaunch, action::kEntryData + data.size());
  std::copy(data.begin(), data.end(), e.begin() + action::kEntryData);
  Put16(&e[action::kEntryLaunchFlags], action::kCloseAfterLaunch);
  Put32(&e[action::kEntryFirstReferenceLength], first_length);
  return e;
}

TEST(ActionReader, NamedFieldsOfARecordAndItsEntries) {
  RecordBytes r = NewObject(object::kButton, 5, {10, 20, 30, 60}, 0, kButtonRecordSize);
  Put16(&r[button::kActionFlags], action::kGo);
  Put16(&r[button::kDestination], uint16_t(-6));
  Put16(&r[button::kTransition], 7);
  Put16(&r[button::kSpeed], 16);
  Put16(&r[button::kButtonColor], 3);
  Put16(&r[button::kAnswer], 2);
  RecordBytes sound = NewActionEntry(action::kEntryStackSound, action::kEntryData);
  Put16(&sound[action::kEntryResourceId], 9);
  Put16(&sound[action::kEntryPlayParam], 4);
  Put16(&sound[action::kEntrySoundFlags], action::kSoundStopOnly);
  AppendToRecord(r, sound);
  AppendToRecord(r, LaunchEntry("Disk:notes.txt", "Disk:edit.exe", 16));

  ActionRecordReader record(r);
  EXPECT_EQ(record.rect(), (Rect{10, 20, 30, 60}));
  EXPECT_EQ(record.action_flags(), action::kGo);
  EXPECT_EQ(record.destination(), -6);
  EXPECT_EQ(record.transition(), 7);
  EXPECT_EQ(record.speed(), 16);
  EXPECT_EQ(record.button_colour(), 3);
  EXPECT_EQ(record.answer_mark(), 2);
  ActionEntryReader stack_sound = record.Entry(action::kEntryStackSound);
  EXPECT_EQ(stack_sound.resource_id(), 9);
  EXPECT_EQ(stack_sound.play_param(), 4);
  EXPECT_EQ(stack_sound.play_flags(), action::kSoundStopOnly);
  ActionEntryReader launch = record.Entry(action::kEntryLaunch);
  EXPECT_EQ(launch.ReferencePath(), "Disk:notes.txt");
  EXPECT_EQ(launch.ProgramPath(), "Disk:edit.exe");
  EXPECT_EQ(launch.launch_flags(), action::kCloseAfterLaunch);
  EXPECT_TRUE(record.Entry(action::kEntryMovie).empty());
}

TEST(ActionReader, ADocumentLengthPastTheDataLeavesNoProgram) {
  RecordBytes e = LaunchEntry("Disk:a.txt", "Disk:b.exe", 12);
  Put32(&e[action::kEntryFirstReferenceLength], 0xFFFFFFF0u);
  ActionEntryReader launch(e);
  EXPECT_EQ(launch.ReferencePath(), "Disk:a.txt");
  EXPECT_EQ(launch.ProgramPath(), "");
}

TEST(ActionReader, ThePadByteIsNotDataAndShortBytesReadAsNothing) {
  RecordBytes padded = NewActionEntry(action::kEntryScript, action::kEntryData + 4);
  std::copy_n("abc", 3, &padded[action::kEntryData]);
  Put16(&padded[action::kEntryFlags], object::kFlagPadByte);
  EXPECT_EQ(ActionEntryReader(padded).data().size(), 3u);

  // An entry cut inside its fields: what lies outside reads as 0, and there is no data.
  RecordBytes cut(padded.begin(), padded.begin() + 6);
  ActionEntryReader short_entry(cut);
  EXPECT_EQ(short_entry.rect(), (Rect{0, 0, 0, 0}));
  EXPECT_EQ(short_entry.play_flags(), 0);
  EXPECT_TRUE(short_entry.data().empty());
  EXPECT_EQ(short_entry.ReferencePath(), "");
  EXPECT_EQ(ActionRecordReader(cut).Entry(action::kEntryScript).bytes().size(), 0u);
}

TEST(ActionReader, AReferenceWithoutItsEndStopsAtTheEntry) {
  RecordBytes e = NewActionEntry(action::kEntryOtherStack, action::kEntryData + 4);
  std::copy_n("Disk", 4, &e[action::kEntryData]);
  EXPECT_EQ(ActionEntryReader(e).ReferencePath(), "Disk");
}

}  // namespace
}  // namespace corvida
