// Input primitives: READWORD, READLIST, READCHAR, READCHARS and KEYP read the reader file
// when one is selected, else the file being loaded (lines only), else the console the
// player provides (standard input at the command line, the read dialog on the card).
// Without a console for characters, keys come from the window's messages. MOUSE and
// BUTTONP read the pointer; SETRWPROMPT and SETRWRECT set up the read dialog.
#include <algorithm>

#include "logo/prim_turtle.h"
#include "logo/reader.h"
#include "logo/sandbox_files.h"
#include "logo/value_text.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

// The next input line (Mac Roman); empty at the end of the input.
std::string ReadInputLine(Interpreter& in) {
  std::string line;
  FileState& f = in.files();
  if (f.reader != FileState::kConsole) {
    f.slot(f.reader).text.ReadLine(line);
    return line;
  }
  while (!in.load_sources.empty()) {
    if (in.load_sources.back()->ReadLine(line, '\0')) return line;
    in.load_sources.pop_back();
  }
  if (!in.hooks().console || !in.hooks().console->ReadLine(line, '\0')) line.clear();
  if (line.size() > kMaxLineBytes) line.resize(kMaxLineBytes);
  return line;
}

Node* LineWord(Interpreter& in, const std::string& line) {
  return line.empty() ? in.empty_word() : in.MakeWord(line);
}

Node* ReadWord(Interpreter& in, PrimCall&) {
  return LineWord(in, ReadInputLine(in));
}

Node* ReadList(Interpreter& in, PrimCall&) {
  return Tokenize(in, ReadInputLine(in));
}

// A character typed in the window: waits for a character message, letting the player
// handle the others; Escape ends the script. -1 when there is nothing to wait on.
int WindowChar(Interpreter& in) {
  WindowSystem* ws = in.windows();
  if (!ws) return -1;
  for (;;) {
    in.InterruptCheck();
    if (in.Unwinding()) return -1;
    Message m;
    if (!ws->WaitMessage(m, 1000)) continue;
    if (m.message == msg::kKeyDown && m.wParam == vk::kEscape) {
      in.error_flag = true;
      return -1;
    }
    if (m.message == msg::kChar) {
      auto c = static_cast<uint8_t>(m.wParam);
      WindowsToMac(&c, 1);
      return c;
    }
    if (in.hooks().dispatch) in.hooks().dispatch(m);
  }
}

// The next character from the reader; -1 at its end.
int ReadOneChar(Interpreter& in) {
  FileState& f = in.files();
  if (f.reader != FileState::kConsole) return f.slot(f.reader).text.ReadChar();
  if (in.hooks().keys) return in.hooks().keys->ReadChar();
  return WindowChar(in);
}

Node* ReadChar(Interpreter& in, PrimCall&) {
  int c = ReadOneChar(in);
  if (c <= 0 || in.Unwinding()) return in.empty_word();
  char ch = static_cast<char>(c);
  return in.MakeWord(std::string_view(&ch, 1));
}

Node* ReadChars(Interpreter& in, PrimCall& c) {
  int32_t n = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  if (n < 1 || static_cast<size_t>(n) > kMaxLineBytes) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  std::string text;
  while (static_cast<int32_t>(text.size()) < n) {
    int ch = ReadOneChar(in);
    if (ch <= 0 || in.Unwinding()) break;
    text += static_cast<char>(ch);
  }
  return LineWord(in, text);
}

Node* KeyP(Interpreter& in, PrimCall&) {
  FileState& f = in.files();
  if (f.reader != FileState::kConsole) return in.Truth(!f.slot(f.reader).text.AtEnd());
  if (in.hooks().keys) return in.Truth(in.hooks().keys->CharWaiting());
  WindowSystem* ws = in.windows();
  Message m;
  return in.Truth(ws && (ws->PeekMessage(m, 0, msg::kKeyDown, msg::kKeyDown, false) ||
                         ws->PeekMessage(m, 0, msg::kChar, msg::kChar, false)));
}

Node* Mouse(Interpreter& in, PrimCall&) {
  const std::optional<Point> p = in.turtle().Pointer();
  return IntList(in, {p ? p->x : 0, p ? p->y : 0});
}

Node* ButtonP(Interpreter& in, PrimCall&) {
  WindowSystem* ws = in.windows();
  return in.Truth(ws && ws->MouseButtonDown());
}

Node* SetReadPrompt(Interpreter& in, PrimCall& c) {
  in.read_prompt = ValueText(c.in[0]).substr(0, kMaxLineBytes);
  return nullptr;
}

// A rectangle list in turtle coordinates, kept in window pixels.
Node* SetReadRect(Interpreter& in, PrimCall& c) {
  std::vector<double> v;
  if (!ListNumbers(in, c.row, c.in[0], 4, v)) return nullptr;
  if (v.size() != 4) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  const Turtle& t = in.turtle();
  auto side = [](int64_t n) { return static_cast<int>(std::clamp<int64_t>(n, -32768, 32767)); };
  const int x1 = side(t.WindowX(WholeCoordinate(v[0]))),
            y1 = side(t.WindowY(WholeCoordinate(v[1])));
  const int x2 = side(t.WindowX(WholeCoordinate(v[2]))),
            y2 = side(t.WindowY(WholeCoordinate(v[3])));
  in.read_rect = Rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  return nullptr;
}

}  // namespace

void RegisterInputPrimitives(PrimitiveTable& t) {
  t.Set("MOUSE", &Mouse);
  t.Set("BUTTONP", &ButtonP);
  t.Set("SETRWPROMPT", &SetReadPrompt);
  t.Set("SETRWRECT", &SetReadRect);
  t.Set("READWORD", &ReadWord);
  t.Set("READLIST", &ReadList);
  t.Set("READCHAR", &ReadChar);
  t.Set("READCHARS", &ReadChars);
  t.Set("KEYP", &KeyP);
}

}  // namespace corvida::logo
