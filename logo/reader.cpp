#include "logo/reader.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "logo/interp.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsDelimiter(char c) {
  switch (c) {
    case '[':
    case ']':
    case '(':
    case ')':
    case '=':
    case '<':
    case '>':
    case '+':
    case '-':
    case '*':
    case '\0':
      return true;
    default:
      return IsBlank(static_cast<unsigned char>(c));
  }
}

class Tokenizer {
 public:
  Tokenizer(Interpreter& in, std::string_view text) : in_(in), text_(text) {}

  Node* Run() {
    levels_.push_back({});
    bool minus_ok = true;
    for (;;) {
      if (IsBlank(static_cast<unsigned char>(Ch()))) {
        minus_ok = true;
        while (IsBlank(static_cast<unsigned char>(Ch()))) ++pos_;
      }
      char ch = Ch();
      if (ch == '\0' || ch == ';' || failed_) break;
      Node* token = nullptr;
      if (ch == ']') {
        ++pos_;
        if (levels_.size() == 1) break;  // the rest of the line is ignored
        token = CloseLevel();
        minus_ok = false;
      } else if (ch == '[') {
        ++pos_;
        if (levels_.size() > static_cast<size_t>(kMaxReaderNesting)) {
          in_.ErrorText(kErrOutOfStack, "");
          break;
        }
        levels_.push_back({});
        minus_ok = true;
        continue;
      } else if (ch == '"') {
        token = QuotedWord();
        minus_ok = false;
      } else if (ch == '\'') {
        token = SingleQuoted();
        minus_ok = false;
      } else if (ch == '(' || ch == ')' || ch == '*' || ch == '+' || ch == '/' || ch == '<' ||
                 ch == '=' || ch == '>') {
        ++pos_;
        token = Word(std::string(1, ch));
        minus_ok = true;
      } else if (ch == '-') {
        ++pos_;
        if (minus_ok && (IsDigit(Ch()) || Ch() == '.')) {
          token = Number(true);
          minus_ok = false;
        } else {
          token = Word("-");
          minus_ok = true;
        }
      } else if (IsDigit(ch) || ch == '.') {
        token = Number(false);
        minus_ok = false;
      } else {
        token = PlainWord();
        minus_ok = false;
      }
      if (!token) break;
      Append(token);
    }
    while (levels_.size() > 1) {
      Node* inner = CloseLevel();
      if (inner) Append(inner);
    }
    if (failed_) return nullptr;
    return levels_[0].head ? levels_[0].head : in_.empty_list();
  }

 private:
  struct Level {
    Node* head = nullptr;
    Node* tail = nullptr;
  };

  char Ch() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

  Node* Word(const std::string& s) {
    Node* w = in_.MakeWord(s);
    if (!w) failed_ = true;
    return w;
  }

  void Append(Node* token) {
    Node* cell = in_.Cons(token, nullptr);
    if (!cell) {
      failed_ = true;
      return;
    }
    Level& l = levels_.back();
    if (l.tail) {
      l.tail->link = cell;
    } else {
      l.head = cell;
    }
    l.tail = cell;
  }

  Node* CloseLevel() {
    Node* list = levels_.back().head ? levels_.back().head : in_.empty_list();
    levels_.pop_back();
    return list;
  }

  // A backslash escape inside a quoted word: "\x" with one or two hex digits is a code.
  void Escape(std::string& out, bool hex) {
    ++pos_;  // the backslash
    char c = Ch();
    if (c == '\0') return;
    ++pos_;
    if (hex && c == 'x') {
      int v = HexDigitValue(Ch());
      if (v < 0) {
        out.push_back('x');
        return;
      }
      ++pos_;
      int w = HexDigitValue(Ch());
      if (w >= 0) {
        v = v * 16 + w;
        ++pos_;
      }
      out.push_back(static_cast<char>(v));
      return;
    }
    out.push_back(c);
  }

  Node* QuotedWord() {
    std::string s = "\"";
    ++pos_;
    char c = Ch();
    if (c == '[' || c == ' ') return Word(s);
    while (!IsDelimiter(Ch())) {
      if (Ch() == '\\') {
        Escape(s, true);
      } else {
        s.push_back(Ch());
        ++pos_;
      }
    }
    return Word(s);
  }

  Node* SingleQuoted() {
    std::string s = "\"";
    ++pos_;
    while (Ch() != '\0' && Ch() != '\'') {
      if (Ch() == '\\') {
        Escape(s, true);
      } else {
        s.push_back(Ch());
        ++pos_;
      }
    }
    if (Ch() == '\'') ++pos_;
    return Word(s);
  }

  Node* PlainWord() {
    std::string s;
    while (!IsDelimiter(Ch())) {
      if (Ch() == '\\') {
        Escape(s, false);
      } else {
        s.push_back(Ch());
        ++pos_;
      }
    }
    return Word(s);
  }

  Node* Number(bool negate) {
    std::string buf;
    bool is_float = false;
    if (Ch() == '0') {
      while (Ch() == '0') ++pos_;
      buf.push_back('0');
    }
    for (int n = 0; n < 19 && (IsDigit(Ch()) || Ch() == '.'); ++n) {
      if (Ch() == '.') is_float = true;
      buf.push_back(Ch());
      ++pos_;
    }
    if (Ch() == 'E' || Ch() == 'e') {
      is_float = true;
      buf.push_back('E');
      ++pos_;
      if (Ch() == '+' || Ch() == '-') buf.push_back(Ch()), ++pos_;
      if (Ch() == '0') {
        while (Ch() == '0') ++pos_;
        buf.push_back('0');
      }
      for (int n = 0; n < 3 && IsDigit(Ch()); ++n) buf.push_back(Ch()), ++pos_;
    }
    Node* v = nullptr;
    if (!is_float) {
      errno = 0;
      long long x = std::strtoll(buf.c_str(), nullptr, 10);
      if (errno == 0 && x <= INT32_MAX) {
        auto i = static_cast<int32_t>(x);
        v = in_.NewInt(negate ? static_cast<int32_t>(0u - static_cast<uint32_t>(i)) : i);
        if (!v) failed_ = true;
        return v;
      }
    }
    double d = std::strtod(buf.c_str(), nullptr);
    v = in_.NewFloat(negate ? -d : d);
    if (!v) failed_ = true;
    return v;
  }

  Interpreter& in_;
  std::string_view text_;
  size_t pos_ = 0;
  std::vector<Level> levels_;
  bool failed_ = false;
};

}  // namespace

Node* Tokenize(Interpreter& in, std::string_view text) {
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  return Tokenizer(in, text).Run();
}

}  // namespace corvida::logo
