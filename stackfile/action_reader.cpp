#include "stackfile/action_reader.h"

#include <algorithm>

namespace corvida {

namespace {

bool Holds(std::span<const uint8_t> bytes, size_t offset, size_t width) {
  return offset <= bytes.size() && bytes.size() - offset >= width;
}
uint16_t Read16(std::span<const uint8_t> bytes, size_t offset) {
  return Holds(bytes, offset, 2) ? Get16(bytes.data() + offset) : 0;
}
uint32_t Read32(std::span<const uint8_t> bytes, size_t offset) {
  return Holds(bytes, offset, 4) ? Get32(bytes.data() + offset) : 0;
}

// A rectangle held left, top, right, bottom.
Rect ReadRect(std::span<const uint8_t> bytes, size_t offset) {
  auto at = [&](size_t i) { return static_cast<int16_t>(Read16(bytes, offset + 2 * i)); };
  return {at(0), at(1), at(2), at(3)};
}

std::string TerminatedPath(std::span<const uint8_t> bytes) {
  auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
  return std::string(bytes.begin(), end);
}

}  // namespace

uint16_t ActionEntryReader::U16(size_t offset) const {
  return Read16(bytes_, offset);
}

Rect ActionEntryReader::rect() const {
  return ReadRect(bytes_, action::kEntryRect);
}

uint32_t ActionEntryReader::movie_options() const {
  return Read32(bytes_, action::kEntryMovieOptions);
}

std::span<const uint8_t> ActionEntryReader::data() const {
  if (bytes_.size() <= action::kEntryData) return {};
  size_t end = bytes_.size();
  if (U16(action::kEntryFlags) & object::kFlagPadByte) --end;
  return bytes_.subspan(action::kEntryData, end - action::kEntryData);
}

std::string ActionEntryReader::ReferencePath() const {
  return TerminatedPath(data());
}

std::string ActionEntryReader::ProgramPath() const {
  std::span<const uint8_t> all = data();
  uint32_t document_length = Read32(bytes_, action::kEntryFirstReferenceLength);
  if (document_length >= all.size()) return {};
  return TerminatedPath(all.subspan(document_length));
}

uint16_t ActionRecordReader::U16(size_t offset) const {
  return Read16(bytes_, offset);
}

Rect ActionRecordReader::rect() const {
  return ReadRect(bytes_, object::kRect);
}

ActionEntryReader ActionRecordReader::Entry(uint16_t code) const {
  size_t at = FindEntry(bytes_, code);
  if (!at) return {};
  return ActionEntryReader(bytes_.subspan(at, EntryLengthAt(bytes_, at)));
}

}  // namespace corvida
