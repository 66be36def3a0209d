#include "logo/interp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <stdexcept>

#include "logo/card_bridge.h"
#include "logo/reader.h"
#include "logo/sandbox_files.h"
#include "logo/stack_guard.h"
#include "logo/turtle.h"
#include "stackfile/mactext.h"

namespace corvida::logo {

bool TextLineSource::ReadLine(std::string& line, char) {
  if (pos_ >= text_.size()) return false;
  size_t end = text_.find_first_of("\r\n", pos_);
  if (end == std::string::npos) end = text_.size();
  line.assign(text_, pos_, end - pos_);
  pos_ = end < text_.size() ? end + 1 : end;
  return true;
}

namespace {
void SetWordConstant(Node& n, const char* text, Node* next) {
  n.flags = NF_WORD;
  n.link = next;
  std::memset(n.text, 0, 4);
  std::memcpy(n.text, text, std::min<size_t>(4, std::strlen(text)));
}
}  // namespace

Interpreter::Interpreter(InterpreterConfig config, InterpreterHooks hooks)
    : config_(config),
      hooks_(std::move(hooks)),
      pool_(config.max_blocks),
      files_(std::make_unique<FileState>(config.files_folder, config.media_folders,
                                         config.file_quota)),
      bridge_(std::make_unique<CardBridge>()),
      turtle_(std::make_unique<Turtle>()) {
  for (NameIndex* index : {&name_index, &buried_name_index, &plist_index, &buried_plist_index})
    index->RememberAnswers(&pool_);
  empty_list_.flags = NF_LIST;
  empty_list_.link = nullptr;
  empty_list_.elem = nullptr;
  SetWordConstant(empty_word_, "", nullptr);
  SetWordConstant(true_, "TRUE", nullptr);
  SetWordConstant(false2_, "E", nullptr);
  SetWordConstant(false_, "FALS", &false2_);
  zero_.flags = NF_FLOAT;
  zero_.fval = 0.0;
  for (Node* n : {&empty_list_, &empty_word_, &true_, &false_, &false2_, &zero_})
    pool_.AddOutsideNode(n);
  pool_.SetRoots([this](const NodePool::MarkFn& mark) { MarkRoots(mark); });
}

Interpreter::~Interpreter() = default;

void Interpreter::SetTurtleSurface(TurtleSurface* surface) {
  turtle_->HideFigure();  // the figure leaves with the script it was drawn for
  turtle_->Attach(surface);
}

void Interpreter::SpendStep() {
  if (config_.max_steps && ++steps > config_.max_steps && !workspace_loading)
    LimitError(kErrTooMuchWork);
}

bool Interpreter::Start() {
  if (started_) return true;
  if (!pool_.Start()) {
    ErrorText(kErrNoMemoryToRun, "");
    return false;
  }
  started_ = true;
  error_word = MakeWord("ERROR");
  ReleaseFresh(error_word);
  if (!prims.Start(*this)) return false;
  random_seed = config_.fixed_seed ? config_.seed
                : config_.clock    ? config_.clock->Milliseconds() / 1000
                                   : static_cast<uint32_t>(std::time(nullptr));
  random_state = random_seed;
  stack_floor_ = StackFloor();
  return true;
}

void Interpreter::MarkRoots(const NodePool::MarkFn& mark) {
  mark(top_line);
  for (int i = 0; i < 7; ++i) {
    mark(procs[i]);
    mark(buried_procs[i]);
    mark(names[i]);
    mark(buried_names[i]);
  }
  mark(plists);
  mark(buried_plists);
  for (const ProcFrame& f : frames) {
    mark(f.proc);
    mark(f.locals);
    mark(f.test);
  }
  for (const CatchFrame& c : catches) mark(c.tag);
  mark(run_list);
  mark(at_line);
  for (int i = 0; i < prims.size(); ++i) mark(prims[i].name_word);
  mark(error_word);
  mark(output_slot);
  mark(pending);
  for (Node* t : temps_) mark(t);
  for (Node** slot : extra_roots_) mark(*slot);
}

Node* Interpreter::NewNode() {
  Node* n = pool_.Alloc();
  if (!n) ErrorText(kErrOutOfSpace, "");
  return n;
}

Node* Interpreter::NewInt(int32_t v) {
  Node* n = NewNode();
  if (n) {
    n->flags |= NF_INT;
    n->elem = nullptr;
    n->link = nullptr;
    n->ival = v;
  }
  return n;
}

Node* Interpreter::NewFloat(double v) {
  Node* n = NewNode();
  if (n) {
    n->flags |= NF_FLOAT;
    n->elem = nullptr;
    n->fval = v;
  }
  return n;
}

Node* Interpreter::Cons(Node* elem, Node* link) {
  Node* n = NewNode();
  if (n) {
    n->flags |= NF_LIST;
    n->elem = elem;
    n->link = link;
  }
  return n;
}

Node* Interpreter::MakeWord(std::string_view text) {
  size_t len = text.size();
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) len = nul;
  Node* first = nullptr;
  Node* last = nullptr;
  size_t i = 0;
  do {
    Node* n = NewNode();
    if (!n) {
      // Chunks already built go back to the pool at the next collection.
      for (Node* c = first; c; c = c->link) c->flags = 0;
      return nullptr;
    }
    n->flags |= NF_WORD;
    n->link = nullptr;
    n->elem = nullptr;
    for (int k = 0; k < 4; ++k) n->text[k] = i < len ? text[i++] : '\0';
    if (last) {
      last->link = n;
    } else {
      first = n;
    }
    last = n;
  } while (i < len);
  return first;
}

Node* Interpreter::NewChunk(const char* chars, int count, Node* rest) {
  Node* n = NewNode();
  if (!n) return nullptr;
  n->flags |= NF_WORD;
  n->elem = nullptr;
  std::memcpy(n->text, chars, static_cast<size_t>(std::clamp(count, 0, 4)));
  n->link = rest;
  return n;
}

Node* Interpreter::NewSpan(WordBuffer* buffer, size_t start, size_t length) {
  Node* n = NewNode();
  if (!n) return nullptr;
  n->flags |= NF_WORD | NF_SPAN;
  n->buffer = buffer;
  n->span = {static_cast<uint32_t>(start), static_cast<uint32_t>(length)};
  return n;
}

Node* Interpreter::NewBufferWord(std::string_view chars, size_t capacity) {
  // The node first: making it may collect, which would free a buffer nothing points to.
  Node* n = NewNode();
  if (!n) return nullptr;
  n->flags |= NF_WORD;
  n->link = nullptr;
  n->elem = nullptr;
  WordBuffer* buffer = pool_.NewBuffer(std::max(capacity, chars.size()));
  if (!buffer && capacity > chars.size()) buffer = pool_.NewBuffer(chars.size());
  if (!buffer) {
    n->flags = 0;  // back to the pool at the next collection
    ErrorText(kErrOutOfSpace, "");
    return nullptr;
  }
  std::memcpy(buffer->chars(), chars.data(), chars.size());
  buffer->used = static_cast<uint32_t>(chars.size());
  n->flags |= NF_SPAN;
  n->buffer = buffer;
  n->span = {0, static_cast<uint32_t>(chars.size())};
  return n;
}

Node* Interpreter::WordOfChars(std::string_view chars) {
  if (chars.size() <= kMaxChunkWord) return MakeWord(chars);
  return NewBufferWord(chars, chars.size());
}

Node* Interpreter::WordTail(const Node* word, int skip) {
  CharCursor c(word);
  for (int i = 0; i < skip; ++i) c.Next();
  Node* first = nullptr;
  Node* last = nullptr;
  do {
    Node* n = NewNode();
    if (!n) {
      for (Node* p = first; p; p = p->link) p->flags = 0;
      return nullptr;
    }
    n->flags |= NF_WORD;
    n->link = nullptr;
    n->elem = nullptr;
    for (int k = 0; k < 4; ++k) n->text[k] = c.Next();
    if (last) {
      last->link = n;
    } else {
      first = n;
    }
    last = n;
  } while (c.Peek() != '\0');
  return first;
}

Node* Interpreter::Unquoted(Node* token) {
  // Words never change and nothing is freed before the next collection, so an answer
  // made since then is still the token's word.
  UnquotedAnswer& answer = unquoted_[(reinterpret_cast<uintptr_t>(token) >> 3) % unquoted_.size()];
  if (answer.token == token && answer.collections == pool_.collections()) return answer.word;
  Node* word = WordTail(token, 1);
  if (word) answer = {token, pool_.collections(), word};
  return word;
}

Node* Interpreter::WordOrNumberText(Node* v) {
  if (!v) return nullptr;
  if (v->IsNumber()) return MakeWord(NumberText(v));
  return v;
}

bool Interpreter::IsTrue(Node* v) {
  return v == &true_ || (IsWord(v) && WordEqualsNoCase(v, "TRUE"));
}

bool Interpreter::IsFalse(Node* v) {
  return v == &false_ || (IsWord(v) && WordEqualsNoCase(v, "FALSE"));
}

int32_t Interpreter::GetInteger(Node* v, int row) {
  if (v && v->IsInt()) return v->ival;
  if (v && v->IsFloat()) return SaturatingInt(v->fval);
  if (v && v->IsWord() && NumericWord(v)) {
    std::string s = WordChars(v);
    const char* p = s.c_str() + (s[0] == '"' ? 1 : 0);
    long long x = std::strtoll(p, nullptr, 10);
    if (x > INT32_MAX) return INT32_MAX;
    if (x < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(x);
  }
  if (row > 0) ErrorRow(v ? kErrDoesntLike : kErrNotEnoughInputs, row, v);
  if (row == kMathError) Error(kErrMathDoesntLike, nullptr, v);
  return 0;
}

double Interpreter::GetFloat(Node* v, int row) {
  if (v && v->IsInt()) return v->ival;
  if (v && v->IsFloat()) return v->fval;
  if (v && v->IsWord() && NumericWord(v)) {
    std::string s = WordChars(v);
    return std::strtod(s.c_str() + (s[0] == '"' ? 1 : 0), nullptr);
  }
  if (row > 0) ErrorRow(v ? kErrDoesntLike : kErrNotEnoughInputs, row, v);
  if (row == kMathError) Error(kErrMathDoesntLike, nullptr, v);
  return 0;
}

DepthScope::DepthScope(Interpreter& in) : in_(in) {
  // A stack's workspace always loads whole: its lines do a bounded amount of work.
  if (in.config().max_steps && ++in.steps > in.config().max_steps && !in.workspace_loading) {
    in.LimitError(kErrTooMuchWork);
    ok_ = false;
    return;
  }
  ok_ = ++in.depth <= in.config().max_depth && !StackNearlyFull(in);
  if (!ok_) {
    --in.depth;
    in.LimitError(kErrOutOfStack);
  }
}

bool Interpreter::TurtleText(std::string_view mac_text) {
  if (!config_.fonts || !turtle_->target()) return false;
  std::shared_ptr<Font> font =
      config_.fonts->GetFont(turtle_->font_family, turtle_->font_size, turtle_->font_style);
  std::string text = MacToWindows(mac_text);
  std::replace(text.begin(), text.end(), '\r', '\n');
  turtle_->Text(text, *font);
  return true;
}

void Interpreter::Output(std::string_view text) {
  if (!output_enabled) return;
  if (turtle_io && TurtleText(text)) return;
  if (!hooks_.write) return;
  if (text.find('\r') == std::string_view::npos) {
    hooks_.write(text);
    return;
  }
  std::string s(text);
  for (char& c : s)
    if (c == '\r') c = '\n';
  hooks_.write(s);
}

bool Interpreter::ReadLine(std::string& line, char prompt) {
  while (!load_sources.empty()) {
    if (load_sources.back()->ReadLine(line, prompt)) return true;
    load_sources.pop_back();  // that file has ended: closed
  }
  if (source_ && source_->ReadLine(line, prompt)) return true;
  return false;
}

void Interpreter::RunTopLevelLine(const std::string& line) {
  try {
    RunLine(line);
  } catch (const std::bad_alloc&) {
    ErrorText(kErrOutOfSpace, "");
  } catch (const std::length_error&) {
    ErrorText(kErrOutOfSpace, "");
  }
}

void Interpreter::RunLine(const std::string& line) {
  size_t mark = TempMark();
  Node* list = Tokenize(*this, line);
  top_line = list;
  ReleaseFresh(list);
  if (list && !IsEmptyList(list) && !error_flag) {
    Node* v = RunList(list);
    if (v && !Unwinding()) {
      at_line = list;
      Error(kErrNothingToDo, nullptr, v);
    }
    at_line = nullptr;
  }
  TempReset(mark);
}

void Interpreter::RunLines(LineSource& source, bool console) {
  LineSource* saved_source = source_;
  Node* saved_top = top_line;
  // A script started inside another does not read the outer one's loaded files.
  auto saved_loads = std::move(load_sources);
  load_sources.clear();
  size_t mark = TempMark();
  Protect(saved_top);
  source_ = &source;
  std::string line;
  while (console || !error_flag) {
    // A loaded file belongs to the typed line that loaded it; an error ends both.
    if (console && error_flag) load_sources.clear();
    if (!ReadLine(line, '\0')) break;
    if (console) {
      // Each typed line starts afresh: flags, frames and catches of a failed line go.
      error_flag = throw_flag = stop_flag = false;
      frames.clear();
      catches.clear();
      cur_frame = -1;
      output_slot = nullptr;
      depth = 0;
      steps = 0;  // each typed line has the whole work budget
    }
    RunTopLevelLine(line);
  }
  source_ = saved_source;
  top_line = saved_top;
  load_sources = std::move(saved_loads);
  TempReset(mark);
}

void Interpreter::RunScript(std::string_view text, bool own_scope) {
  if (!Start()) return;
  bool nested = source_ != nullptr;
  if (!nested) {
    load_sources.clear();  // files a finished script was loading are forgotten
    error_flag = throw_flag = stop_flag = false;
    frames.clear();
    catches.clear();
    cur_frame = -1;
    depth = 0;
    steps = 0;
  }
  TextLineSource source(text);
  bool scoped = nested && own_scope;
  if (scoped) BeginProcScope();
  RunLines(source, false);
  if (scoped) EndProcScope();
  // A script cannot leave the card frozen or drawing offscreen.
  if (!nested) bridge_->EndScreenStates(*turtle_);
}

void Interpreter::RunConsole(LineSource& source) {
  if (!Start()) return;
  RunLines(source, true);
}

void Interpreter::SetFilesFolder(std::string folder, std::vector<NamedFolder> media) {
  files_->CloseAll();
  config_.files_folder = folder;
  config_.media_folders = media;
  files_ = std::make_unique<FileState>(std::move(folder), std::move(media), config_.file_quota);
}

}  // namespace corvida::logo
