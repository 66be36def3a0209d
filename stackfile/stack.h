// The open stack: its 128-byte header, the CardTable with one record handle per card, the
// current resource area, the font list and the saved workspace. Opening validates and
// converts a stack file; saving writes it back through a temporary file. The player owns
// one Stack; a stack that fails to open leaves it with no stack (no cards, no header).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "platform/types.h"
#include "stackfile/resources.h"

namespace corvida {

// Offsets of the stack header (native order in memory).
namespace header {
inline constexpr size_t kSize = 128;
inline constexpr size_t kAutoSave = 0;
inline constexpr size_t kAdvancedUser = 2;
inline constexpr size_t kCardCount = 4;
inline constexpr size_t kFormat = 6;
inline constexpr size_t kVersion = 8;
inline constexpr size_t kNextCardId = 10;
inline constexpr size_t kFlags = 14;
inline constexpr size_t kColorDepth = 16;
inline constexpr size_t kAutoTimers = 20;
inline constexpr size_t kLocked = 24;
inline constexpr size_t kCardNumberInTitle = 26;
inline constexpr size_t kPassword = 32;  // NUL-terminated, at most 15 characters
inline constexpr size_t kPresentationMode = 48;
inline constexpr size_t kPresentationWindow = 50;
inline constexpr size_t kPresentationSwitchedOff = 54;
inline constexpr size_t kCardWidth = 56;
inline constexpr size_t kCardHeight = 58;
inline constexpr size_t kResourceOffset = 60;
inline constexpr size_t kResourceCount = 64;
inline constexpr size_t kLastResourceId = 68;
inline constexpr size_t kArriveAction = 72;
inline constexpr size_t kLeaveAction = 74;
inline constexpr size_t kCursorId = 76;
inline constexpr size_t kClickAction = 78;
inline constexpr uint16_t kFlagKeepUnusedResources = 0x0001;
inline constexpr uint16_t kFlagDiscardClicks = 0x0002;
inline constexpr uint16_t kFlagHighCompression = 0x0004;
inline constexpr uint16_t kFlagMacNames = 0x0010;
// Converts the header's integer fields in place.
void Convert(uint8_t* bytes, Direction dir);
}  // namespace header

inline constexpr int kRefused = -12;  // a file refused after an alert

// The most pixels a card may have. Every card is composed in several pictures of its
// size, so a larger card is refused when the stack opens: 4096 x 4096 is 64 MiB a
// picture at 32 bits.
inline constexpr int64_t kMaxCardPixels = 4096 * 4096;

// Told when a stack has opened (its saved workspace can be run) and when a save begins
// (a changed workspace can be handed over with SetWorkspace).
class StackWorkspaceListener {
 public:
  virtual ~StackWorkspaceListener() = default;
  virtual void StackOpened() = 0;
  virtual void StackSaving() = 0;
};

// The questions opening a stack may raise. The stack code never asks: it stops before
// loading anything, and the caller asks the user and opens again with the answer.
enum class StackQuestion {
  kNone,
  kConvertSmallCard,      // alert 2334: Yes raises the card size to the minimum
  kKeepDamagedResources,  // alert 2396: OK keeps the resources read before the damage
};

struct StackOpenAnswers {
  std::optional<bool> convert_small_card;
  std::optional<bool> keep_damaged_resources;
};

struct StackOpenOptions {
  Size minimum_card{40, 40};   // the smallest window the system allows, each at least 40
  bool from_download = false;  // a downloaded copy: new resource IDs stay in memory
  StackOpenAnswers answers;
};

// What the user is to be told after an open, in order: alerts and file errors.
struct StackMessage {
  enum class Kind { kAlert, kFileError };
  Kind kind = Kind::kAlert;
  int id = 0;  // a string id (strid) of an alert, or a file error code
  bool operator==(const StackMessage&) const = default;
};

struct StackOpenResult {
  // 0; kRefused when refused (after its alert, or the user said No); another negative
  // file error. With cards read but a later record damaged, the cards read so far stay
  // and the error is returned without the header's settings.
  int code = 0;
  StackQuestion question = StackQuestion::kNone;  // unanswered: nothing was loaded
  std::vector<StackMessage> messages;
  // Not a stack at all: a download-cache copy of the file should be discarded.
  bool discard_cached_copy = false;

  bool opened() const { return code == 0 && question == StackQuestion::kNone; }
};

struct StackSaveResult {
  // 0; kRefused (not enough disk space, with its alert); another negative file error.
  int code = 0;
  std::vector<StackMessage> messages;  // what the user is to be told, in order

  bool saved() const { return code == 0; }
};

class Stack {
 public:
  explicit Stack(Handles& handles);
  ~Stack();
  Stack(const Stack&) = delete;
  Stack& operator=(const Stack&) = delete;

  // Opens the stack file at `path` (a host path). A question left unanswered in
  // `options.answers` ends the open with the question and no stack.
  StackOpenResult Open(const std::string& path, const StackOpenOptions& options = {});
  // Back to no stack: every record, resource and the header are released.
  void Close();
  // A new stack in memory with no cards and an empty resource area (for authoring).
  int CreateNew(int16_t width, int16_t height, uint16_t depth);
  // Writes the stack to `path` through a temporary file in its folder; on failure the
  // file at `path` is untouched and the result says what to tell the user. Unused
  // resources are purged first unless the stack keeps them or `purge_unused` is false (an
  // authoring tool keeps all it made).
  StackSaveResult Save(const std::string& path, bool purge_unused = true);
  // The whole file Save would write, into `bytes`, for a copy kept elsewhere (a
  // download): the stack keeps its file and its changed mark.
  StackSaveResult SaveCopy(std::vector<uint8_t>& bytes, bool purge_unused = true);

  bool is_open() const { return header_ != 0; }
  Handle header() const { return header_; }
  uint16_t Header16(size_t offset) const;
  uint32_t Header32(size_t offset) const;
  // Changes the header; a new value marks the stack changed.
  void SetHeader16(size_t offset, uint16_t value);
  const std::string& path() const { return path_; }

  // Whether the stack in memory differs from its file: set by the header and workspace
  // setters and by whoever writes into its records (MarkChanged); cleared when the stack
  // is opened, saved or closed.
  bool changed() const { return changed_; }
  void MarkChanged() { changed_ = true; }

  // Cards.
  Handle card_table() const { return card_table_; }
  int CardCount() const;
  Handle CardAt(int number) const;  // 1-based; 0 when beyond the count
  Handle CardById(uint16_t id) const;
  Handle CardByName(std::string_view name) const;  // name as shown (Windows characters)
  int CardNumber(Handle card) const;               // CardCount() + 1 when absent
  // Inserts a record handle at a 0-based position; false when the card table cannot grow
  // (the caller tells the user: alert 2224).
  [[nodiscard]] bool AddCard(Handle card, int position);
  // The background a card's picture and shared objects come from, following offset-8
  // links to a kind-1 card; stops on a repeated card, a missing ID or after as many hops
  // as there are cards (then 0).
  Handle BackgroundOf(Handle card) const;

  Resources& resources() { return resources_; }
  const Resources& resources() const { return resources_; }
  bool IsResourceUsed(FourCC type, uint16_t id);
  bool IsActionUsed(uint16_t id);
  void PurgeUnusedResources();

  Handle font_list() const { return font_list_; }
  const std::string& workspace() const { return workspace_; }  // Mac Roman
  void SetWorkspace(std::string text);
  void SetWorkspaceListener(StackWorkspaceListener* listener) { workspace_listener_ = listener; }

  bool names_converted() const { return names_converted_; }
  bool white_first_color() const { return white_first_color_; }
  bool card_size_raised() const { return card_size_raised_; }

 private:
  struct HeaderCheck;
  StackOpenResult CheckHeader(const uint8_t* header, const StackOpenOptions& options,
                              HeaderCheck& out) const;
  int ReadCardRecords(stackio::InFile& in, unsigned count, std::vector<StackMessage>& messages);
  bool ReadCardRecord(stackio::InFile& in, uint64_t position, Handle record);
  StackOpenResult OpenResourceArea(const std::string& path, const StackOpenOptions& options,
                                   int card_error);
  StackOpenResult Fail(StackOpenResult result);
  void ConvertCards();
  void DetachFontsAndWorkspace();
  bool BuildFile(std::vector<uint8_t>& out);
  // Visits every button that counts for "in use": the non-deleted buttons of every card,
  // the 'Actn' records and the buttons at the end of 'Hlnk' records. Stops when `visit`
  // returns true, and returns whether it did.
  bool ForEachButton(const std::function<bool(Bytes)>& visit);
  // Every 'Actn' id the header, the cards and their graphics and fields name.
  std::set<uint16_t> UsedActionIds();

  Handles& handles_;
  Resources resources_;
  Handle header_ = 0;
  Handle card_table_ = 0;
  Handle font_list_ = 0;
  std::string workspace_;
  bool workspace_changed_ = false;
  StackWorkspaceListener* workspace_listener_ = nullptr;
  std::string path_;
  bool changed_ = false;
  bool names_converted_ = false;
  bool white_first_color_ = false;
  bool card_size_raised_ = false;
};

}  // namespace corvida
