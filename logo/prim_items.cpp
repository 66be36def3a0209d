// Card bridge primitives on the objects of cards: showing, hiding and inverting them,
// their visibility, position and rectangle in turtle coordinates, pressing buttons and
// menu items, the last names and the score, and the text of fields. An object is named
// by a card (empty: the current one), an item name (ME: the object whose script runs)
// and a kind (BUTTON, TEXT, GRAPHIC or 0 to 2).
#include <algorithm>

#include "logo/card_bridge.h"
#include "logo/value_text.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

enum ItemCommand : int16_t {
  kFindText = 8,
  kChooseMenuItem = 10,
  kLocate = 24,
  kHide = 26,
  kShow = 27,
  kGetRect = 31,
  kSetRect = 32,
  kObjectInfo = 35,
  kCentre = 37,
  kPressButton = 43,
  kScore = 49,
  kGetFieldText = 58,
  kSetFieldText = 59,
  kLastNames = 71,
  kInvert = 122,
};

constexpr uint32_t kNamedCard = 0xFFFE0000;  // -131072: the card named by p4
constexpr uint32_t kHiddenFlag = 0x0020;
enum Kind : uint32_t { kButton = 0, kText = 1, kGraphic = 2 };

bool IsEmpty(Node* v) {
  return !v || Interpreter::IsEmptyList(v) || (v->IsWord() && WordLength(v) == 0);
}

Kind KindOf(Interpreter& in, Node* v, int row) {
  if (v && v->IsWord() && !NumericWord(v)) {
    if (WordEqualsNoCase(v, "BUTTON")) return kButton;
    if (WordEqualsNoCase(v, "TEXT")) return kText;
    if (WordEqualsNoCase(v, "GRAPHIC")) return kGraphic;
  } else if (v && (v->IsNumber() || NumericWord(v))) {
    const int32_t n = in.GetInteger(v, kSilent);
    if (n >= 0 && n <= 2) return static_cast<Kind>(n);
  }
  in.ErrorRow(kErrDoesntLike, row, v);
  return kButton;
}

void AddressCard(CardBridge& b, Node* card) {
  if (IsEmpty(card)) {
    b.SetParam(1, 0);
    return;
  }
  b.SetParam(1, kNamedCard);
  b.SetParam(4, b.CardNameString(ValueText(card)));
}

// The name of the object whose script runs, of that kind (command 71's answers).
std::string MyName(CardBridge& b, Kind kind) {
  if (!b.port) return {};
  const CallbackBlock saved = b.port->block();
  b.Issue(kLastNames);
  std::string name = b.ReadString(b.Param(1 + int(kind))).value_or("");
  b.port->block() = saved;
  return name;
}

void AddressItem(CardBridge& b, Node* item, Kind kind) {
  std::string name = ValueText(item);
  if (name.size() == 2 && (name[0] | 0x20) == 'm' && (name[1] | 0x20) == 'e')
    name = MyName(b, kind);
  b.ParamString(3, name);
}

// Fills the object reference of (card, item, kind); false after an error.
bool Address(Interpreter& in, PrimCall& c, Node* card, Node* item, Node* kind_input) {
  const Kind kind = kind_input ? KindOf(in, kind_input, c.row) : kButton;
  CardBridge& b = in.bridge();
  AddressCard(b, card);
  b.SetParam(2, kind);
  AddressItem(b, item, kind);
  return !in.Unwinding();
}

Node* NumberList(Interpreter& in, std::initializer_list<int32_t> numbers) {
  Node* list = nullptr;
  for (auto it = std::rbegin(numbers); it != std::rend(numbers); ++it) {
    Node* n = in.NewInt(*it);
    if (!n) return nullptr;
    list = in.Cons(n, list);
    if (!list) return nullptr;
  }
  return list ? list : in.empty_list();
}

// The numbers a list's expressions give: exactly `count`, else error 41 showing the list.
bool ReadNumbers(Interpreter& in, Node* list, int row, size_t count, std::vector<int32_t>& out) {
  out.clear();
  if (!list || !list->IsList()) {
    in.ErrorRow(kErrDoesntLike, row, list);
    return false;
  }
  Node* cur = Interpreter::IsEmptyList(list) ? nullptr : list;
  while (cur && !in.Unwinding() && out.size() <= count) {
    Node* v = in.EvalExpr(cur, false);
    if (in.Unwinding()) return false;
    out.push_back(in.GetInteger(v, row));
  }
  if (in.Unwinding()) return false;
  if (out.size() != count) {
    in.ErrorRow(kErrDoesntLike, row, list);
    return false;
  }
  return true;
}

std::vector<uint8_t> RectBytes(int32_t l, int32_t t, int32_t r, int32_t bottom) {
  std::vector<uint8_t> bytes(16);
  const int32_t sides[] = {l, t, r, bottom};
  for (size_t i = 0; i < 4; ++i) WriteLE32(bytes, i * 4, static_cast<uint32_t>(sides[i]));
  return bytes;
}

Node* ShowItem(Interpreter& in, PrimCall& c) {
  if (Address(in, c, c.in[0], c.in[1], c.in[2])) in.bridge().Issue(kShow);
  return nullptr;
}

Node* HideItem(Interpreter& in, PrimCall& c) {
  if (Address(in, c, c.in[0], c.in[1], c.in[2])) in.bridge().Issue(kHide);
  return nullptr;
}

Node* InvertItem(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], c.in[2])) return nullptr;
  in.bridge().SetParam(5, 1);
  in.bridge().Issue(kInvert);
  return nullptr;
}

Node* VisibleP(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], c.in[2])) return nullptr;
  CardBridge& b = in.bridge();
  b.Issue(kLocate);
  if (b.Param(2) == 0) return in.false_node();
  // The record's card (a shared object's is the background) with the record's offset.
  const uint32_t offset = b.Param(1), holder = b.Param(2);
  b.SetParam(1, holder);
  b.SetParam(2, offset);
  b.Issue(kObjectInfo);
  return in.Truth(b.Param(1) != 0 && !(b.Param(5) & kHiddenFlag));
}

Node* GetItemPos(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], c.in[2])) return nullptr;
  CardBridge& b = in.bridge();
  b.Issue(kCentre);
  const TurtleFrame f = FrameOf(in);
  auto x = static_cast<int32_t>(b.Param(1)), y = static_cast<int32_t>(b.Param(2));
  if (x == 0) x = f.cx, y = f.cy;
  return NumberList(in, {f.TurtleX(x), f.TurtleY(y)});
}

Node* GetItemRect(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], c.in[2])) return nullptr;
  CardBridge& b = in.bridge();
  b.Issue(kGetRect);
  const TurtleFrame f = FrameOf(in);
  std::vector<uint8_t> r = b.port ? b.port->ReadBlock(b.Param(1), 16) : std::vector<uint8_t>{};
  if (r.size() < 16) return NumberList(in, {0, 0, 0, 0});
  auto side = [&](size_t i) { return static_cast<int32_t>(ReadLE32(r, i * 4)); };
  return NumberList(
      in, {f.TurtleX(side(0)), f.TurtleY(side(1)), f.TurtleX(side(2)), f.TurtleY(side(3))});
}

Node* SetItemRect(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], c.in[2])) return nullptr;
  std::vector<int32_t> n;
  if (!ReadNumbers(in, c.in[3], c.row, 4, n)) return nullptr;
  CardBridge& b = in.bridge();
  const TurtleFrame f = FrameOf(in);
  b.SetParam(5, b.StaticBlock(CardBridge::Static::kRect, RectBytes(f.CardX(n[0]), f.CardY(n[1]),
                                                                   f.CardX(n[2]), f.CardY(n[3]))));
  b.Issue(kSetRect);
  return nullptr;
}

Node* SetItemPos(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], c.in[2])) return nullptr;
  std::vector<int32_t> n;
  if (!ReadNumbers(in, c.in[3], c.row, 2, n)) return nullptr;
  CardBridge& b = in.bridge();
  if (!b.port) return nullptr;
  const TurtleFrame f = FrameOf(in);
  const CallbackBlock slots = b.port->block();
  b.Issue(kGetRect);
  std::vector<uint8_t> r = b.port->ReadBlock(b.Param(1), 16);
  b.port->block() = slots;
  b.Issue(kCentre);
  const auto x = static_cast<int32_t>(b.Param(1)), y = static_cast<int32_t>(b.Param(2));
  b.port->block() = slots;
  if (r.size() < 16) return nullptr;
  const int32_t dx = f.CardX(n[0]) - x, dy = f.CardY(n[1]) - y;
  auto side = [&](size_t i) { return static_cast<int32_t>(ReadLE32(r, i * 4)); };
  b.SetParam(5, b.StaticBlock(CardBridge::Static::kRect,
                              RectBytes(side(0) + dx, side(1) + dy, side(2) + dx, side(3) + dy)));
  b.Issue(kSetRect);
  return nullptr;
}

Node* DoButton(Interpreter& in, PrimCall& c) {
  if (Address(in, c, c.in[0], c.in[1], nullptr)) in.bridge().Issue(kPressButton);
  return nullptr;
}

Node* DoMenu(Interpreter& in, PrimCall& c) {
  CardBridge& b = in.bridge();
  b.SetParam(1, 0);
  b.ParamString(3, ValueText(c.in[0]));
  b.ParamString(4, ValueText(c.in[1]));
  b.Issue(kChooseMenuItem);
  return nullptr;
}

Node* LastName(Interpreter& in, int slot) {
  CardBridge& b = in.bridge();
  b.Issue(kLastNames);
  const std::string name = b.ReadString(b.Param(slot)).value_or("");
  return name.empty() ? in.empty_word() : in.MakeWord(name);
}

Node* GetButtonName(Interpreter& in, PrimCall&) {
  return LastName(in, 1);
}
Node* GetTextName(Interpreter& in, PrimCall&) {
  return LastName(in, 2);
}
Node* GetGraphicName(Interpreter& in, PrimCall&) {
  return LastName(in, 3);
}

Node* GetCurrentScore(Interpreter& in, PrimCall&) {
  CardBridge& b = in.bridge();
  b.Issue(kScore);
  const std::string name = b.ReadString(b.Param(3)).value_or("");
  Node* word = name.empty() ? in.empty_word() : in.MakeWord(name);
  Node* answered = in.NewInt(static_cast<int32_t>(b.Param(1)));
  Node* right = in.NewInt(static_cast<int32_t>(b.Param(2)));
  if (!word || !answered || !right) return nullptr;
  Node* tail = in.Cons(word, nullptr);
  Node* mid = tail ? in.Cons(right, tail) : nullptr;
  return mid ? in.Cons(answered, mid) : nullptr;
}

Node* FindText(Interpreter& in, PrimCall& c) {
  CardBridge& b = in.bridge();
  b.ParamString(1, ValueText(c.in[0]));
  b.SetParam(2, static_cast<uint32_t>(in.GetInteger(c.in[1], c.row)));
  if (in.Unwinding()) return nullptr;
  b.Issue(kFindText);
  // The command finds nothing: the player's Find Text is its own dialog.
  return in.NewInt(0);
}

// The field's text and selection, read through command 58; its handles are disposed.
struct FieldAnswer {
  std::string text;
  uint32_t start = 0, end = 0;
};
std::optional<FieldAnswer> ReadField(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], nullptr)) return std::nullopt;
  CardBridge& b = in.bridge();
  b.SetParam(2, kText);
  b.Issue(kGetFieldText);
  FieldAnswer a{b.ReadText(b.Param(1)), b.Param(3), b.Param(4)};
  for (int slot : {1, 2}) {
    if (!b.Param(slot) || !b.port) continue;
    b.port->DisposeBlock(b.Param(slot));
    b.SetParam(slot, 0);
  }
  return a;
}

Node* GetFieldText(Interpreter& in, PrimCall& c) {
  auto a = ReadField(in, c);
  if (!a) return nullptr;
  return a->text.empty() ? in.empty_word() : in.MakeWord(a->text);
}

Node* GetSelectedText(Interpreter& in, PrimCall& c) {
  auto a = ReadField(in, c);
  if (!a) return nullptr;
  const size_t start = std::min<size_t>(a->start, a->text.size());
  const size_t end = std::min<size_t>(std::max(a->start, a->end), a->text.size());
  if (start >= end) return in.empty_word();
  return in.MakeWord(std::string_view(a->text).substr(start, end - start));
}

Node* SetFieldText(Interpreter& in, PrimCall& c) {
  if (!Address(in, c, c.in[0], c.in[1], nullptr)) return nullptr;
  CardBridge& b = in.bridge();
  if (!b.port) return nullptr;
  const std::string text = MacToWindows(ValueText(c.in[2]));
  const uint32_t handle =
      b.port->NewBlock({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  if (!handle) {
    in.ErrorRow(kErrOutOfSpace, c.row);
    return nullptr;
  }
  b.SetParam(2, handle);
  b.SetParam(5, 0);
  b.Issue(kSetFieldText);
  return nullptr;
}

}  // namespace

void RegisterItemPrimitives(PrimitiveTable& table) {
  table.Set("SHOWITEM", &ShowItem);
  table.Set("HIDEITEM", &HideItem);
  table.Set("INVERTITEM", &InvertItem);
  table.Set("VISIBLEP", &VisibleP);
  table.Set("GETITEMPOS", &GetItemPos);
  table.Set("GETITEMRECT", &GetItemRect);
  table.Set("SETITEMRECT", &SetItemRect);
  table.Set("SETITEMPOS", &SetItemPos);
  table.Set("DOBUTTON", &DoButton);
  table.Set("DOMENU", &DoMenu);
  table.Set("GETBUTTONNAME", &GetButtonName);
  table.Set("GETTEXTNAME", &GetTextName);
  table.Set("GETGRAPHICNAME", &GetGraphicName);
  table.Set("GETCURRENTSCORE", &GetCurrentScore);
  table.Set("FINDTEXT", &FindText);
  table.Set("GETFIELDTEXT", &GetFieldText);
  table.Set("GETSELECTEDTEXT", &GetSelectedText);
  table.Set("SETFIELDTEXT", &SetFieldText);
}

}  // namespace corvida::logo
