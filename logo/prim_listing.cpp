// The print-out family: PO, POT, POTS, POPS, PON, PONS, PPS and POALL print procedures,
// names and property lists in the listing form, which reads back as the same definitions.
#include "logo/interp.h"
#include "logo/listing.h"

namespace corvida::logo {
namespace {

// Prints one listed entry, then looks for Escape; false once the listing must stop.
bool PrintEntry(Interpreter& in, const std::string& text) {
  in.Output(text);
  in.InterruptCheck();
  return !in.Unwinding();
}

// Applies `print` to a name or to every name of a list; a name it does not find (false)
// is reported as undefined and ends the listing.
template <class PrintFn>
Node* EachName(Interpreter& in, PrimCall& c, PrintFn print) {
  Node* v = c.in[0];
  if (!v) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  bool first = true;
  auto one = [&](Node* name) {
    if (!IsWord(name)) {
      in.ErrorRow(kErrDoesntLike, c.row, name ? name : in.empty_list());
      return false;
    }
    if (!print(name, first)) {
      in.Error(kErrUndefined, nullptr, name);
      return false;
    }
    first = false;
    return !in.Unwinding();
  };
  if (!v->IsList()) {
    one(v);
    return nullptr;
  }
  if (Interpreter::IsEmptyList(v)) return nullptr;
  for (Node* p = v; p && one(p->elem); p = p->link) {
  }
  return nullptr;
}

Node* Po(Interpreter& in, PrimCall& c) {
  return EachName(in, c, [&](Node* name, bool first) {
    Node* record = in.FindProc(name);
    if (!record) return false;
    std::string text = first ? std::string() : std::string("\n");
    text += DefinitionText(record);
    PrintEntry(in, text);
    return true;
  });
}

Node* Pot(Interpreter& in, PrimCall& c) {
  return EachName(in, c, [&](Node* name, bool) {
    Node* record = in.FindProc(name);
    if (!record) return false;
    PrintEntry(in, TitleLine(record));
    return true;
  });
}

Node* Pon(Interpreter& in, PrimCall& c) {
  return EachName(in, c, [&](Node* name, bool) {
    Node* binding = in.FindVariable(name, 0);
    if (!binding) return false;
    PrintEntry(in, MakeLine(binding));
    return true;
  });
}

void ListNames(Interpreter& in) {
  ForEachInBuckets(in.names, [&](Node* b) { return PrintEntry(in, MakeLine(b)); });
}

void ListPlists(Interpreter& in) {
  ForEachPlist(in.plists, [&](Node* r) { return PrintEntry(in, SetplistLine(r)); });
}

void ListProcedures(Interpreter& in) {
  bool first = true;
  ForEachInBuckets(in.procs, [&](Node* r) {
    std::string text = first ? std::string() : std::string("\n");
    text += DefinitionText(r);
    first = false;
    return PrintEntry(in, text);
  });
}

Node* Pons(Interpreter& in, PrimCall&) {
  ListNames(in);
  return nullptr;
}

Node* Pps(Interpreter& in, PrimCall&) {
  ListPlists(in);
  return nullptr;
}

Node* Pops(Interpreter& in, PrimCall&) {
  ListProcedures(in);
  return nullptr;
}

Node* Pots(Interpreter& in, PrimCall&) {
  ForEachInBuckets(in.procs, [&](Node* r) { return PrintEntry(in, TitleLine(r)); });
  return nullptr;
}

Node* Poall(Interpreter& in, PrimCall&) {
  ListNames(in);
  if (in.Unwinding()) return nullptr;
  in.Output("\n");
  ListPlists(in);
  if (in.Unwinding()) return nullptr;
  in.Output("\n");
  ListProcedures(in);
  return nullptr;
}

}  // namespace

void RegisterListingPrimitives(PrimitiveTable& t) {
  t.Set("PO", &Po);
  t.Set("POT", &Pot);
  t.Set("POTS", &Pots);
  t.Set("POPS", &Pops);
  t.Set("PON", &Pon);
  t.Set("PONS", &Pons);
  t.Set("PPS", &Pps);
  t.Set("POALL", &Poall);
}

}  // namespace corvida::logo
