// The reader: turns a line of text (Mac Roman) into an instruction list of tokens:
// numbers, words (quoted words keep their '"', variable references their ':') and nested
// lists. There is no syntax tree: the evaluator walks the token list.
#pragma once

#include <string_view>

#include "logo/nodes.h"
#include "platform/text.h"

namespace corvida::logo {

class Interpreter;

// Deepest bracket nesting a line may have before the reader reports "Out of stack space".
constexpr int kMaxReaderNesting = 1000;

// The token list of a line, held (fresh) until the caller releases it; the empty-list
// constant for a blank or comment line; null only after an error.
Node* Tokenize(Interpreter& in, std::string_view text);

// Mac Roman's non-breaking space (202) separates words as the ASCII blanks do.
inline bool IsBlank(unsigned char c) {
  return c == 202 || corvida::IsBlank(static_cast<char>(c));
}

}  // namespace corvida::logo
