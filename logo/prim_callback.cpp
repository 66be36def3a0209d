// Card bridge primitives for alerts, waiting on media, extension modules, and raw access
// to the callback block: CBSETCMD and CALLBACK issue any command an extension could, with
// parameters set and read slot by slot (slots 1 to 5).
#include <algorithm>

#include "logo/card_bridge.h"
#include "logo/value_text.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

enum Command : int16_t {
  kPendingMessages = 42,
  kCallNba = 67,
  kAlert = 68,
  kMediaState = 89,
};

constexpr size_t kAlertLimit = 255;

struct Keyword {
  const char* word;
  int32_t value;
};

// A keyword's value, or a number's; error 41 and `fallback` for another word.
int32_t KeywordValue(Interpreter& in, Node* v, int row, std::initializer_list<Keyword> words,
                     int32_t fallback) {
  if (v && v->IsWord() && !NumericWord(v)) {
    for (const Keyword& k : words)
      if (WordEqualsNoCase(v, k.word)) return k.value;
    in.ErrorRow(kErrDoesntLike, row, v);
    return fallback;
  }
  return in.GetInteger(v, row);
}

Node* DoAlert(Interpreter& in, PrimCall& c) {
  int32_t size = in.GetInteger(c.in[0], kSilent);
  if (size < 1 || size > 9) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    size = 5;
  }
  int32_t icon = KeywordValue(
      in, c.in[1], c.row, {{"NONE", 0}, {"STOP", 1}, {"NOTE", 2}, {"CAUTION", 3}, {"ADDY", 4}}, 0);
  if (icon < 0 || icon > 4) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[1]);
    icon = 0;
  }
  std::vector<Node*> labels;
  if (c.in[3] && c.in[3]->IsList()) {
    for (Node* cell = Interpreter::IsEmptyList(c.in[3]) ? nullptr : c.in[3]; cell;
         cell = cell->link)
      labels.push_back(cell->elem);
  } else {
    labels.push_back(c.in[3]);
  }
  if (labels.empty() || labels.size() > 3) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[3]);
    return nullptr;
  }
  if (in.Unwinding()) return nullptr;
  std::string text = std::to_string(size) + std::to_string(icon);
  for (char ch : ValueText(c.in[2])) {
    text += ch;
    if (ch == '\\') text += '\\';
  }
  // The last label first: the alert lays its buttons out from the right.
  for (auto it = labels.rbegin(); it != labels.rend(); ++it) text += '\\' + ValueText(*it);
  text.resize(std::min(text.size(), kAlertLimit));
  CardBridge& b = in.bridge();
  b.ParamString(1, text);
  b.Issue(kAlert);
  const auto answer = static_cast<int32_t>(b.Param(1));
  return in.NewInt(static_cast<int32_t>(labels.size()) - answer + 1);
}

Node* DoneP(Interpreter& in, PrimCall& c) {
  int32_t what = 0;
  auto add = [&](Node* v) {
    what |= KeywordValue(
        in, v, c.row,
        {{"MOVIE", 1}, {"SOUND", 2}, {"ANIMATION", 4}, {"VIDEO", 8}, {"EVERYTHING", 65535}}, 0);
  };
  if (c.in[0] && c.in[0]->IsList()) {
    for (Node* cell = Interpreter::IsEmptyList(c.in[0]) ? nullptr : c.in[0]; cell;
         cell = cell->link)
      add(cell->elem);
  } else {
    add(c.in[0]);
  }
  if (in.Unwinding()) return nullptr;
  CardBridge& b = in.bridge();
  b.Issue(kPendingMessages);
  in.InterruptCheck();
  if (in.Unwinding()) return nullptr;
  b.Issue(kMediaState);
  // Movies answer in p1, sounds in p2, animations in p3; video never plays.
  const bool busy =
      ((what & 1) && b.Param(1)) || ((what & 2) && b.Param(2)) || ((what & 4) && b.Param(3));
  return in.Truth(!busy);
}

Node* CallNba(Interpreter& in, PrimCall& c) {
  const int32_t message =
      KeywordValue(in, c.in[2], c.row, {{"ABOUT", 1}, {"CLOSE", 2}, {"PARAM", 3}, {"RUN", 4}}, 1);
  if (in.Unwinding()) return nullptr;
  CardBridge& b = in.bridge();
  if (!b.port) return in.empty_word();
  const std::string input = MacToWindows(ValueText(c.in[1]));
  const uint32_t data =
      b.port->NewBlock({reinterpret_cast<const uint8_t*>(input.data()), input.size()});
  if (!data) {
    in.ErrorRow(kErrOutOfSpace, c.row);
    return nullptr;
  }
  b.SetParam(1, 0);
  b.SetParam(2, data);
  b.ParamString(3, ValueText(c.in[0]));
  b.SetParam(4, static_cast<uint32_t>(message));
  b.Issue(kCallNba);
  // The module's answer (or the data, emptied) comes back in p2; it is ours to free.
  const uint32_t answer = b.Param(2);
  const std::string text = b.ReadText(answer);
  b.port->DisposeBlock(answer);
  if (answer != data) b.port->DisposeBlock(data);
  return text.empty() ? in.empty_word() : in.MakeWord(text);
}

// A slot input: 1 to 5, else error 41 and `fallback`.
int Slot(Interpreter& in, PrimCall& c, int fallback) {
  const int32_t slot = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return fallback;
  if (slot >= 1 && slot <= 5) return slot;
  in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
  return fallback;
}

Node* CbSetCmd(Interpreter& in, PrimCall& c) {
  const int32_t n = in.GetInteger(c.in[0], c.row);
  if (!in.Unwinding() && in.bridge().port)
    in.bridge().port->block().set_command(static_cast<int16_t>(n));
  return nullptr;
}

Node* Callback(Interpreter& in, PrimCall&) {
  CardBridge& b = in.bridge();
  if (!b.port) return nullptr;
  b.port->Dispatch();
  return nullptr;
}

Node* CbSetParamInt(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 0);
  const int32_t n = in.GetInteger(c.in[1], c.row);
  if (!in.Unwinding()) in.bridge().SetParam(slot, static_cast<uint32_t>(n));
  return nullptr;
}

Node* CbSetParamStr(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 0);
  if (!in.Unwinding()) in.bridge().ParamString(slot, ValueText(c.in[1]));
  return nullptr;
}

Node* CbSetParamStrH(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 0);
  CardBridge& b = in.bridge();
  if (in.Unwinding() || !b.port) return nullptr;
  const std::string text = MacToWindows(ValueText(c.in[1]));
  const uint32_t h = b.port->NewBlock({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  if (!h) in.ErrorRow(kErrOutOfSpace, c.row);
  b.SetParam(slot, h);
  return nullptr;
}

Node* CbSetParamPoint(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 5);
  Node* list = c.in[1];
  int32_t xy[2] = {};
  int count = 0;
  Node* cur = list && list->IsList() && !Interpreter::IsEmptyList(list) ? list : nullptr;
  while (cur && count < 3 && !in.Unwinding()) {
    Node* v = in.EvalExpr(cur, false);
    if (in.Unwinding()) return nullptr;
    const int32_t n = in.GetInteger(v, c.row);
    if (count < 2) xy[count] = n;
    ++count;
  }
  if (in.Unwinding()) return nullptr;
  if (count != 2) {
    in.ErrorRow(kErrDoesntLike, c.row, list);
    return nullptr;
  }
  CardBridge& b = in.bridge();
  const TurtleFrame f = FrameOf(in);
  std::vector<uint8_t> bytes(8);
  WriteLE32(bytes, 0, static_cast<uint32_t>(f.CardX(xy[0])));
  WriteLE32(bytes, 4, static_cast<uint32_t>(f.CardY(xy[1])));
  b.SetParam(slot, b.StaticBlock(CardBridge::Static::kPoint, bytes));
  return nullptr;
}

Node* CbSetParamRect(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 5);
  Node* list = c.in[1];
  std::vector<int32_t> n;
  Node* cur = list && list->IsList() && !Interpreter::IsEmptyList(list) ? list : nullptr;
  while (cur && n.size() < 5 && !in.Unwinding()) {
    Node* v = in.EvalExpr(cur, false);
    if (in.Unwinding()) return nullptr;
    n.push_back(in.GetInteger(v, c.row));
  }
  if (in.Unwinding()) return nullptr;
  if (n.size() != 4) {
    in.ErrorRow(kErrDoesntLike, c.row, list);
    return nullptr;
  }
  CardBridge& b = in.bridge();
  const TurtleFrame f = FrameOf(in);
  std::vector<uint8_t> bytes(16);
  const int32_t sides[] = {f.CardX(n[0]), f.CardY(n[1]), f.CardX(n[2]), f.CardY(n[3])};
  for (size_t i = 0; i < 4; ++i) WriteLE32(bytes, i * 4, static_cast<uint32_t>(sides[i]));
  b.SetParam(slot, b.StaticBlock(CardBridge::Static::kRect, bytes));
  return nullptr;
}

Node* CbGetParamInt(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 0);
  if (in.Unwinding()) return nullptr;
  return in.NewInt(static_cast<int32_t>(in.bridge().Param(slot)));
}

Node* CbGetParamStr(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 0);
  if (in.Unwinding()) return nullptr;
  const std::string s = in.bridge().ReadString(in.bridge().Param(slot)).value_or("");
  return s.empty() ? in.empty_word() : in.MakeWord(s);
}

Node* CbGetParamStrH(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 0);
  CardBridge& b = in.bridge();
  if (in.Unwinding() || !b.port) return nullptr;
  const std::string s = b.ReadText(b.Param(slot));
  b.port->DisposeBlock(b.Param(slot));
  return s.empty() ? in.empty_word() : in.MakeWord(s);
}

Node* CbGetParamPoint(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 5);
  CardBridge& b = in.bridge();
  if (!b.port) return in.empty_list();
  const TurtleFrame f = FrameOf(in);
  std::vector<uint8_t> p = b.port->ReadBlock(b.Param(slot), 8);
  if (p.size() < 8) return in.empty_list();
  const auto x = static_cast<int32_t>(ReadLE32(p, 0)), y = static_cast<int32_t>(ReadLE32(p, 4));
  Node* ny = in.NewInt(f.TurtleY(y));
  Node* nx = in.NewInt(f.TurtleX(x));
  Node* tail = ny ? in.Cons(ny, nullptr) : nullptr;
  return nx && tail ? in.Cons(nx, tail) : nullptr;
}

Node* CbGetParamRect(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 5);
  CardBridge& b = in.bridge();
  if (!b.port) return in.empty_list();
  const TurtleFrame f = FrameOf(in);
  std::vector<uint8_t> r = b.port->ReadBlock(b.Param(slot), 16);
  if (r.size() < 16) return in.empty_list();
  auto side = [&](size_t i) { return static_cast<int32_t>(ReadLE32(r, i * 4)); };
  const int32_t values[] = {f.TurtleX(side(0)), f.TurtleY(side(1)), f.TurtleX(side(2)),
                            f.TurtleY(side(3))};
  Node* list = nullptr;
  for (int i = 3; i >= 0; --i) {
    Node* n = in.NewInt(values[i]);
    if (!n || !(list = in.Cons(n, list))) return nullptr;
  }
  return list;
}

Node* CbDisposeParamH(Interpreter& in, PrimCall& c) {
  const int slot = Slot(in, c, 0);
  CardBridge& b = in.bridge();
  if (in.Unwinding() || !b.port) return nullptr;
  // Disposed directly: issuing a command would overwrite slot 1 with the handle.
  b.port->DisposeBlock(b.Param(slot));
  return nullptr;
}

}  // namespace

void RegisterCallbackPrimitives(PrimitiveTable& table) {
  table.Set("DOALERT", &DoAlert);
  table.Set("DONEP", &DoneP);
  table.Set("CALLNBA", &CallNba);
  table.Set("CBSETCMD", &CbSetCmd);
  table.Set("CALLBACK", &Callback);
  table.Set("CBSETPARAMINT", &CbSetParamInt);
  table.Set("CBSETPARAMSTR", &CbSetParamStr);
  table.Set("CBSETPARAMSTRH", &CbSetParamStrH);
  table.Set("CBSETPARAMPOINT", &CbSetParamPoint);
  table.Set("CBSETPARAMRECT", &CbSetParamRect);
  table.Set("CBGETPARAMINT", &CbGetParamInt);
  table.Set("CBGETPARAMSTR", &CbGetParamStr);
  table.Set("CBGETPARAMSTRH", &CbGetParamStrH);
  table.Set("CBGETPARAMPOINT", &CbGetParamPoint);
  table.Set("CBGETPARAMRECT", &CbGetParamRect);
  table.Set("CBDISPOSEPARAMH", &CbDisposeParamH);
}

}  // namespace corvida::logo
