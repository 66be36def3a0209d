// The callback commands: scripts and extension modules write a command number and up to
// seven parameters into the callback block and call Dispatch; the command's handler reads
// its parameters from the block and writes its results back into the same slots. Numbers
// above 180 and those without a handler do nothing.
//
// Handlers are grouped by purpose: card movement and card queries (callback_cards.cpp),
// objects (callback_objects.cpp), text fields (callback_fields.cpp), memory blocks
// (callback_memory.cpp), and the player's own services: alerts, media, preferences,
// tools (callback_player.cpp). The object resolver is in callback_resolve.cpp.
//
// Nothing a caller can name reaches memory unchecked: slots that name memory, cards,
// windows or drawing contexts hold tokens (base/callback_tokens.h), checked for their
// kind and liveness on every use; offsets into card records are taken only where an
// object starts. An unknown or stale token makes the command answer 0 and do nothing.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/callback_block.h"
#include "base/callback_tokens.h"
#include "base/handles.h"
#include "base/prefs.h"
#include "base/strings.h"
#include "engine/cards.h"
#include "engine/executor.h"
#include "engine/navigation.h"
#include "engine/text.h"

namespace corvida {

// What is playing, as command 89 answers it.
struct PlayingMedia {
  bool movie = false;
  bool sound = false;
  bool animation = false;
};

// What the commands ask of the player around them.
class CallbackHost {
 public:
  virtual ~CallbackHost() = default;
  // Shows an alert string ("<size><icon>message~button~button"); the button pressed.
  virtual int AlertString(const std::string& text) = 0;
  // Runs one of the player's own menu commands.
  virtual void RunMenuCommand(MenuCommand command) = 0;
  // One pass over the pending messages.
  virtual void HandlePendingMessages() = 0;
  virtual PlayingMedia Playing() = 0;
  // Runs Tarrow text (Mac Roman) as a nested script.
  virtual void RunScript(const std::string& text) = 0;
  // Where redrawn objects go; null: nowhere.
  virtual CardScreen* Screen() = 0;
  // Every command, before it runs (the replay's trace).
  virtual void Dispatching(const CallbackBlock& block) = 0;
  // Command 67: calls an extension module with the block's parameters and leaves its
  // answer in the block. Without modules nothing runs.
  virtual void CallExtension(CallbackBlock& block) { (void)block; }
  // Shows the card again over `rect` as it is composed now (a field's text changed).
  virtual void RepaintArea(const Rect& rect) { (void)rect; }
  // Inverts `rect` of the window; inverting it again restores it.
  virtual void InvertArea(const Rect& rect) { (void)rect; }
  // Commands 54 and 55: a sound file by its stored path, a 'Snd ' block by id.
  virtual void PlaySoundFile(const std::string& stored_path, uint16_t param) {
    (void)stored_path, (void)param;
  }
  virtual void PlayStackSound(uint16_t id, uint16_t param) { (void)id, (void)param; }
  // Command 160: a control code for the current movie.
  virtual void MovieControl(int code) { (void)code; }
  // Where a stored path is found on this machine; "" when it is not.
  virtual std::string ResolvePath(const std::string& stored) {
    (void)stored;
    return {};
  }
  // Commands 100 and 101: the user picks a text file to read (its bytes, at most
  // `limit`), or names one to write `bytes` to; nothing when cancelled or failed.
  virtual std::optional<std::vector<uint8_t>> ReadChosenTextFile(const std::string& prompt,
                                                                 size_t limit) {
    (void)prompt, (void)limit;
    return std::nullopt;
  }
  virtual bool WriteChosenTextFile(std::span<const uint8_t> bytes) {
    (void)bytes;
    return false;
  }
  // Command 174: the run box.
  virtual void OpenRunBox() {}
  // Command 10: the Extras the player's "Extras" menu offers, by command and name.
  virtual std::vector<std::pair<int, std::string>> ExtraMenuItems() { return {}; }
  // Command 71: the first 32 characters of the hyperlink run last (Mac Roman, as names
  // are stored); "" before any.
  virtual std::string LastHyperlinkText() { return {}; }
};

// Where a resolved object reference points.
struct ResolvedObject {
  ObjectRef obj;             // the record (the background's for a shared object)
  Handle asked = 0;          // the card that was asked for
  uint16_t action = 0;       // selectors 5 to 10: the 'Actn' id
  bool card_itself = false;  // selector 3
  bool found() const { return obj || action || card_itself; }
};

class CallbackDispatch {
 public:
  static constexpr int kLastCommand = 180;
  static constexpr uint32_t kStringLimit = 255;
  // Memory callers may hold at once through commands 15 and 110.
  static constexpr uint64_t kCallerBytesLimit = uint64_t{64} << 20;
  static constexpr size_t kCallerBlocksLimit = 4096;
  // The text a field may be given (as external text files are read).
  static constexpr uint32_t kFieldTextLimit = 1u << 20;
  // Text objects callers may make with command 73 and hold at once.
  static constexpr size_t kOwnTextLimit = 64;
  // Pictures loaded by command 162 the player keeps names for.
  static constexpr size_t kPictureLimit = 16;
  // Selectors of an object reference.
  enum Selector : uint32_t {
    kButton = 0,
    kField = 1,
    kGraphic = 2,
    kCardItself = 3,
    kStackArrive = 5,
    kCardClick = 10
  };

  CallbackDispatch(Stack& stack, Handles& handles, Navigation& nav, ActionExecutor& executor,
                   Prefs& prefs, CallbackHost& host);
  ~CallbackDispatch();
  CallbackDispatch(const CallbackDispatch&) = delete;
  CallbackDispatch& operator=(const CallbackDispatch&) = delete;

  CallbackBlock& block() { return block_; }
  // Runs the command in the block.
  void Dispatch();
  // Runs command `n` with the block's parameters (a convenience for the player's own use).
  void Issue(int16_t n) {
    block_.set_command(n);
    Dispatch();
  }

  // Memory blocks callers hold, named by tokens.
  uint32_t NewBlock(std::span<const uint8_t> bytes);
  std::vector<uint8_t> ReadBlock(uint32_t token, size_t limit);
  bool WriteBlock(uint32_t token, size_t offset, std::span<const uint8_t> bytes);
  // Only a block a caller made may change size or go; false for any other token.
  bool ResizeBlock(uint32_t token, uint32_t size);
  void DisposeBlock(uint32_t token);
  // A parameter string out of a memory token: length-prefixed when its first byte is
  // below 32, else NUL-terminated; at most 255 characters.
  std::optional<std::string> StringAt(uint32_t token);
  // `text` (at most 255 characters) length-prefixed and NUL-terminated.
  static std::vector<uint8_t> Counted(std::string_view text);
  // A new memory block holding `text` length-prefixed and NUL-terminated; its token.
  uint32_t NewString(std::string_view text);

  CallbackTokens& tokens() { return tokens_; }
  bool screen_locked() const;
  bool offscreen_drawing() const { return offscreen_context_ != 0; }
  int redraw_mode() const { return redraw_mode_; }
  bool card_changed() const { return card_changed_; }
  bool background_changed() const { return background_changed_; }

  // The object reference in the block's p1 to p4 (exposed for tests).
  ResolvedObject Resolve();

 private:
  using Handler = void (CallbackDispatch::*)();
  static const std::array<Handler, kLastCommand + 1>& Table();

  // Parameters and tokens.
  uint32_t P(int slot) const { return block_.param(slot); }
  void Answer(int slot, uint32_t value) { block_.set_param(slot, value); }
  std::optional<std::string> ParamString(int slot) { return StringAt(P(slot)); }
  Handle CardOfToken(uint32_t token) const;  // 0 unless a live card of the open stack
  uint32_t CardToken(Handle card);
  // The handle behind a memory token; for reading, the stack's records as well.
  enum class Access { kRead, kWrite };
  std::optional<Handle> HandleOf(uint32_t token, Access access) const;
  // A block the dispatcher keeps for one kind of answer, rewritten on every use.
  uint32_t AnswerBlock(int purpose, std::span<const uint8_t> bytes);
  void AnswerResolved(const ResolvedObject& r);
  void ClearObjectAnswer();
  // Whether `offset` is where an object of the card starts.
  bool IsObjectStart(Handle card, uint32_t offset);
  // Writes a token into the first four bytes of the caller's block `where`.
  bool StoreToken(uint32_t where, uint32_t token);

  // Text objects callers name: a text field of the shown card, or one of their own
  // (command 73). A field's token answers only while its card is shown.
  struct CallerText {
    Handle card = 0;
    uint16_t field_id = 0;
    std::unique_ptr<TextObject> own;
  };
  TextObject* TextOf(uint32_t token);
  uint32_t FieldTextToken(Handle card, uint16_t field_id);
  // Shows a field's text object again where it is drawn (not while the screen is locked).
  void RepaintText(uint32_t token);
  // The text field command 44 scrolls: an object reference on the current card.
  uint32_t FieldToScroll();

  // Resolver parts.
  Handle CardOfPart(uint32_t part);
  ObjectRef FindOnCard(Handle card, uint16_t type, uint32_t low, bool by_name);

  // Card movement and card queries.
  void GoFirstCard();
  void GoLastCard();
  void GoPreviousCard();
  void GoNextCard();
  void GoToCard();
  void ShowAgain();
  void StackPath();
  void CardCountOf();
  void StackRecords();
  void FirstCard();
  void CurrentCard();
  void CardAfter();
  void FirstObjectOf();
  void ObjectAfter();
  void SwapTwoCards();
  void MarkCardChanged();
  void MarkBothChanged();
  void CardSize();
  void CardWithId();
  void CardAtPosition();
  void SetReturnPoint();
  void CardInfo();
  // Objects.
  void Locate();
  void LocateOnCurrent();
  void Hide();
  void Show();
  void SetMarker();
  void ClearMarker();
  void ChangeMarker(bool marked);
  void Delete();
  void GetRect();
  void SetRect();
  void IconId();
  void SetIcon();
  void ObjectInfo();
  void Centre();
  void RedrawAt();
  void PressButton();
  void SetRedrawMode();
  void LockScreen();
  void UnlockScreen();
  void RunObjectAction();
  // Text fields.
  void GetFieldText();
  void SetFieldText();
  void InsertText();
  void RedisplayText();
  void ScrollField();
  void NewTextObject();
  void DisposeTextObject();
  void ApplyFieldStyle();
  // Files and pictures.
  void StackFileInfo();
  void FileSlotTable();
  void SlotRecordToReference();
  void ReferenceToSlotRecord();
  void PlaySoundFile();
  void PlayStackSound();
  void ReadTextFile();
  void WriteTextFile();
  void CardPicture();
  void LoadPicture();
  void ObjectShape();
  void UpdateCardPicture();
  // Memory blocks.
  void NewHandle();
  void LockHandle();
  void UnlockHandle();
  void DisposeHandle();
  void SystemBlockOf();
  void ResizeHandle();
  void HandleSize();
  void HandleFlags();
  void HandleDiscarded();
  // The player's services.
  void ChooseMenuItem();
  void PlayerVersion();
  void VersionPair();
  void PendingMessages();
  void OffscreenBitmap();
  void Score();
  void Alert();
  void LastNames();
  void UserLevel();
  void EndOffscreen();
  void BeginOffscreen();
  void MediaState();
  void StoreBrowseTool();
  void ReadPreference();
  void WritePreference();
  void Tool();
  void Transitions();
  void Zero();
  void Palette();
  void MadeOnMac();
  void RunTarrow();
  void CallExtension();
  void PointerVisibility();
  void ReleaseContext();
  void RememberMarkedCard();
  void MovieControl();
  void OpenRunBox();

  // Marks an object and redraws it; the caller's parameters survive.
  void ChangeFlags(uint16_t set, uint16_t clear);
  void Redraw(ObjectRef obj, Handle asked, int transition, int speed);
  // Stores the typed text of the shown card's fields into their records.
  void StoreShownFields();

  Stack& stack_;
  Handles& handles_;
  Navigation& nav_;
  ActionExecutor& executor_;
  Prefs& prefs_;
  CallbackHost& host_;
  CallbackBlock block_;
  CallbackTokens tokens_;
  std::map<int, Handle> answer_blocks_;
  std::map<Handle, uint32_t> caller_sizes_;  // blocks callers hold, with their sizes
  std::map<uint32_t, CallerText> texts_;     // by token
  uint32_t next_text_ = 0;
  std::vector<std::string> pictures_;  // host paths of loaded pictures
  uint64_t caller_bytes_ = 0;
  uint32_t offscreen_context_ = 0;
  int redraw_mode_ = 1;
  // Names of the last text field and graphic whose action a command ran.
  std::string last_field_name_, last_graphic_name_;
  bool card_changed_ = false;
  bool background_changed_ = false;
};

}  // namespace corvida
