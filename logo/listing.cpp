#include "logo/listing.h"

#include <cstring>
#include <vector>

#include "logo/interp.h"
#include "logo/value_text.h"

namespace corvida::logo {
namespace {

constexpr unsigned char kNonBreakingSpace = 202;  // a blank to the reader

bool AlwaysEscaped(unsigned char c) {
  return (c != '\0' && std::strchr(" ()*+-;<=>[\\]", c)) || c == kNonBreakingSpace;
}

// A word's first character that would start a number, an operator or a quoted text.
bool EscapedFirst(unsigned char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '\'' || c == '/';
}

void AppendEscapedChars(std::string& out, const Node* word) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  CharCursor cursor(word);
  bool first = true;
  for (char ch = cursor.Next(); ch != '\0'; ch = cursor.Next(), first = false) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 32) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
      continue;
    }
    if (AlwaysEscaped(c) || (first && EscapedFirst(c))) out += '\\';
    out += ch;
  }
}

void AppendListedAtom(std::string& out, const Node* v) {
  if (v->IsNumber()) {
    out += NumberText(v);
  } else if (v->IsWord()) {
    AppendListedWord(out, v);
  }
}

// Writes the elements of a list, nested lists in brackets, at most up to `limit`.
void AppendElements(std::string& out, Node* list, bool brackets, size_t limit) {
  WriteValue(out, list, brackets, limit, AppendListedAtom);
  if (out.size() > limit) out.resize(limit);
}

Node* Tail(Node* record) {
  return record ? record->link : nullptr;
}

}  // namespace

void AppendQuotedWord(std::string& out, const Node* word) {
  out += '"';
  AppendEscapedChars(out, word);
}

void AppendListedWord(std::string& out, const Node* word) {
  if (WordIs(word, "\"")) {
    out += "''";
    return;
  }
  AppendEscapedChars(out, word);
}

void AppendListedValue(std::string& out, Node* value, size_t limit) {
  if (!value) {
    out += "[]";
  } else if (value->IsList()) {
    AppendElements(out, value, true, out.size() + limit);
  } else if (value->IsNumber()) {
    out += NumberText(value);
  } else {
    AppendQuotedWord(out, value);
  }
}

void AppendListedLine(std::string& out, Node* list, size_t limit) {
  if (IsList(list)) AppendElements(out, list, false, out.size() + limit);
}

std::string MakeLine(Node* binding) {
  std::string line = "MAKE ";
  AppendQuotedWord(line, binding->elem);
  line += ' ';
  AppendListedValue(line, Tail(binding) ? binding->link->elem : nullptr);
  line += '\n';
  return line;
}

std::string SetplistLine(Node* record) {
  std::string line = "SETPLIST ";
  AppendQuotedWord(line, record->elem);
  line += ' ';
  AppendListedValue(line, Tail(record) ? record->link->elem : nullptr);
  line += '\n';
  return line;
}

std::string TitleLine(Node* record) {
  std::string line = "TO ";
  AppendListedWord(line, record->elem);
  Node* inputs = Tail(record) ? record->link->elem : nullptr;
  for (Node* p = IsList(inputs) ? inputs : nullptr; p && p->elem; p = p->link) {
    line += " :";
    if (p->elem->IsNumber()) {
      line += NumberText(p->elem);
    } else {
      AppendEscapedChars(line, p->elem);
    }
  }
  line += '\n';
  return line;
}

std::string DefinitionText(Node* record) {
  std::string text = TitleLine(record);
  Node* tail = Tail(record);
  for (Node* line = tail ? tail->link : nullptr; line; line = line->link) {
    AppendListedLine(text, line->elem);
    text += '\n';
  }
  text += "END\n";
  return text;
}

void ForEachInBuckets(Node* const (&buckets)[7], const std::function<bool(Node*)>& visit) {
  for (Node* chain : buckets) {
    for (Node* cell = chain; cell; cell = cell->link) {
      if (cell->elem && !visit(cell->elem)) return;
    }
  }
}

void ForEachPlist(Node* chain, const std::function<bool(Node*)>& visit) {
  std::vector<Node*> records;
  for (Node* cell = chain; cell; cell = cell->link)
    if (cell->elem) records.push_back(cell->elem);
  for (auto it = records.rbegin(); it != records.rend(); ++it)
    if (!visit(*it)) return;
}

}  // namespace corvida::logo
