// The Tarrow interpreter: one object holds all of its state (node pool, flags, frames,
// the stores of names and procedures, the primitive table). The player owns one; tests
// make a fresh one per case.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "logo/name_index.h"
#include "logo/nodes.h"
#include "logo/primitives.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/window.h"

namespace corvida::logo {

// Error codes the interpreter raises (the message texts live in errors.cpp).
enum ErrorCode : int {
  kErrIsPrimitive = 6,
  kErrNoLabel = 7,
  kErrUndefined = 9,
  kErrDivideByZero = 13,
  kErrTooFewItems = 19,
  kErrNoCatch = 21,
  kErrOutOfSpace = 23,
  kErrNotTrueFalse = 25,
  kErrNotEnoughInputs = 29,
  kErrTooManyInputs = 30,
  kErrOnlyInProcedure = 33,
  kErrTurtleOutOfBounds = 34,
  kErrDontKnowHow = 35,
  kErrNothingToDo = 38,
  kErrDoesntLike = 41,
  kErrNoMemoryToRun = 60,
  kErrOutOfStack = 69,
  kErrToWithoutEnd = 71,
  kErrMathDoesntLike = 74,
  kErrNotInProcedure = 75,
  kErrNotInWorkspace = 78,  // an instruction a stack's workspace may not hold
  kErrTooMuchWork = 79,     // the work budget of one script is spent
  kErrNotAvailable = 98,    // rows whose group is not part of this player yet
  kErrReserved = 99,
};
// GetInteger/GetFloat index meaning "report nothing" and "report error 74".
constexpr int kSilent = 0;
constexpr int kMathError = -1;

// Hands out lines of text (Mac Roman, without their terminator).
class LineSource {
 public:
  virtual ~LineSource() = default;
  // False when there are no more lines. `prompt` is shown by interactive sources.
  virtual bool ReadLine(std::string& line, char prompt) = 0;
};

// Lines of a script text: up to the first CR or LF, exactly one terminator consumed.
class TextLineSource : public LineSource {
 public:
  explicit TextLineSource(std::string_view text) : text_(text) {}
  bool ReadLine(std::string& line, char prompt) override;
  bool AtEnd() const { return pos_ >= text_.size(); }

 private:
  std::string text_;
  size_t pos_ = 0;
};

// Characters typed at the console, for READCHAR, READCHARS and KEYP.
class CharSource {
 public:
  virtual ~CharSource() = default;
  // The next character (Mac Roman; a line end reads as 13), waiting for it; -1 when the
  // input has ended.
  virtual int ReadChar() = 0;
  // True when a character can be read without waiting.
  virtual bool CharWaiting() = 0;
};

// A read-only folder that scripts reach by its name as their path's first component
// ("CVArt\x.txt"): the media folders.
struct NamedFolder {
  std::string name;
  std::string path;  // host path
};

// What one stack's scripts may keep in their folder, all files and folders together.
struct FileQuota {
  int64_t bytes = int64_t{64} << 20;
  int64_t entries = 1000;
};

class FileState;      // logo/sandbox_files.h
class CardBridge;     // logo/card_bridge.h
class Turtle;         // logo/turtle.h
class TurtleSurface;  // logo/turtle.h

// What the interpreter needs from the player around it. Every member may be left empty.
struct InterpreterHooks {
  // The console writer: Mac Roman text, line ends as '\n'.
  std::function<void(std::string_view)> write;
  // Shows an error box text (Windows character set). Empty: the alert presenter's
  // message box titled "Tarrow", or nothing without one.
  std::function<void(const std::string&)> show_error;
  // One message taken by a wait (WAIT); the player dispatches it.
  std::function<void(const Message&)> dispatch;
  // Lines typed at the console when no script line is left (READLIST and TO at the
  // console); empty: none.
  LineSource* console = nullptr;
  // Characters typed at the console (READCHAR, KEYP); empty: the window's key messages.
  CharSource* keys = nullptr;
};

struct InterpreterConfig {
  Clock* clock = nullptr;
  WindowSystem* windows = nullptr;
  AlertPresenter* alerts = nullptr;
  size_t max_blocks = 4000;  // 4 million nodes
  int max_depth = 12000;     // nested evaluations (about 4000 procedure levels)
  bool fixed_seed = false;   // else the seed is the clock's seconds
  // The work budget: evaluations one script (or one typed line) may make before it is
  // stopped with an error that CATCH cannot catch; 0: no limit.
  uint64_t max_steps = 0;
  uint32_t seed = 0;
  // The one folder scripts may read and write (created on first use); empty: every file
  // name is refused. Media folders are readable as well.
  std::string files_folder;
  std::vector<NamedFolder> media_folders;
  FileQuota file_quota;
  AudioOutput* audio = nullptr;  // TOOT plays through it; null: TOOT only waits
  FontService* fonts = nullptr;  // turtle text; null: TURTLEIO text goes to the console
};

// A running user procedure.
struct ProcFrame {
  Node* proc;    // its record [name inputs line1 ...], rooted while it runs
  Node* locals;  // chain of bindings [name value], newest first
  Node* test;    // result of the last TEST
};

struct CatchFrame {
  Node* tag;
  size_t frame_depth;  // frames.size() when CATCH began
  int cur_frame;
};

class Interpreter {
 public:
  explicit Interpreter(InterpreterConfig config = {}, InterpreterHooks hooks = {});
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Starts the interpreter (node memory, constants, primitive names); idempotent. False
  // after reporting "Not enough memory to run Logo".
  bool Start();
  InterpreterHooks& hooks() { return hooks_; }
  const InterpreterConfig& config() const { return config_; }

  // Runs a script (Mac Roman text): lines until the text ends or an error stops it.
  // A script started while another runs is nested: unless `own_scope` is false, the
  // procedures it defines are erased when it ends.
  void RunScript(std::string_view text, bool own_scope = true);
  // Runs every line of a source as typed at the top level: an error ends that line only.
  void RunConsole(LineSource& source);
  // Runs one top-level line (already read); clears the error flag first.
  void RunTopLevelLine(const std::string& line);

  // --- Values -------------------------------------------------------------------------
  Node* NewNode();  // held; null after reporting "Out of space"
  Node* NewInt(int32_t v);
  Node* NewFloat(double v);
  Node* Cons(Node* elem, Node* link);  // a new list cell
  Node* MakeWord(std::string_view text);
  // A new word of a word's characters after the first `skip` ones.
  Node* WordTail(const Node* word, int skip);
  // A token's word without its first character ('"' or ':'). A line run again and again
  // gets the same word back until the pool next collects, so names it makes are found
  // by their node.
  Node* Unquoted(Node* token);
  // A new chunk holding `count` (1 to 4) characters, followed by the chunks of `rest`.
  Node* NewChunk(const char* chars, int count, Node* rest);
  // A new word of `length` (more than kMaxChunkWord) characters of `buffer` from `start`.
  Node* NewSpan(WordBuffer* buffer, size_t start, size_t length);
  // A new word of the characters, in a buffer with room for `capacity` (at least as many)
  // so that joining more characters to its end later needs no copy.
  Node* NewBufferWord(std::string_view chars, size_t capacity);
  // A new word of the characters: a chunk when short, else a span of a new buffer.
  Node* WordOfChars(std::string_view chars);
  Node* WordOrNumberText(Node* v);  // a word of a value's characters (numbers as text)
  void Hold(Node* v) { pool_.Hold(v); }
  void Release(Node* v) { pool_.Release(v); }
  void ReleaseFresh(Node* v) { pool_.ReleaseFresh(v); }
  NodePool& pool() { return pool_; }
  void Collect() { pool_.Collect(); }

  Node* empty_list() { return &empty_list_; }
  Node* empty_word() { return &empty_word_; }
  Node* true_node() { return &true_; }
  Node* false_node() { return &false_; }
  Node* zero_float() { return &zero_; }
  Node* Truth(bool b) { return b ? &true_ : &false_; }
  bool IsTrue(Node* v);
  bool IsFalse(Node* v);
  static bool IsEmptyList(const Node* v) { return v && v->IsList() && !v->link && !v->elem; }

  // The number a primitive input stands for; row > 0 names the primitive in errors.
  int32_t GetInteger(Node* v, int row);
  double GetFloat(Node* v, int row);

  // Roots a value until the current instruction ends.
  void Protect(Node* v) { temps_.push_back(v); }
  size_t TempMark() const { return temps_.size(); }
  void TempReset(size_t mark) {
    if (temps_.size() > mark) temps_.resize(mark);
  }
  // Further roots owned by other parts of the interpreter (file state, turtle...).
  void AddRoot(Node** slot) { extra_roots_.push_back(slot); }

  // --- Errors -------------------------------------------------------------------------
  void Error(int code, Node* name = nullptr, Node* value = nullptr);
  void ErrorRow(int code, int row, Node* value = nullptr);
  void ErrorText(int code, std::string_view name, Node* value = nullptr);
  // An error from one of the interpreter's own limits (depth, LOAD nesting, the work
  // budget): CATCH "ERROR does not catch it, so a script cannot turn it into a loop.
  void LimitError(int code);
  bool Unwinding() const { return error_flag || throw_flag; }
  // Text of the message for a code (Mac Roman).
  std::string ErrorMessage(int code, Node* name, Node* value);
  std::string LineText(Node* line);
  std::string PrintForm(Node* v, size_t limit = SIZE_MAX);
  std::string ShowForm(Node* v, size_t limit = SIZE_MAX);

  // --- Evaluation ---------------------------------------------------------------------
  Node* EvalExpr(Node*& cur, bool paren);
  // Runs a primitive's handler; allocation failure inside it reports "Out of space".
  Node* Apply(PrimHandler handler, PrimCall& call);
  Node* RunList(Node* list);
  // Gathers the inputs of a variable-input primitive: up to ")" when parenthesised, else
  // exactly `count` (error 29 when fewer). False when the gathering failed.
  bool GatherInputs(PrimCall& call, int count, std::vector<Node*>& out);
  void InterruptCheck();
  // True when the text is a one-character operator or bracket word.
  bool InProcedure() const { return cur_frame >= 0; }
  ProcFrame* CurrentFrame() { return cur_frame >= 0 ? &frames[cur_frame] : nullptr; }
  Node* ReadBodyLine(std::string& line, bool& got);  // for TO
  bool ReadLine(std::string& line, char prompt);
  // Files LOAD is running, innermost last: their lines come before the script's own.
  std::vector<std::unique_ptr<LineSource>> load_sources;
  // Open files, reader and writer, the sandbox (logo/sandbox_files.h).
  FileState& files() { return *files_; }
  // Gives scripts another folder (a new stack opened): open files are closed, the prefix
  // starts again at the folder.
  void SetFilesFolder(std::string folder, std::vector<NamedFolder> media);
  // The card bridge primitives' state and the player they reach (logo/card_bridge.h).
  CardBridge& bridge() { return *bridge_; }
  // The turtle and where it draws: the surface of the script about to run (null: the
  // turtle moves but draws nothing). The turtle's state persists between scripts.
  Turtle& turtle() { return *turtle_; }
  void SetTurtleSurface(TurtleSurface* surface);
  // Counts one unit of work against the script's budget (long drawing loops).
  void SpendStep();

  // --- Output -------------------------------------------------------------------------
  // Text (Mac Roman) to the window as turtle text while TURTLEIO is in force and the
  // turtle has a surface, else to the console writer; nowhere while output is off.
  void Output(std::string_view mac_text);

  // --- Names and procedures (names.cpp) -----------------------------------------------
  Node* FindLocal(Node* name, int skip);                   // binding or null
  Node* FindGlobal(Node* name, int skip, bool buried);     // binding or null
  Node* FindVariable(Node* name, int skip);                // binding or null
  void SetVariable(Node* name, Node* value);               // MAKE
  Node* AddLocal(Node* name);                              // LOCAL: binding
  Node* FindProc(Node* name, Node* token_cell = nullptr);  // record or null
  // Links a new record in front of its bucket. `erase_same`: a procedure of that name is
  // erased first, unless a nested script's scope is open and the existing procedure was
  // not defined in it (the new one then shadows it until the scope ends).
  void AddProc(Node* record, bool erase_same);
  bool EraseProc(Node* name);
  // Procedure scopes: a script started while another runs opens one; what it defines is
  // unlinked again when it ends. Scopes nest; Begin and End pair within the instruction
  // that runs the inner script (the scope's list is rooted on the temporary stack).
  void BeginProcScope();
  void EndProcScope();
  size_t ProcScopeDepth() const { return proc_scopes_.size(); }
  // Sets the open scopes aside (and back), for definitions that must outlive them.
  std::vector<Node*> TakeProcScopes() { return std::exchange(proc_scopes_, {}); }
  void RestoreProcScopes(std::vector<Node*> scopes) { proc_scopes_ = std::move(scopes); }
  static int NameBucket(const Node* name, int skip = 0);

  // --- State (read and written by the primitive groups) -------------------------------
  bool error_flag = false;
  bool throw_flag = false;
  bool stop_flag = false;
  bool paren_flag = false;
  bool output_enabled = true;
  bool turtle_io = false;
  // The read dialog's prompt (Mac Roman; forgotten once a line is read) and rectangle
  // (window pixels; none: the dialog's own size).
  std::string read_prompt;
  std::optional<Rect> read_rect;
  bool workspace_loading = false;
  Node* output_slot = nullptr;
  Node* next_line = nullptr;
  Node* first_line = nullptr;
  Node* run_list = nullptr;
  Node* at_line = nullptr;
  Node* top_line = nullptr;
  Node* pending = nullptr;
  Node* input_pos[4] = {};
  int last_error = 0;
  std::vector<ProcFrame> frames;
  int cur_frame = -1;
  std::vector<CatchFrame> catches;
  Node* names[7] = {};
  Node* buried_names[7] = {};
  Node* procs[7] = {};
  Node* buried_procs[7] = {};
  Node* plists = nullptr;
  Node* buried_plists = nullptr;
  // Indexes of the name and property-list chains above: every link and unlink of an
  // entry goes through them too.
  NameIndex name_index, buried_name_index, plist_index, buried_plist_index;
  Node* error_word = nullptr;
  uint32_t random_state = 0;
  uint32_t random_seed = 0;
  int depth = 0;
  uint64_t steps = 0;  // evaluations of the running script, for max_steps
  PrimitiveTable prims;

  uint32_t NextRandom() {
    random_state = random_state * 214013u + 2531011u;
    return (random_state >> 16) & 0x7FFF;
  }
  Clock* clock() { return config_.clock; }
  WindowSystem* windows() { return config_.windows; }
  uintptr_t stack_floor() const { return stack_floor_; }

 private:
  friend class Evaluator;
  void MarkRoots(const NodePool::MarkFn& mark);
  void RunLines(LineSource& source, bool console);
  void RunLine(const std::string& line);
  bool EnterDepth();
  void ShowErrorBox(const std::string& mac_text);
  bool TurtleText(std::string_view mac_text);
  void Report(int code, Node* name, Node* value, bool catchable);

  InterpreterConfig config_;
  InterpreterHooks hooks_;
  NodePool pool_;
  bool started_ = false;
  Node empty_list_{}, empty_word_{}, true_{}, false_{}, false2_{}, zero_{};
  std::vector<Node*> temps_;
  std::vector<Node**> extra_roots_;
  LineSource* source_ = nullptr;
  std::vector<Node*> proc_scopes_;  // head cells: elem is the chain of records defined
  std::unique_ptr<FileState> files_;
  std::unique_ptr<CardBridge> bridge_;
  std::unique_ptr<Turtle> turtle_;
  uintptr_t stack_floor_ = 0;
  unsigned interrupt_countdown_ = 15;  // the first check looks at once
  struct UnquotedAnswer {
    const Node* token = nullptr;
    size_t collections = 0;
    Node* word = nullptr;
  };
  std::array<UnquotedAnswer, 64> unquoted_{};
};

// Depth guard: counts one nested evaluation; reports "Out of stack space" past the limit.
class DepthScope {
 public:
  explicit DepthScope(Interpreter& in);
  ~DepthScope() {
    if (ok_) --in_.depth;
  }
  bool ok() const { return ok_; }

 private:
  Interpreter& in_;
  bool ok_;
};

}  // namespace corvida::logo
