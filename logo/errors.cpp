// Error reporting: CATCH "ERROR, the message catalogue, the print and show forms used in
// messages, the "At:" line text and the error box.
#include <cstring>
#include <vector>

#include "logo/card_bridge.h"
#include "logo/interp.h"
#include "logo/turtle.h"
#include "logo/value_text.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

constexpr size_t kLineTextLimit = 255;

bool IsOperatorWord(const Node* w) {
  if (!w || !w->IsWord() || w->IsSpan() || w->text[0] == '\0' || w->text[1] != '\0' || w->link)
    return false;
  return std::strchr("+-*/<>=()", FirstChar(w)) != nullptr;
}

// Appends an atom (word or number) as it prints.
void AppendAtom(std::string& out, const Node* v) {
  if (v->IsWord()) {
    AppendWordChars(v, out);
  } else if (v->IsNumber()) {
    out += NumberText(v);
  }
}

// A word of the "At:" line: special characters escaped so the line reads back.
void AppendLineWord(std::string& out, const Node* w) {
  if (w->IsNumber()) {
    out += NumberText(w);
    return;
  }
  if (IsOperatorWord(w)) {
    out += FirstChar(w);
    return;
  }
  if (WordIs(w, "\"")) {
    out += "\" ";
    return;
  }
  std::string s = WordChars(w);
  for (char c : s) {
    if (c == '\r') {
      out += ' ';
      continue;
    }
    if (std::strchr(" ()*+-;<=>[\\]", c) && c != '\0') out += '\\';
    out += c;
  }
}

const char* CatalogueText(int code) {
  switch (code) {
    case 13:
      return "Can't divide by 0";
    case 20:
      return "Too many files are open";
    case 23:
      return "Out of space";
    case 33:
      return "Can only do that in a procedure";
    case 34:
      return "Turtle out of bounds";
    case 59:
      return "A sound channel could not be started";
    case 60:
      return "Not enough memory to run Logo";
    case 61:
      return "Property lists must have an even number of elements";
    case 63:
      return "Disk IO Error";
    case 64:
      return "POFile can only print text files";
    case 69:
      return "Out of stack space";
    case 71:
      return "You used a TO without an END";
    case kErrTooMuchWork:
      return "The script ran too long and was stopped";
    default:
      return nullptr;
  }
}

}  // namespace

std::string Interpreter::PrintForm(Node* v, size_t limit) {
  std::string out;
  WriteValue(out, v, false, limit, AppendAtom);
  return out;
}

std::string Interpreter::ShowForm(Node* v, size_t limit) {
  std::string out;
  if (v && v->IsWord()) {
    out += '"';
    AppendWordChars(v, out);
    return out;
  }
  WriteValue(out, v, true, limit, AppendAtom);
  return out;
}

std::string Interpreter::LineText(Node* line) {
  std::string out;
  if (!line) return out;
  WriteValue(out, line, false, kLineTextLimit,
             [](std::string& o, const Node* w) { AppendLineWord(o, w); });
  if (out.size() > kLineTextLimit) out.resize(kLineTextLimit);
  return out;
}

std::string Interpreter::ErrorMessage(int code, Node* name, Node* value) {
  constexpr size_t kPartLimit = 1024;
  auto n = [&] {
    // A name written as :var stands for the variable's value.
    if (IsWord(name) && FirstChar(name) == ':') {
      Node* b = FindVariable(name, 1);
      if (b) return PrintForm(b->link->elem, kPartLimit);
    }
    return PrintForm(name, kPartLimit);
  };
  auto v = [&] { return ShowForm(value, kPartLimit); };
  if (const char* fixed = CatalogueText(code)) return fixed;
  switch (code) {
    case 6:
      return v() + " is a primitive";
    case 7:
      return "Can't find the label " + v();
    case 9:
      return v() + " is undefined";
    case 19:
      return "Too few items in " + n();
    case 21:
      return "Can't find catch for " + v();
    case 25:
      return v() + " is not TRUE or FALSE";
    case 29:
      return "Not enough inputs to " + n();
    case 30:
      return "Too many inputs to " + n();
    case 35:
      return "I don't know how to " + n();
    case 38:
      return "You didn't say what to do with " + v();
    case 41:
      return n() + " doesn't like " + v() + " as input";
    case 45:
      return n() + " is not open";
    case 57:
      return "Can't write to " + v();
    case 58:
      return "Can't read from " + v();
    case 62:
      return "The directory " + n() + " is not valid, or is not available";
    case 65:
      return n() + " wants a reader file";
    case 66:
      return n() + " needs a text file";
    case 67:
      return n() + " could not find a window";
    case 68:
      return n() + " could not find the window " + v();
    case 73:
      return n() + " wants a writer file";
    case 74:
      return "Math operations don't like " + PrintForm(value, kPartLimit) + " as input";
    case 75:
      return n() + " cannot be used in a procedure";
    case 76:
      return n() + " cannot be used in a script";
    case 77:
      return "The index given is too big for " + v();
    case kErrNotInWorkspace:
      return n() + " cannot be used in a workspace";
    case kErrNotAvailable:
      return n() + " is not available yet";
    case 99:
      return n() + " is a reserved primitive for future expansion";
    default:
      return "Unimplemented error";
  }
}

void Interpreter::Error(int code, Node* name, Node* value) {
  Report(code, name, value, true);
}

void Interpreter::LimitError(int code) {
  Report(code, nullptr, nullptr, false);
}

void Interpreter::Report(int code, Node* name, Node* value, bool catchable) {
  if (error_flag || throw_flag) return;
  for (size_t i = catchable ? catches.size() : 0; i-- > 0;) {
    if (catches[i].tag && CompareWordsNoCase(catches[i].tag, error_word) == 0) {
      last_error = code;
      catches.resize(i + 1);
      frames.resize(catches[i].frame_depth);
      cur_frame = catches[i].cur_frame;
      throw_flag = true;
      return;
    }
  }
  std::string text = "Logo Error: " + ErrorMessage(code, name, value);
  std::string line = LineText(at_line);
  if (!line.empty()) text += "\n\nAt: " + line;
  error_flag = true;
  bridge().EndScreenStates(turtle());  // the error box must be seen on a live screen
  ShowErrorBox(text);
}

void Interpreter::ErrorRow(int code, int row, Node* value) {
  Error(code, row >= 0 && row < prims.size() ? prims[row].name_word : nullptr, value);
}

void Interpreter::ErrorText(int code, std::string_view name, Node* value) {
  if (error_flag || throw_flag) return;
  Node* w = name.empty() ? nullptr : MakeWord(name);
  if (w) Protect(w);
  Error(code, w, value);
  if (w) ReleaseFresh(w);
}

void Interpreter::ShowErrorBox(const std::string& mac_text) {
  std::string text = MacToWindows(mac_text);
  if (hooks_.show_error) {
    hooks_.show_error(text);
  } else if (config_.alerts) {
    config_.alerts->ShowMessageBox("Tarrow", text, AlertIcon::kExclamation);
  }
}

}  // namespace corvida::logo
