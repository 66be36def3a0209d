#include "logo/primitives.h"

#include "logo/interp.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

struct RowSpec {
  const char* name;
  int16_t inputs;
  const char* alias_of;
};

// The vocabulary in ASCII order of the names; -1 is a variable number of inputs.
constexpr RowSpec kRows[] = {
    {"ABS", 1, nullptr},
    {"ADDFRAME", 0, nullptr},
    {"ALLOPEN", 0, nullptr},
    {"AND", -1, nullptr},
    {"ARCCOS", 1, nullptr},
    {"ARCSIN", 1, nullptr},
    {"ARCTAN", 1, nullptr},
    {"ARCTAN2", 2, nullptr},
    {"ASCII", 1, nullptr},
    {"BACK", 1, nullptr},
    {"BACKGROUND", 0, nullptr},
    {"BACKGROUNDRGB", 0, nullptr},
    {"BEFOREP", 2, nullptr},
    {"BF", 1, "BUTFIRST"},
    {"BG", 0, "BACKGROUND"},
    {"BK", 1, "BACK"},
    {"BL", 1, "BUTLAST"},
    {"BURY", 1, nullptr},
    {"BURYALL", 0, nullptr},
    {"BURYNAME", 1, nullptr},
    {"BURYPLIST", 1, nullptr},
    {"BUTFIRST", 1, nullptr},
    {"BUTLAST", 1, nullptr},
    {"BUTTONP", 0, nullptr},
    {"CALLBACK", 0, nullptr},
    {"CALLNBA", 3, nullptr},
    {"CATALOG", 0, nullptr},
    {"CATCH", 2, nullptr},
    {"CBDISPOSEPARAMH", 1, nullptr},
    {"CBGETPARAMINT", 1, nullptr},
    {"CBGETPARAMPOINT", 1, nullptr},
    {"CBGETPARAMRECT", 1, nullptr},
    {"CBGETPARAMSTR", 1, nullptr},
    {"CBGETPARAMSTRH", 1, nullptr},
    {"CBSETCMD", 1, nullptr},
    {"CBSETPARAMINT", 2, nullptr},
    {"CBSETPARAMPOINT", 2, nullptr},
    {"CBSETPARAMRECT", 2, nullptr},
    {"CBSETPARAMSTR", 2, nullptr},
    {"CBSETPARAMSTRH", 2, nullptr},
    {"CHAR", 1, nullptr},
    {"CLEAN", 0, nullptr},
    {"CLEARSCREEN", 0, nullptr},
    {"CLEARSCREEN3D", 0, nullptr},
    {"CLOSE", 1, nullptr},
    {"CLOSEALL", 0, nullptr},
    {"COPYDEF", 2, nullptr},
    {"COS", 1, nullptr},
    {"COUNT", 1, nullptr},
    {"CREATEDIRECTORY", 1, nullptr},
    {"CS", 0, "CLEARSCREEN"},
    {"CS3D", 0, "CLEARSCREEN3D"},
    {"DATE", 0, nullptr},
    {"DEFINE", 2, nullptr},
    {"DEFINEDP", 1, nullptr},
    {"DELETEFRAME", 0, nullptr},
    {"DICT", 2, nullptr},
    {"DIFFERENCE", 2, nullptr},
    {"DIR", 0, nullptr},
    {"DOALERT", 4, nullptr},
    {"DOBUTTON", 2, nullptr},
    {"DOMENU", 2, nullptr},
    {"DONEP", 1, nullptr},
    {"DOT", 1, nullptr},
    {"DOTP", 1, nullptr},
    {"DOUNTIL", -1, nullptr},
    {"DRAWTOOFFSCREEN", -1, nullptr},
    {"DRAWTOSCREEN", 0, nullptr},
    {"EDIT", 1, nullptr},
    {"EDITS", 0, nullptr},
    {"EMPTYP", 1, nullptr},
    {"EQUALP", 2, nullptr},
    {"ERALL", 0, nullptr},
    {"ERASE", 1, nullptr},
    {"ERASEARC", 3, nullptr},
    {"ERASEFILE", 1, nullptr},
    {"ERASEOVAL", 1, nullptr},
    {"ERASERECT", 1, nullptr},
    {"ERASERRECT", 3, nullptr},
    {"ERDICT", 0, nullptr},
    {"ERN", 1, nullptr},
    {"ERNS", 0, nullptr},
    {"ERPROPS", 0, nullptr},
    {"ERPS", 0, nullptr},
    {"ERROR", 0, nullptr},
    {"EXP", 1, nullptr},
    {"FD", 1, "FORWARD"},
    {"FENCE", 0, nullptr},
    {"FILELEN", 1, nullptr},
    {"FILEP", 1, nullptr},
    {"FILL", 0, nullptr},
    {"FINDTEXT", 2, nullptr},
    {"FIRST", 1, nullptr},
    {"FLOAT", 1, nullptr},
    {"FLOATP", 1, nullptr},
    {"FORM", 3, nullptr},
    {"FORWARD", 1, nullptr},
    {"FPUT", 2, nullptr},
    {"FRAMEARC", 3, nullptr},
    {"FRAMEOVAL", 1, nullptr},
    {"FRAMERECT", 1, nullptr},
    {"FRAMERRECT", 3, nullptr},
    {"GETBACKCOLOR", 0, nullptr},
    {"GETBUTTONNAME", 0, nullptr},
    {"GETCURRENTSCORE", 0, nullptr},
    {"GETFIELDTEXT", 2, nullptr},
    {"GETFONTINFO", 0, nullptr},
    {"GETFORECOLOR", 0, nullptr},
    {"GETGRAPHICNAME", 0, nullptr},
    {"GETITEMPOS", 3, nullptr},
    {"GETITEMRECT", 3, nullptr},
    {"GETSELECTEDTEXT", 2, nullptr},
    {"GETTEXTNAME", 0, nullptr},
    {"GO", 1, nullptr},
    {"GPROP", 2, nullptr},
    {"HEADING", 0, nullptr},
    {"HIDEITEM", 3, nullptr},
    {"HIDETURTLE", 0, nullptr},
    {"HOME", 0, nullptr},
    {"HT", 0, "HIDETURTLE"},
    {"IF", -1, nullptr},
    {"IFF", -1, "IFFALSE"},
    {"IFFALSE", -1, nullptr},
    {"IFT", -1, "IFTRUE"},
    {"IFTRUE", -1, nullptr},
    {"INSERT", 3, nullptr},
    {"INSERTFRAME", 0, nullptr},
    {"INSTRUMENTS", 0, nullptr},
    {"INT", 1, nullptr},
    {"INTEGERP", 1, nullptr},
    {"INTQUOTIENT", 2, nullptr},
    {"INVERTARC", 3, nullptr},
    {"INVERTITEM", 3, nullptr},
    {"INVERTOVAL", 1, nullptr},
    {"INVERTRECT", 1, nullptr},
    {"INVERTRRECT", 3, nullptr},
    {"ITEM", 2, nullptr},
    {"KEYP", 0, nullptr},
    {"LABEL", 1, nullptr},
    {"LAST", 1, nullptr},
    {"LASTFRAME", 0, nullptr},
    {"LEFT", 1, nullptr},
    {"LIST", -1, nullptr},
    {"LISTP", 1, nullptr},
    {"LN", 1, nullptr},
    {"LOAD", 1, nullptr},
    {"LOCAL", 1, nullptr},
    {"LOCKSCREEN", 0, nullptr},
    {"LOWERCASE", 1, nullptr},
    {"LPUT", 2, nullptr},
    {"LT", 1, "LEFT"},
    {"MAKE", 2, nullptr},
    {"MATCH", 3, nullptr},
    {"MATCHP", 3, nullptr},
    {"MEMBER", 2, nullptr},
    {"MEMBERP", 2, nullptr},
    {"MOUSE", 0, nullptr},
    {"MOVENEXT", 0, nullptr},
    {"MOVEPREV", 0, nullptr},
    {"MOVETOCARD", 1, nullptr},
    {"MOVETOFIRST", 0, nullptr},
    {"MOVETOLAST", 0, nullptr},
    {"NAME", 2, nullptr},
    {"NAMEP", 1, nullptr},
    {"NEXTFRAME", 0, nullptr},
    {"NODES", 0, nullptr},
    {"NOT", 1, nullptr},
    {"NUMBERP", 1, nullptr},
    {"ONLINE", 0, nullptr},
    {"OP", 1, "OUTPUT"},
    {"OPEN", 1, nullptr},
    {"OR", -1, nullptr},
    {"OUTPUT", 1, nullptr},
    {"PAINTARC", 3, nullptr},
    {"PAINTOVAL", 1, nullptr},
    {"PAINTRECT", 1, nullptr},
    {"PAINTRRECT", 3, nullptr},
    {"PARSE", 1, nullptr},
    {"PC", 0, "PENCOLOR"},
    {"PD", 0, "PENDOWN"},
    {"PE", 0, "PENERASE"},
    {"PEN", 0, nullptr},
    {"PENCOLOR", 0, nullptr},
    {"PENCOLORRGB", 0, nullptr},
    {"PENDOWN", 0, nullptr},
    {"PENERASE", 0, nullptr},
    {"PENREVERSE", 0, nullptr},
    {"PENUP", 0, nullptr},
    {"PHONETIC", 1, nullptr},
    {"PITCH", 1, nullptr},
    {"PLAY", 0, nullptr},
    {"PLIST", 1, nullptr},
    {"PO", 1, nullptr},
    {"POALL", 0, nullptr},
    {"POFILE", 1, nullptr},
    {"PON", 1, nullptr},
    {"PONS", 0, nullptr},
    {"POPS", 0, nullptr},
    {"POS", 0, nullptr},
    {"POT", 1, nullptr},
    {"POTS", 0, nullptr},
    {"POWER", 2, nullptr},
    {"PPROP", 3, nullptr},
    {"PPS", 0, nullptr},
    {"PR", -1, "PRINT"},
    {"PREFIX", 0, nullptr},
    {"PRIMITIVEP", 1, nullptr},
    {"PRINT", -1, nullptr},
    {"PRODUCT", -1, nullptr},
    {"PU", 0, "PENUP"},
    {"PX", 0, "PENREVERSE"},
    {"QUIT", 0, nullptr},
    {"QUOTIENT", 2, nullptr},
    {"RANDOM", 1, nullptr},
    {"RANDOMIZE", 1, nullptr},
    {"RC", 0, "READCHAR"},
    {"RCS", 1, "READCHARS"},
    {"READCHAR", 0, nullptr},
    {"READCHARS", 1, nullptr},
    {"READER", 0, nullptr},
    {"READLIST", 0, nullptr},
    {"READPOS", 0, nullptr},
    {"READWORD", 0, nullptr},
    {"RECYCLE", 0, nullptr},
    {"REDRAWCARD", 0, nullptr},
    {"REMAINDER", 2, nullptr},
    {"REMOVE", 2, nullptr},
    {"REMPROP", 2, nullptr},
    {"RENAME", 2, nullptr},
    {"REPEAT", 2, nullptr},
    {"REPLACE", 3, nullptr},
    {"RERANDOM", 0, nullptr},
    {"RI", 1, "ROTATEIN"},
    {"RIGHT", 1, nullptr},
    {"RL", 0, "READLIST"},
    {"RLL", 1, "ROLLLEFT"},
    {"RLR", 1, "ROLLRIGHT"},
    {"RO", 1, "ROTATEOUT"},
    {"ROLLLEFT", 1, nullptr},
    {"ROLLRIGHT", 1, nullptr},
    {"ROTATEIN", 1, nullptr},
    {"ROTATEOUT", 1, nullptr},
    {"ROUND", 1, nullptr},
    {"RT", 1, "RIGHT"},
    {"RUN", 1, nullptr},
    {"SAVE", 1, nullptr},
    {"SAY", 1, nullptr},
    {"SCRUNCH", 0, nullptr},
    {"SE", -1, "SENTENCE"},
    {"SENTENCE", -1, nullptr},
    {"SETBACKCOLOR", 1, nullptr},
    {"SETBG", 1, nullptr},
    {"SETBGRGB", 1, nullptr},
    {"SETBKGDDIRTY", 0, nullptr},
    {"SETFIELDTEXT", 3, nullptr},
    {"SETFONTFAMILY", 1, nullptr},
    {"SETFONTSIZE", 1, nullptr},
    {"SETFONTSTYLE", 1, nullptr},
    {"SETFORECOLOR", 1, nullptr},
    {"SETH", 1, "SETHEADING"},
    {"SETH3D", 3, "SETHEADING3D"},
    {"SETHEADING", 1, nullptr},
    {"SETHEADING3D", 3, nullptr},
    {"SETITEMPOS", 4, nullptr},
    {"SETITEMRECT", 4, nullptr},
    {"SETPC", 1, nullptr},
    {"SETPCRGB", 1, nullptr},
    {"SETPENSIZE", 2, nullptr},
    {"SETPLIST", 2, nullptr},
    {"SETPOS", 1, nullptr},
    {"SETPREFIX", 1, nullptr},
    {"SETREAD", 1, nullptr},
    {"SETREADPOS", 1, nullptr},
    {"SETRWPROMPT", 1, nullptr},
    {"SETRWRECT", 1, nullptr},
    {"SETSCRUNCH", 1, nullptr},
    {"SETTRANSITION", 2, nullptr},
    {"SETWRITE", 1, nullptr},
    {"SETWRITEPOS", 1, nullptr},
    {"SETX", 1, nullptr},
    {"SETY", 1, nullptr},
    {"SETZ", 1, nullptr},
    {"SHOW", 1, nullptr},
    {"SHOWITEM", 3, nullptr},
    {"SHOWNP", 0, nullptr},
    {"SHOWTURTLE", 0, nullptr},
    {"SHOWTURTLE3D", 0, nullptr},
    {"SIMILARP", 3, nullptr},
    {"SIN", 1, nullptr},
    {"SPEED", 1, nullptr},
    {"SQRT", 1, nullptr},
    {"ST", 0, "SHOWTURTLE"},
    {"ST3D", 0, "SHOWTURTLE3D"},
    {"STOP", 0, nullptr},
    {"SUM", -1, nullptr},
    {"TAN", 1, nullptr},
    {"TEST", 1, nullptr},
    {"TEXT", 1, nullptr},
    {"TEXTIO", 0, nullptr},
    {"TEXTWIDTH", 1, nullptr},
    {"THING", 1, nullptr},
    {"THROW", 1, nullptr},
    {"TIME", 0, nullptr},
    {"TO", -1, nullptr},
    {"TOOT", 2, nullptr},
    {"TOPLEVEL", 0, nullptr},
    {"TOWARDS", 1, nullptr},
    {"TURTLEIO", 0, nullptr},
    {"TYPE", -1, nullptr},
    {"UNBURY", 1, nullptr},
    {"UNBURYALL", 0, nullptr},
    {"UNBURYNAME", 1, nullptr},
    {"UNBURYPLIST", 1, nullptr},
    {"UNLOCKSCREEN", 0, nullptr},
    {"UNPARSE", 1, nullptr},
    {"UPPERCASE", 1, nullptr},
    {"VERSION", 0, nullptr},
    {"VISIBLEP", 3, nullptr},
    {"VOICE", 1, nullptr},
    {"VOICES", 0, nullptr},
    {"VOLUME", 1, nullptr},
    {"WAIT", 1, nullptr},
    {"WHILE", -1, nullptr},
    {"WINDOW", 0, nullptr},
    {"WORD", -1, nullptr},
    {"WORDP", 1, nullptr},
    {"WRAP", 0, nullptr},
    {"WRITEPOS", 0, nullptr},
    {"WRITER", 0, nullptr},
    {"XCOR", 0, nullptr},
    {"YCOR", 0, nullptr},
    {"ZCOR", 0, nullptr},
    // Operators: used for the names in operand errors, never found by lookup.
    {"+", 2, nullptr},
    {"-", 2, nullptr},
    {"<", 2, nullptr},
    {">", 2, nullptr},
    {"*", 2, nullptr},
    {"/", 2, nullptr},
};
static_assert(sizeof(kRows) / sizeof(kRows[0]) == kRowCount);

std::string Upper(std::string_view name) {
  std::string s(name);
  for (char& c : s) c = static_cast<char>(MacUpper(static_cast<uint8_t>(c)));
  return s;
}

// Rows no group has filled in yet: they take their inputs and say so.
Node* NotYetAvailable(Interpreter& in, PrimCall& call) {
  in.ErrorRow(kErrNotAvailable, call.row);
  return nullptr;
}

// Speech and frame rows kept for stacks that mention them.
Node* Reserved(Interpreter& in, PrimCall& call) {
  in.ErrorRow(kErrReserved, call.row);
  return nullptr;
}

Node* Inert(Interpreter&, PrimCall&) {
  return nullptr;
}

}  // namespace

PrimitiveTable::PrimitiveTable() {
  rows_.reserve(kRowCount);
  for (const RowSpec& r : kRows) rows_.push_back({r.name, r.inputs, r.alias_of});
  for (int i = 0; i < kNamedRows; ++i) index_[Upper(rows_[i].name)] = i;
  for (int i = 0; i < kRowCount; ++i)
    rows_[i].handler_row = rows_[i].alias_of ? Find(rows_[i].alias_of) : i;
}

int PrimitiveTable::Find(std::string_view name) const {
  auto it = index_.find(Upper(name));
  return it == index_.end() ? -1 : it->second;
}

// `Node::prim` of a word already found to name no primitive.
constexpr uint16_t kNotPrimitive = 0xFFFF;
static_assert(kRowCount < kNotPrimitive);

int PrimitiveTable::FindWord(const Node* word) const {
  if (!word || !word->IsWord()) return -1;
  if (word->prim == kNotPrimitive) return -1;
  if (word->prim) return word->prim - 1;
  const int row = WordLength(word) > 40 ? -1 : Find(WordChars(word));
  // Words never change and the table's rows are fixed, so a word found to be no
  // primitive stays none: a procedure's name in a running line is looked up once.
  if (row < 0) const_cast<Node*>(word)->prim = kNotPrimitive;
  return row;
}

void PrimitiveTable::Set(std::string_view name, PrimHandler handler) {
  int row = Find(name);
  if (row < 0) return;
  rows_[row].handler = handler;
  for (int i = 0; i < kNamedRows; ++i) {
    if (rows_[i].alias_of && rows_[row].name == std::string_view(rows_[i].alias_of))
      rows_[i].handler = handler;
  }
}

bool PrimitiveTable::Start(Interpreter& in) {
  for (int i = 0; i < kRowCount; ++i) {
    Node* w = in.MakeWord(rows_[i].name);
    if (!w) return false;
    w->prim = static_cast<uint16_t>(i + 1);
    rows_[i].name_word = w;
    in.ReleaseFresh(w);
  }
  for (const char* name :
       {"ADDFRAME", "DELETEFRAME", "INSERTFRAME", "LASTFRAME", "NEXTFRAME", "PLAY", "DICT",
        "ERDICT", "PHONETIC", "PITCH", "SAY", "SPEED", "VOICE", "VOICES", "VOLUME"})
    Set(name, &Reserved);
  for (const char* name : {"EDIT", "EDITS", "INSTRUMENTS"}) Set(name, &Inert);
  RegisterControlPrimitives(*this);
  RegisterMathPrimitives(*this);
  RegisterConsolePrimitives(*this);
  RegisterNamePrimitives(*this);
  RegisterProcPrimitives(*this);
  RegisterListingPrimitives(*this);
  RegisterWordPrimitives(*this);
  RegisterFilePrimitives(*this);
  RegisterInputPrimitives(*this);
  RegisterSoundPrimitives(*this);
  RegisterCardPrimitives(*this);
  RegisterTurtlePrimitives(*this);
  for (int i = 0; i < kNamedRows; ++i)
    if (!rows_[i].handler) rows_[i].handler = &NotYetAvailable;
  return true;
}

}  // namespace corvida::logo
