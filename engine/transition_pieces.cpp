// The effects that copy the new image in rectangular pieces: wipes, blocks, diagonals,
// blinds, bars, barn doors and mouths, irises, and "Fastest".
#include <algorithm>
#include <array>
#include <utility>

#include "engine/transition_internal.h"

namespace corvida::transition_detail {
namespace {

// The order in which "Blocks" reveals the 16 x 10 cells (column, row). Every cell comes
// at least once; (15, 3) three times and (0, 0) twice.
constexpr std::array<std::pair<int, int>, 163> kBlockOrder = {
    {{15, 3}, {0, 8},  {4, 8},  {3, 3},  {5, 8},  {8, 0},  {15, 5}, {14, 8}, {0, 0},  {3, 2},
     {10, 7}, {9, 5},  {0, 9},  {13, 8}, {7, 6},  {1, 0},  {8, 9},  {12, 1}, {14, 9}, {9, 2},
     {8, 6},  {14, 3}, {4, 0},  {5, 1},  {11, 9}, {11, 7}, {13, 5}, {15, 4}, {9, 7},  {10, 8},
     {13, 3}, {7, 0},  {5, 2},  {1, 4},  {7, 2},  {9, 4},  {11, 5}, {14, 4}, {14, 6}, {3, 9},
     {3, 0},  {7, 7},  {2, 9},  {14, 0}, {2, 1},  {4, 2},  {14, 5}, {2, 7},  {2, 4},  {10, 5},
     {1, 6},  {5, 9},  {9, 6},  {6, 4},  {6, 0},  {9, 3},  {7, 5},  {12, 3}, {8, 2},  {3, 8},
     {11, 8}, {10, 2}, {7, 9},  {6, 2},  {13, 1}, {5, 5},  {13, 9}, {14, 7}, {11, 0}, {13, 4},
     {2, 8},  {0, 0},  {9, 1},  {5, 7},  {4, 9},  {15, 0}, {11, 6}, {11, 1}, {2, 2},  {4, 5},
     {3, 4},  {4, 6},  {13, 0}, {3, 7},  {1, 2},  {6, 6},  {2, 6},  {10, 6}, {14, 1}, {6, 7},
     {12, 7}, {1, 8},  {12, 8}, {1, 3},  {9, 9},  {15, 8}, {11, 4}, {10, 9}, {12, 4}, {1, 7},
     {4, 1},  {12, 2}, {7, 3},  {13, 7}, {5, 6},  {8, 1},  {6, 9},  {10, 0}, {1, 5},  {5, 0},
     {6, 5},  {5, 4},  {4, 4},  {9, 8},  {1, 1},  {8, 7},  {8, 5},  {0, 1},  {3, 6},  {8, 8},
     {8, 4},  {10, 1}, {0, 2},  {11, 2}, {4, 3},  {9, 0},  {3, 1},  {1, 9},  {6, 8},  {6, 3},
     {8, 3},  {12, 6}, {10, 3}, {0, 6},  {7, 1},  {12, 0}, {0, 7},  {13, 2}, {2, 5},  {15, 6},
     {14, 2}, {6, 1},  {15, 7}, {11, 3}, {15, 1}, {7, 4},  {5, 3},  {4, 7},  {13, 6}, {0, 5},
     {3, 5},  {12, 9}, {2, 0},  {12, 5}, {0, 4},  {7, 8},  {10, 4}, {15, 3}, {2, 3},  {0, 3},
     {15, 9}, {15, 3}, {15, 2}}};

// Copies the ring between the inner and the outer rectangle as four strips.
void CopyRing(Run& run, const Rect& inner, const Rect& outer) {
  run.Copy({outer.left, outer.top, outer.right, inner.top});
  run.Copy({outer.left, inner.bottom, outer.right, outer.bottom});
  run.Copy({outer.left, inner.top, inner.left, inner.bottom});
  run.Copy({inner.right, inner.top, outer.right, inner.bottom});
}

}  // namespace

void RunFastest(Run& run, int speed) {
  // "Fastest" runs at half the speed, and without any waiting at speed 8.
  const int n = std::min(4, run.height());
  run.StartSteps(n, speed == 8 ? 0 : speed / 2);
  const Rect& t = run.target;
  for (int i = 0; i < n; ++i) {
    run.Copy(
        {t.left, t.top + Part(run.height(), i, n), t.right, t.top + Part(run.height(), i + 1, n)});
    run.Step();
  }
}

void RunWipe(Run& run, int id) {
  const Rect& t = run.target;
  const bool across = id == transition::kLeftToRight || id == transition::kRightToLeft;
  const int extent = across ? run.width() : run.height();
  const int n = std::min(extent, 64);
  run.StartSteps(n, run.speed);
  for (int i = 0; i < n; ++i) {
    const int a = Part(extent, i, n), b = Part(extent, i + 1, n);
    switch (id) {
      case transition::kLeftToRight:
        run.Copy({t.left + a, t.top, t.left + b, t.bottom});
        break;
      case transition::kRightToLeft:
        run.Copy({t.right - b, t.top, t.right - a, t.bottom});
        break;
      case transition::kTopToBottom:
        run.Copy({t.left, t.top + a, t.right, t.top + b});
        break;
      default:  // bottom to top
        run.Copy({t.left, t.bottom - b, t.right, t.bottom - a});
        break;
    }
    run.Step();
  }
}

void RunBlocks(Run& run) {
  const Rect& t = run.target;
  const int bw = run.width() / 16 + 1;
  // Targets under 10 pixels high still get rows of one pixel.
  const int bh = std::max(run.height() / 10, 1);
  run.StartSteps(41, run.speed);
  for (size_t i = 0; i < kBlockOrder.size(); ++i) {
    const auto [c, r] = kBlockOrder[i];
    Rect piece{t.left + c * bw, t.top + r * bh, t.left + c * bw + bw + 1, t.top + r * bh + bh + 1};
    // A piece ending just short of the bottom reaches down to it; the last row always
    // does, so heights that are not a multiple of ten leave nothing behind.
    const int gap = t.bottom - piece.bottom;
    if (gap >= 1 && (gap < bh || r == 9)) piece.bottom = t.bottom;
    run.Copy(piece);
    if (i % 4 == 0) run.Step();
  }
}

void RunDiagonal(Run& run, bool from_bottom_right) {
  const Rect& t = run.target;
  const int w = run.width(), h = run.height();
  run.StartSteps(64, run.speed);
  for (int i = 0; i < 64; ++i) {
    const int x0 = Part(w, i, 64), x1 = Part(w, i + 1, 64);
    const int y0 = Part(h, i, 64), y1 = Part(h, i + 1, 64);
    if (from_bottom_right) {
      run.Copy({t.left, t.bottom - y1, t.right, t.bottom - y0});
      run.Copy({t.right - x1, t.top, t.right - x0, t.bottom});
    } else {
      run.Copy({t.left, t.top + y0, t.right, t.top + y1});
      run.Copy({t.left + x0, t.top, t.left + x1, t.bottom});
    }
    run.Step();
  }
}

void RunBlinds(Run& run) {
  constexpr int kSlat = 9;
  const Rect& t = run.target;
  const int slats = (run.height() + kSlat - 1) / kSlat;
  run.StartSteps(kSlat * slats, run.speed);
  for (int row = 0; row < kSlat; ++row) {
    for (int s = 0; s < slats; ++s) {
      const int y = t.top + s * kSlat + row;
      run.Copy({t.left, y, t.right, y + 1});
      run.Step();
    }
  }
}

void RunBars(Run& run) {
  const Rect& t = run.target;
  const int w = run.width(), h = run.height();
  const int columns = std::min(16, w);  // one-pixel columns when narrower than 16
  const int n = std::min(32, h);        // one-pixel bands when lower than 32
  run.StartSteps(n, run.speed);
  for (int k = 0; k < n; ++k) {
    for (int j = 0; j < columns; ++j) {
      const int x0 = t.left + Part(w, j, columns), x1 = t.left + Part(w, j + 1, columns);
      if (j % 2 == 0)  // grows down from the top edge
        run.Copy({x0, t.top + Part(h, k, n), x1, t.top + Part(h, k + 1, n)});
      else  // grows up from the bottom edge
        run.Copy({x0, t.bottom - Part(h, k + 1, n), x1, t.bottom - Part(h, k, n)});
    }
    run.Step();
  }
}

void RunBarnOrMouth(Run& run, int id) {
  const Rect& t = run.target;
  const bool barn = id == transition::kBarnOpen || id == transition::kBarnClose;
  const bool open = id == transition::kBarnOpen || id == transition::kMouthOpen;
  const int extent = barn ? run.width() : run.height();
  const int n = std::max(1, std::min(extent / 2, 64));
  // Boundary k of 2n across the extent: n is the centre line, 0 and 2n the edges.
  auto at = [&](int k) { return Part(extent, k, 2 * n); };
  auto copy = [&](int a, int b) {
    if (barn)
      run.Copy({t.left + a, t.top, t.left + b, t.bottom});
    else
      run.Copy({t.left, t.top + a, t.right, t.top + b});
  };
  run.StartSteps(n, run.speed);
  for (int i = 0; i < n; ++i) {
    if (open) {
      copy(at(n - i - 1), at(n - i));
      copy(at(n + i), at(n + i + 1));
    } else {
      copy(at(i), at(i + 1));
      copy(at(2 * n - i - 1), at(2 * n - i));
    }
    run.Step();
  }
}

void RunIris(Run& run, bool open) {
  const Rect& t = run.target;
  const int w = run.width(), h = run.height();
  const int n = std::max({std::min(w / 2, 32), std::min(h / 2, 32), 1});
  // Rectangle k of n centred on the target: empty at 0, the target at n.
  auto rect = [&](int k) {
    return Rect{t.left + Part(w, n - k, 2 * n), t.top + Part(h, n - k, 2 * n),
                t.left + Part(w, n + k, 2 * n), t.top + Part(h, n + k, 2 * n)};
  };
  run.StartSteps(n, run.speed);
  for (int i = 0; i < n; ++i) {
    if (open)
      CopyRing(run, rect(i), rect(i + 1));
    else
      CopyRing(run, rect(n - i - 1), rect(n - i));
    run.Step();
  }
}

}  // namespace corvida::transition_detail
