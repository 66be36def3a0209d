// The primitive table: every name of the Tarrow vocabulary with its input count and its
// handler. Each group of primitives lives in its own prim_*.cpp and fills in its
// handlers through a Register* function listed in primitives.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "logo/nodes.h"

namespace corvida::logo {

class Interpreter;

// One application of a primitive. Fixed-input primitives find their evaluated inputs in
// `in` (each may be null); variable-input primitives read their own from `cursor`.
struct PrimCall {
  Node* in[4];
  Node*& cursor;
  int row;     // the row whose name the handler's messages carry: an alias's is the row
               // it shares the handler of, so FD and FORWARD complain alike
  bool paren;  // the call directly followed an opening parenthesis
};
using PrimHandler = Node* (*)(Interpreter& in, PrimCall& call);

constexpr int kVariableInputs = -1;

struct PrimitiveRow {
  const char* name;
  int16_t inputs;        // 0..4, or kVariableInputs
  const char* alias_of;  // shares the handler of that row
  PrimHandler handler = nullptr;
  Node* name_word = nullptr;
  int handler_row = -1;  // this row, or the row an alias shares the handler of
};

// Operator rows, after the named rows; never found by lookup.
enum OperatorRow { kOpPlus = 332, kOpMinus, kOpLess, kOpGreater, kOpTimes, kOpDivide };
constexpr int kNamedRows = 332;
constexpr int kRowCount = 338;

class PrimitiveTable {
 public:
  PrimitiveTable();
  // Makes the name words (rooted by the table) and fills in the handlers.
  bool Start(Interpreter& in);
  // Row of a name (any letter case), or -1.
  int Find(std::string_view name) const;
  // Row of a word token: the canonical name word answers at once.
  int FindWord(const Node* word) const;
  int Row(std::string_view name) const { return Find(name); }
  // Sets the handler of a row and of every alias of it.
  void Set(std::string_view name, PrimHandler handler);
  PrimitiveRow& operator[](int row) { return rows_[row]; }
  const PrimitiveRow& operator[](int row) const { return rows_[row]; }
  int size() const { return static_cast<int>(rows_.size()); }

 private:
  std::vector<PrimitiveRow> rows_;
  std::unordered_map<std::string, int> index_;  // upper-case name -> row
};

// Group registration, one per prim_*.cpp.
void RegisterControlPrimitives(PrimitiveTable& table);
void RegisterMathPrimitives(PrimitiveTable& table);
void RegisterConsolePrimitives(PrimitiveTable& table);
void RegisterNamePrimitives(PrimitiveTable& table);
void RegisterWordPrimitives(PrimitiveTable& table);
void RegisterWordEditPrimitives(PrimitiveTable& table);  // called by RegisterWordPrimitives
void RegisterPlistPrimitives(PrimitiveTable& table);     // called by RegisterNamePrimitives
void RegisterBuryPrimitives(PrimitiveTable& table);      // called by RegisterNamePrimitives
void RegisterFilePrimitives(PrimitiveTable& table);
void RegisterFileListingPrimitives(PrimitiveTable& table);  // called by RegisterFilePrimitives
void RegisterInputPrimitives(PrimitiveTable& table);
void RegisterSoundPrimitives(PrimitiveTable& table);
void RegisterProcPrimitives(PrimitiveTable& table);
void RegisterListingPrimitives(PrimitiveTable& table);
void RegisterCardPrimitives(PrimitiveTable& table);
void RegisterItemPrimitives(PrimitiveTable& table);      // called by RegisterCardPrimitives
void RegisterCallbackPrimitives(PrimitiveTable& table);  // called by RegisterCardPrimitives
void RegisterTurtlePrimitives(PrimitiveTable& table);
void RegisterPenPrimitives(PrimitiveTable& table);  // called by RegisterTurtlePrimitives

// Handlers shared by groups.
Node* EqualP(Interpreter& in, Node* a, Node* b);
bool ValuesEqual(Node* a, Node* b);

}  // namespace corvida::logo
