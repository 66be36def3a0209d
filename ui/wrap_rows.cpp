#include "ui/wrap_rows.h"

#include <algorithm>

namespace corvida {

std::vector<WrappedRow> WrapRows(std::string_view text, Font& font, int width) {
  width = std::max(width, 1);
  const std::vector<int> advances = font.CharAdvances(text);
  std::vector<WrappedRow> rows;
  size_t line = 0;
  for (;;) {
    size_t line_end = text.find('\n', line);
    if (line_end == std::string_view::npos) line_end = text.size();
    size_t start = line;
    do {
      int x = 0;
      size_t blank_break = start;  // just after the last blank seen
      size_t end = line_end;
      for (size_t i = start; i < line_end; ++i) {
        x += advances[i];
        if (text[i] == ' ') {
          blank_break = i + 1;  // blanks never push a row over
        } else if (x > width) {
          end = blank_break > start ? blank_break : std::max(i, start + 1);
          break;
        }
      }
      rows.push_back({start, end});
      start = end;
    } while (start < line_end);
    if (line_end >= text.size()) break;
    line = line_end + 1;
  }
  return rows;
}

size_t RowOf(const std::vector<WrappedRow>& rows, size_t pos) {
  auto after = std::upper_bound(rows.begin(), rows.end(), pos,
                                [](size_t p, const WrappedRow& r) { return p < r.start; });
  return after == rows.begin() ? 0 : size_t(after - rows.begin()) - 1;
}

}  // namespace corvida
