// Read-only, typed access to an ActionRecord and its ActionEntries as they are held in
// memory (native byte order): each field is read at its named offset, and nothing is
// read outside the bytes a reader was given. A field that does not lie inside reads as
// 0, a missing entry as an empty reader.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/types.h"
#include "stackfile/actions.h"

namespace corvida {

class ActionEntryReader {
 public:
  ActionEntryReader() = default;
  explicit ActionEntryReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool empty() const { return bytes_.empty(); }
  // NBA and stack-sound entries: the block they name.
  uint16_t resource_id() const { return U16(action::kEntryResourceId); }
  // Sound entries: the values handed to the sound player.
  uint16_t play_param() const { return U16(action::kEntryPlayParam); }
  uint16_t play_flags() const { return U16(action::kEntrySoundFlags); }
  uint16_t launch_flags() const { return U16(action::kEntryLaunchFlags); }
  // Movie, animation, script and videodisc entries: where they play.
  Rect rect() const;
  uint16_t movie_id() const { return U16(action::kEntryMovieId); }
  uint32_t movie_options() const;
  uint16_t movie_volume() const { return U16(action::kEntryMovieVolume); }
  // From offset 32 to the entry's end, less the pad byte its flags announce.
  std::span<const uint8_t> data() const;
  // The first path of the file reference in the data (NUL-terminated, stored form).
  std::string ReferencePath() const;
  // Launch entries: the data holds the document's reference, then the program's.
  std::string ProgramPath() const;
  std::span<const uint8_t> bytes() const { return bytes_; }

 private:
  uint16_t U16(size_t offset) const;
  std::span<const uint8_t> bytes_;
};

class ActionRecordReader {
 public:
  explicit ActionRecordReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  Rect rect() const;
  uint16_t action_flags() const { return U16(button::kActionFlags); }
  uint16_t answer_mark() const { return U16(button::kAnswer); }
  // A card id, or a navigation code (-1 next .. -5 last marked; -6 another stack's first).
  int16_t destination() const { return static_cast<int16_t>(U16(button::kDestination)); }
  uint16_t transition() const { return U16(button::kTransition); }
  uint16_t speed() const { return U16(button::kSpeed); }
  // 1-based palette index; 0 for none.
  uint16_t button_colour() const { return U16(button::kButtonColor); }
  // The first entry with `code`; empty when the record has none.
  ActionEntryReader Entry(uint16_t code) const;

 private:
  uint16_t U16(size_t offset) const;
  std::span<const uint8_t> bytes_;
};

}  // namespace corvida
