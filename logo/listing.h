// The listing form: how PONS, PPS, POPS, PO and a saved workspace print names, property
// lists and procedures so that the text reads back as the same definitions. Words are
// escaped (a backslash before the characters the reader would split or read otherwise);
// numbers print as numbers. Lines end in '\n'.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "logo/nodes.h"

namespace corvida::logo {

class Interpreter;

// Bounds the text one entry may produce from a heavily shared value (as PRINT does).
constexpr size_t kListingEntryLimit = 16 * 1024 * 1024;

// Appends a word's characters escaped as a token of an instruction line or a list
// element: the word made of a double-quote character alone prints as two single quotes.
void AppendListedWord(std::string& out, const Node* word);
// Appends a double-quote character and the word escaped: a word that reads back quoted.
void AppendQuotedWord(std::string& out, const Node* word);
// Appends a value as SHOW shows it with every word escaped: a list in brackets, a word
// after a double-quote character, a number as it prints.
void AppendListedValue(std::string& out, Node* value, size_t limit = kListingEntryLimit);
// Appends the elements of a list as PRINT prints them (no outer brackets), words escaped.
void AppendListedLine(std::string& out, Node* list, size_t limit = kListingEntryLimit);

// MAKE "name value, for a binding [name value].
std::string MakeLine(Node* binding);
// SETPLIST "name [plist], for a property-list record [name plist].
std::string SetplistLine(Node* record);
// TO name :input ..., for a procedure record [name inputs line1 ...].
std::string TitleLine(Node* record);
// The title line, every body line, then END.
std::string DefinitionText(Node* record);

// Entries of a 7-bucket store in listing order: buckets 0 to 6, each newest first.
void ForEachInBuckets(Node* const (&buckets)[7], const std::function<bool(Node*)>& visit);
// Property-list records of a chain, oldest first (a reload then keeps their order).
void ForEachPlist(Node* chain, const std::function<bool(Node*)>& visit);

}  // namespace corvida::logo
