#include "logo/workspace.h"

#include <algorithm>
#include <vector>

#include "logo/interp.h"
#include "logo/listing.h"
#include "logo/reader.h"

namespace corvida::logo {
namespace {

class TextBuilder {
 public:
  explicit TextBuilder(bool* complete) : complete_(complete) {}

  // Adds one listed entry; an entry cut at the entry limit, or one that would pass the
  // text's limit, is left out whole, so what is written reads back as it was.
  void Entry(const std::string& entry, const std::string& bury_line) {
    size_t lines = CountLines(entry) + CountLines(bury_line);
    // The text as it will be stored: a CR before every line end, and room for the two
    // separator lines still to come.
    size_t bytes = text_.size() + lines_ + entry.size() + bury_line.size() + lines + 4;
    if (entry.size() >= kListingEntryLimit || bytes > kWorkspaceTextLimit ||
        lines_ + lines + 2 > kWorkspaceLineLimit) {
      if (complete_) *complete_ = false;
      return;
    }
    text_ += entry;
    text_ += bury_line;
    lines_ += lines;
  }
  void Separator() {
    text_ += '\n';
    ++lines_;
  }
  bool empty() const { return text_.empty(); }

  // The text with CR LF line ends.
  std::string Finish() const {
    std::string out;
    out.reserve(text_.size() + text_.size() / 16);
    for (char c : text_) {
      if (c == '\n') out += '\r';
      out += c;
    }
    return out;
  }

 private:
  static size_t CountLines(const std::string& s) { return std::count(s.begin(), s.end(), '\n'); }

  std::string text_;
  size_t lines_ = 0;
  bool* complete_;
};

std::string BuryLine(const char* primitive, Node* name) {
  std::string line = primitive;
  line += ' ';
  AppendQuotedWord(line, name);
  line += '\n';
  return line;
}

// Splits a text into lines: CR LF, CR and LF each end one line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool FirstWordIs(Node* tokens, const char* word) {
  return IsList(tokens) && IsWord(tokens->elem) && WordEqualsNoCase(tokens->elem, word);
}

bool IsEndLine(Node* tokens) {
  return FirstWordIs(tokens, "END") && !tokens->link;
}

bool IsQuoted(Node* t) {
  return IsWord(t) && FirstChar(t) == '"';
}

bool IsLiteral(Node* t) {
  return IsNumber(t) || IsQuoted(t) || IsList(t);
}

// The token that makes an instruction line something a workspace save never writes, or
// null when the line is one it writes: MAKE, NAME, SETPLIST and PPROP with quoted names
// and literal values, the BURY family with a quoted name or a list, BURYALL, UNBURYALL,
// or the title line of a definition.
Node* Forbidden(Node* tokens) {
  struct Shape {
    const char* name;
    bool (*check[3])(Node*);
  };
  auto quoted = +[](Node* t) { return IsQuoted(t); };
  auto literal = +[](Node* t) { return IsLiteral(t); };
  auto names = +[](Node* t) { return IsQuoted(t) || IsList(t); };
  auto list = +[](Node* t) { return IsList(t); };
  const Shape shapes[] = {
      {"MAKE", {quoted, literal}},
      {"NAME", {literal, quoted}},
      {"SETPLIST", {quoted, list}},
      {"PPROP", {quoted, quoted, literal}},
      {"BURY", {names}},
      {"UNBURY", {names}},
      {"BURYNAME", {names}},
      {"UNBURYNAME", {names}},
      {"BURYPLIST", {names}},
      {"UNBURYPLIST", {names}},
      {"BURYALL", {}},
      {"UNBURYALL", {}},
  };
  if (FirstWordIs(tokens, "TO")) return nullptr;
  for (const Shape& shape : shapes) {
    if (!FirstWordIs(tokens, shape.name)) continue;
    Node* t = tokens->link;
    for (auto check : shape.check) {
      if (!check) break;
      if (!t) return tokens->elem;  // too few inputs: the instruction itself
      if (!check(t->elem)) return t->elem;
      t = t->link;
    }
    return t ? t->elem : nullptr;
  }
  return tokens->elem;
}

// Workspaces saved by earlier players wrote a variable's word value as SHOW prints it,
// without its double-quote character (`MAKE "x hello`), and the empty word as nothing at
// all. Run as it stands, such a line would call the word and lose the value; it is
// rewritten to make the word instead. False for any other line.
bool RewriteBareMakeValue(Node* tokens, std::string& line) {
  if (!FirstWordIs(tokens, "MAKE") || !tokens->link || !IsQuoted(tokens->link->elem)) return false;
  Node* value = tokens->link->link;
  if (value && (value->link || !IsWord(value->elem) || IsQuoted(value->elem) ||
                FirstChar(value->elem) == ':'))
    return false;
  line = "MAKE ";
  AppendListedWord(line, tokens->link->elem);
  line += ' ';
  if (value)
    AppendQuotedWord(line, value->elem);
  else
    line += '"';
  return true;
}

// What a run inside a running script must leave as it found it.
struct RunState {
  bool error_flag, throw_flag, stop_flag, output_enabled, workspace_loading;
  int cur_frame;
  std::vector<CatchFrame> catches;
  Node* at_line;
  std::vector<Node*> proc_scopes;
};

RunState Suspend(Interpreter& in, bool workspace) {
  RunState s{in.error_flag,         in.throw_flag,        in.stop_flag,
             in.output_enabled,     in.workspace_loading, in.cur_frame,
             std::move(in.catches), in.at_line,           {}};
  for (const CatchFrame& c : s.catches) in.Protect(c.tag);
  in.Protect(s.at_line);
  in.catches.clear();
  s.proc_scopes = in.TakeProcScopes();  // the workspace's definitions outlive the script
  in.cur_frame = -1;                    // definitions are global, whatever procedure is running
  in.output_enabled = false;
  in.workspace_loading = workspace;
  return s;
}

void Resume(Interpreter& in, RunState& s) {
  in.error_flag = s.error_flag;
  in.throw_flag = s.throw_flag;
  in.stop_flag = s.stop_flag;
  in.output_enabled = s.output_enabled;
  in.workspace_loading = s.workspace_loading;
  in.cur_frame = s.cur_frame;
  in.catches = std::move(s.catches);
  in.at_line = s.at_line;
  in.RestoreProcScopes(std::move(s.proc_scopes));
}

// Reports a line the workspace may not hold, showing it after "At:".
void ReportForbidden(Interpreter& in, Node* tokens, Node* culprit) {
  if (IsWord(culprit) && FirstChar(culprit) == ':') culprit = tokens->elem;
  if (!IsWord(culprit) && !IsNumber(culprit)) culprit = tokens->elem;
  in.at_line = tokens;
  in.Error(kErrNotInWorkspace, culprit);
  in.at_line = nullptr;
}

}  // namespace

std::string WorkspaceText(Interpreter& in, WorkspaceScope scope, bool* complete) {
  if (complete) *complete = true;
  TextBuilder text(complete);
  bool buried = scope == WorkspaceScope::kWithBuried;
  auto names = [&](Node* b) {
    text.Entry(MakeLine(b), "");
    return true;
  };
  ForEachInBuckets(in.names, names);
  if (buried) {
    ForEachInBuckets(in.buried_names, [&](Node* b) {
      text.Entry(MakeLine(b), BuryLine("BURYNAME", b->elem));
      return true;
    });
  }
  text.Separator();
  ForEachPlist(in.plists, [&](Node* r) {
    text.Entry(SetplistLine(r), "");
    return true;
  });
  if (buried) {
    ForEachPlist(in.buried_plists, [&](Node* r) {
      text.Entry(SetplistLine(r), BuryLine("BURYPLIST", r->elem));
      return true;
    });
  }
  text.Separator();
  bool first = true;
  auto definition = [&](Node* r, bool is_buried) {
    std::string entry = first ? std::string() : std::string("\n");
    entry += DefinitionText(r);
    first = false;
    text.Entry(entry, is_buried ? BuryLine("BURY", r->elem) : "");
    return true;
  };
  ForEachInBuckets(in.procs, [&](Node* r) { return definition(r, false); });
  if (buried) ForEachInBuckets(in.buried_procs, [&](Node* r) { return definition(r, true); });
  return text.Finish();
}

int LoadWorkspaceText(Interpreter& in, std::string_view text, LoadMode mode) {
  if (!in.Start()) return 1;
  bool workspace_only = mode == LoadMode::kWorkspaceOnly;
  size_t mark = in.TempMark();
  RunState saved = Suspend(in, workspace_only);
  std::vector<std::string_view> lines = SplitLines(text);
  int failed = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    in.error_flag = in.throw_flag = in.stop_flag = false;
    size_t line_mark = in.TempMark();
    Node* tokens = Tokenize(in, lines[i]);
    if (!tokens) {
      ++failed;
      continue;
    }
    in.Protect(tokens);
    in.ReleaseFresh(tokens);
    std::string chunk(lines[i]);
    if (FirstWordIs(tokens, "TO")) {
      // The definition's lines up to END go with its title line.
      while (i + 1 < lines.size()) {
        chunk += '\n';
        chunk += lines[++i];
        size_t body_mark = in.TempMark();
        Node* body = Tokenize(in, lines[i]);
        bool end = body && IsEndLine(body);
        in.ReleaseFresh(body);
        in.TempReset(body_mark);
        if (end) break;
      }
    }
    const bool rewritten = workspace_only && RewriteBareMakeValue(tokens, chunk);
    Node* culprit = workspace_only && !rewritten && !Interpreter::IsEmptyList(tokens)
                        ? Forbidden(tokens)
                        : nullptr;
    if (culprit) {
      ReportForbidden(in, tokens, culprit);
    } else if (!Interpreter::IsEmptyList(tokens)) {
      in.RunScript(chunk, false);  // definitions stay after a load inside a script
    }
    if (in.error_flag || in.throw_flag) ++failed;
    in.TempReset(line_mark);
  }
  Resume(in, saved);
  in.TempReset(mark);
  return failed;
}

StackWorkspaceLoad LoadStackWorkspace(Interpreter& in, std::string_view text) {
  StackWorkspaceLoad result;
  if (text.size() > kWorkspaceTextLimit) {
    result.outcome = StackWorkspaceLoad::Outcome::kTooLarge;
  } else if (SplitLines(text).size() > kWorkspaceLineLimit) {
    result.outcome = StackWorkspaceLoad::Outcome::kTooManyLines;
  } else {
    result.failed = LoadWorkspaceText(in, text, LoadMode::kWorkspaceOnly);
  }
  return result;
}

void EraseWorkspace(Interpreter& in) {
  for (int b = 0; b < 7; ++b) {
    in.names[b] = in.buried_names[b] = nullptr;
    in.procs[b] = in.buried_procs[b] = nullptr;
  }
  in.plists = in.buried_plists = nullptr;
  for (NameIndex* index :
       {&in.name_index, &in.buried_name_index, &in.plist_index, &in.buried_plist_index})
    index->Clear();
}

}  // namespace corvida::logo
