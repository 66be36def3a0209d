// Word wrap of a multi-line text into the rows a box of a given width shows: a line too
// wide breaks after the last blank that fits, a word too wide on its own breaks between
// characters. Blanks at a break stay on the row they end (they take no room).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/fonts.h"

namespace corvida {

// [start, end) of the text; a row ends before its line's '\n' or where it breaks.
struct WrappedRow {
  size_t start = 0, end = 0;
};

// At least one row (the empty text has one); `width` below 1 is taken as 1.
std::vector<WrappedRow> WrapRows(std::string_view text, Font& font, int width);

// The row that shows a position: one where a row breaks shows at the start of the next.
size_t RowOf(const std::vector<WrappedRow>& rows, size_t pos);

}  // namespace corvida
