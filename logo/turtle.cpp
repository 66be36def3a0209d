#include "logo/turtle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "platform/gfx/region.h"
#include "platform/gfx/text.h"

namespace corvida::logo {
namespace {

constexpr gfx::Rgb kColors[8] = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                 {0, 0, 255}, {0, 255, 255},   {255, 0, 255}, {255, 255, 0}};
constexpr int kMaxPenSide = 1000;  // a pen's side is walked per pixel of a line
constexpr int kFigureTip = 12;
constexpr int kFigureHalfBase = 6;
// Characters of one line drawn at most: more never fit on a window.
constexpr size_t kMaxTextLine = 4096;
constexpr int kMaxTextReach = 1 << 20;

// Sines of whole degrees, exact at the quarter turns so right angles stay right angles.
const std::array<double, 360>& SineTable() {
  static const std::array<double, 360> table = [] {
    std::array<double, 360> t{};
    for (int a = 0; a < 360; ++a) {
      int r = a % 90;
      double s = r == 0 ? 0.0 : std::sin(r * std::numbers::pi / 180.0);
      double c = r == 0 ? 1.0 : std::cos(r * std::numbers::pi / 180.0);
      const double by_quadrant[4] = {s, c, -s, -c};
      t[size_t(a)] = by_quadrant[a / 90];
    }
    return t;
  }();
  return table;
}

void SinCos(double degrees, double& sine, double& cosine) {
  if (degrees == std::trunc(degrees) && std::fabs(degrees) < 1e15) {
    auto a = static_cast<int>(std::fmod(degrees, 360.0));
    if (a < 0) a += 360;
    sine = SineTable()[size_t(a)];
    cosine = SineTable()[size_t((a + 90) % 360)];
    return;
  }
  double r = degrees * std::numbers::pi / 180.0;
  sine = std::sin(r);
  cosine = std::cos(r);
}

int NormalDegrees(double degrees) {
  auto d = static_cast<int64_t>(std::llround(degrees)) % 360;
  return static_cast<int>(d < 0 ? d + 360 : d);
}

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Cuts a segment to a box (Liang-Barsky); false when none of it lies in the box.
bool ClipSegment(const Rect& box, double& x0, double& y0, double& x1, double& y1) {
  double t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - box.left, box.right - 1 - x0, y0 - box.top, box.bottom - 1 - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  double sx = x0, sy = y0;
  x0 = sx + t0 * dx, y0 = sy + t0 * dy;
  x1 = sx + t1 * dx, y1 = sy + t1 * dy;
  return true;
}

}  // namespace

gfx::Rgb ColorOfNumber(int32_t n) {
  return kColors[((n % 8) + 8) % 8];
}

int NumberOfColor(gfx::Rgb c) {
  int best = 0;
  int64_t best_distance = INT64_MAX;
  for (int i = 0; i < 8; ++i) {
    auto d = [](int a, int b) { return int64_t(a - b) * (a - b); };
    int64_t distance = d(c.r, kColors[i].r) + d(c.g, kColors[i].g) + d(c.b, kColors[i].b);
    if (distance < best_distance) best = i, best_distance = distance;
  }
  return best;
}

bool PictureSurface::Create(int width, int height) {
  target_.reset();
  if (!bitmap_.Create(width, height, 32)) return false;
  target_.emplace(bitmap_);
  target_->FillRect(bitmap_.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  return true;
}

void Turtle::Attach(TurtleSurface* surface) {
  surface_ = surface;
  figure_drawn_ = false;  // a new surface has no figure on it
  if (!surface_) {
    // Between scripts: the centre stays, so positions keep their turtle coordinates.
    area_ = {};
    return;
  }
  area_ = surface_->Target() ? surface_->ClientArea() : Rect{};
  cx_ = area_.left + area_.Width() / 2;
  cy_ = area_.top + area_.Height() / 2;
  if (!placed_ && surface_) {
    x_ = cx_, y_ = cy_;
    placed_ = true;
  }
}

int Turtle::HeadingDegrees() const {
  return NormalDegrees(90.0 - std::atan2(h_.y, h_.x) * 180.0 / std::numbers::pi);
}

int Turtle::HeadingTowards(int64_t tx, int64_t ty) const {
  double dx = double(tx - TurtleX()), dy = double(ty - TurtleY());
  if (dx == 0 && dy == 0) return HeadingDegrees();
  return NormalDegrees(std::atan2(dx, dy) * 180.0 / std::numbers::pi);
}

// --- Movement --------------------------------------------------------------------------

Turtle::Moved Turtle::MoveTo(Point3 to, WorkCheck& work) {
  if (surface_ && edge != EdgeMode::kWindow && !three_d) {
    if (area_.Empty()) return Moved::kStopped;
    bool inside =
        to.x >= area_.left && to.x < area_.right && to.y >= area_.top && to.y < area_.bottom;
    if (edge == EdgeMode::kFence && !inside) return Moved::kOutOfBounds;
    if (edge == EdgeMode::kWrap && !inside) return Wrap(to.x, to.y, work);
  }
  Line({x_, y_, z_}, to);
  x_ = Saturate(to.x), y_ = Saturate(to.y), z_ = Saturate(to.z);
  return Moved::kDone;
}

Turtle::Moved Turtle::Forward(int32_t distance, WorkCheck& work) {
  auto step_x = static_cast<int64_t>(std::trunc(distance * h_.x));
  auto step_y = static_cast<int64_t>(std::trunc(distance * h_.y));
  auto step_z = static_cast<int64_t>(std::trunc(distance * h_.z));
  return MoveTo(Point3{int64_t{x_} + step_x, int64_t{y_} - step_y, int64_t{z_} + step_z}, work);
}

// Crosses the edge the segment meets first, comes back in at the opposite edge, and
// goes on with the rest; each pass brings the target a whole width or height closer.
Turtle::Moved Turtle::Wrap(int64_t tx, int64_t ty, WorkCheck& work) {
  const Rect& a = area_;
  if (!a.Contains({x_, y_})) x_ = cx_, y_ = cy_;
  int64_t x = x_, y = y_;
  auto outside_x = [&] { return tx >= a.right || tx < a.left; };
  auto outside_y = [&] { return ty >= a.bottom || ty < a.top; };
  while (outside_x() || outside_y()) {
    if (!work.KeepGoing()) {
      x_ = Saturate(x), y_ = Saturate(y);
      return Moved::kStopped;
    }
    int64_t dx = tx - x, dy = ty - y;
    int64_t edge_x = tx >= a.right ? a.right : a.left - 1;
    int64_t edge_y = ty >= a.bottom ? a.bottom : a.top - 1;
    double fx = outside_x() ? double(edge_x - x) / double(dx) : 2.0;
    double fy = outside_y() ? double(edge_y - y) / double(dy) : 2.0;
    int64_t px, py, shift_x = 0, shift_y = 0;
    if (fx <= fy) {
      px = edge_x;
      py = std::clamp<int64_t>(y + (edge_x - x) * dy / dx, a.top, a.bottom - 1);
      shift_x = edge_x == a.right ? -a.Width() : a.Width();
    } else {
      py = edge_y;
      px = std::clamp<int64_t>(x + (edge_y - y) * dx / dy, a.left, a.right - 1);
      shift_y = edge_y == a.bottom ? -a.Height() : a.Height();
    }
    Line({x, y, z_}, {px, py, z_});
    x = px + shift_x, y = py + shift_y;
    tx += shift_x, ty += shift_y;
  }
  Line({x, y, z_}, {tx, ty, z_});
  x_ = Saturate(tx), y_ = Saturate(ty);
  return Moved::kDone;
}

void Turtle::Turn(double degrees) {
  double s, c;
  SinCos(degrees, s, c);
  Vec3 h = h_, side = s_;
  h_ = {h.x * c - side.x * s, h.y * c - side.y * s, h.z * c - side.z * s};
  s_ = {side.x * c + h.x * s, side.y * c + h.y * s, side.z * c + h.z * s};
}

void Turtle::SetHeading(double degrees) {
  double s, c;
  SinCos(degrees, s, c);
  h_ = {s, c, 0};
  s_ = {-c, s, 0};
  u_ = {0, 0, 1};
}

void Turtle::SetHeading3D(double heading, double pitch, double roll) {
  double sa, ca, sp, cp, sr, cr;
  SinCos(90.0 - heading, sa, ca);
  SinCos(pitch, sp, cp);
  SinCos(roll, sr, cr);
  h_ = {cp * ca, cp * sa, sp};
  s_ = {-cr * sa - sr * sp * ca, cr * ca - sr * sp * sa, sr * cp};
  u_ = {sr * sa - sp * cr * ca, -sr * ca - sp * cr * sa, cr * cp};
}

// Turns `a` towards `b` by the angle: a' = a cos + b sin, b' = b cos - a sin.
static void Rotate(Vec3& a, Vec3& b, double degrees) {
  double s, c;
  SinCos(degrees, s, c);
  Vec3 oa = a, ob = b;
  a = {oa.x * c + ob.x * s, oa.y * c + ob.y * s, oa.z * c + ob.z * s};
  b = {ob.x * c - oa.x * s, ob.y * c - oa.y * s, ob.z * c - oa.z * s};
}

void Turtle::Roll(double degrees) {
  Rotate(s_, u_, degrees);
}

void Turtle::Pitch(double degrees) {
  Rotate(h_, u_, degrees);
}

bool Turtle::Flat() const {
  return z_ == 0 && std::fabs(u_.z - 1.0) < 1e-9;
}

void Turtle::Orientation(int& roll, int& pitch, int& heading) const {
  constexpr double kDegrees = 180.0 / std::numbers::pi;
  heading = HeadingDegrees();
  pitch = NormalDegrees(std::asin(std::clamp(h_.z, -1.0, 1.0)) * kDegrees);
  roll = NormalDegrees(std::atan2(s_.z, u_.z) * kDegrees);
}

void Turtle::SetEdgeMode(EdgeMode mode) {
  edge = mode;
  if (mode != EdgeMode::kWindow && surface_ && !area_.Contains({x_, y_})) x_ = cx_, y_ = cy_;
}

void Turtle::Home(WorkCheck& work) {
  MoveTo(Point3{cx_, cy_, 0}, work);
  SetHeading(0);
}

void Turtle::SetPenSize(int32_t width, int32_t height) {
  pen_width = std::clamp(width, 1, kMaxPenSide);
  pen_height = std::clamp(height, 1, kMaxPenSide);
}

bool Turtle::SetScrunch(double ratio) {
  if (!(ratio > 0) || ratio > 100) return false;
  if (ratio == 1 || ratio == 2) {
    scrunch_num = static_cast<int32_t>(ratio), scrunch_den = 1;
    return true;
  }
  auto num = static_cast<int32_t>(std::lround(ratio * 100));
  if (num < 1) return false;
  scrunch_num = num, scrunch_den = 100;
  return true;
}

// --- Drawing ---------------------------------------------------------------------------

Point Turtle::Screen(int64_t x, int64_t y) const {
  int64_t sx = cx_ + (x - cx_) * scrunch_num / scrunch_den;
  return {Saturate(sx), Saturate(y)};
}

// Whole-pixel arithmetic, so drawings repeat pixel for pixel. The stereo images are
// drawn (x * 3 -/+ 270) * 576 / (z + 1728) +/- 90 from the centre: they meet in the
// plane z = 0 and part with depth.
void Turtle::Project(Point3 p, int eye, double& x, double& y) const {
  int64_t px = p.x, py = p.y;
  if (p.z != 0 || eye != 0) {
    const int64_t depth = p.z + kEyeDistance;  // at least 1: the caller cut the line
    const int64_t dx = p.x - cx_, dy = p.y - cy_;
    py = cy_ + dy * kEyeDistance / depth;
    px = eye == 0 ? cx_ + dx * kEyeDistance / depth
                  : cx_ + (dx * 3 - eye * 270) * (kEyeDistance / 3) / depth + eye * 90;
  }
  x = double(cx_ + (px - cx_) * scrunch_num / scrunch_den);
  y = double(py);
}

std::span<const int> Turtle::Eyes() const {
  static constexpr int kPlain[] = {0};
  static constexpr int kBoth[] = {-1, 1};
  return stereo ? std::span<const int>(kBoth) : std::span<const int>(kPlain);
}

gfx::Rgb Turtle::EyeColour(int eye) const {
  if (pen == PenState::kErase) return background;
  if (eye == 0) return pen_color;
  return stereo_pens[eye < 0 ? 0 : 1];
}

// On black the two images add up where they cross (both eyes see the crossing); on
// other backgrounds the right eye's image is drawn over the left's.
gfx::PenMode Turtle::EyeMode() const {
  if (pen == PenState::kReverse) return gfx::PenMode::kNot;
  if (stereo && pen != PenState::kErase && background == gfx::kBlack)
    return gfx::PenMode::kMergePen;
  return gfx::PenMode::kCopyPen;
}

void Turtle::PrepareTarget(gfx::DrawTarget& t, bool clip) const {
  PrepareTarget(t, clip, pen == PenState::kErase ? background : pen_color,
                pen == PenState::kReverse ? gfx::PenMode::kNot : gfx::PenMode::kCopyPen);
}

void Turtle::PrepareTarget(gfx::DrawTarget& t, bool clip, gfx::Rgb colour,
                           gfx::PenMode mode) const {
  if (clip) {
    t.SetClip(t.ToDevice(gfx::Region(area_)));
  } else {
    t.ClearClip();
  }
  gfx::Pen& p = t.state().pen;
  p = gfx::Pen{};
  p.width = pen_width, p.height = pen_height;
  p.color = gfx::Color::FromRgb(colour);
  t.state().brush = gfx::Brush::Solid(p.color);  // dots are painted with it
  t.state().pen_mode = mode;
}

// Draws with the pen. A line reaching behind the eye is cut where it reaches the eye's
// depth; each image of it is then drawn as a segment.
void Turtle::Line(Point3 a, Point3 b) {
  if (pen == PenState::kUp || !target() || area_.Empty()) return;
  constexpr int64_t kNearest = 1 - kEyeDistance;
  if (a.z < kNearest && b.z < kNearest) return;
  auto cut = [](Point3 in, Point3 out) {
    double f = double(kNearest - in.z) / double(out.z - in.z);
    return Point3{in.x + std::llround(f * double(out.x - in.x)),
                  in.y + std::llround(f * double(out.y - in.y)), kNearest};
  };
  if (a.z < kNearest) a = cut(b, a);
  if (b.z < kNearest) b = cut(a, b);
  for (int eye : Eyes()) {
    double ax, ay, bx, by;
    Project(a, eye, ax, ay);
    Project(b, eye, bx, by);
    Segment(ax, ay, bx, by, EyeColour(eye), EyeMode());
  }
}

// A segment reaching far outside is cut to the client area (plus the pen's reach) first,
// so no script can make a line cost more than the area.
void Turtle::Segment(double ax, double ay, double bx, double by, gfx::Rgb colour,
                     gfx::PenMode mode) {
  gfx::DrawTarget* t = target();
  Rect reach = area_.Inset(-(pen_width + 2), -(pen_height + 2));
  auto within = [&](double x, double y) {
    return x >= reach.left && x < reach.right && y >= reach.top && y < reach.bottom;
  };
  if (!within(ax, ay) || !within(bx, by)) {
    if (!ClipSegment(reach, ax, ay, bx, by)) return;
  }
  Point a{int(std::lround(ax)), int(std::lround(ay))};
  Point b{int(std::lround(bx)), int(std::lround(by))};
  for (gfx::DrawTarget* each : {t, surface_->Backing()}) {
    if (!each) continue;
    gfx::DrawState saved = each->state();
    PrepareTarget(*each, each == t, colour, mode);
    each->Line(a, b);
    each->state() = saved;
  }
  Changed(
      Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1}
          .Inset(-pen_width, -pen_height));
}

void Turtle::Dot(Point3 at) {
  gfx::DrawTarget* t = target();
  if (!t || area_.Empty() || at.z <= -kEyeDistance) return;
  for (int eye : Eyes()) {
    double x, y;
    Project(at, eye, x, y);
    if (!area_.Inset(-pen_width, -pen_height)
             .Contains({Saturate(int64_t(x)), Saturate(int64_t(y))}))
      continue;  // nothing of it can be seen
    Point p{int(x), int(y)};
    Rect dot{p.x - pen_width / 2, p.y - pen_height / 2, 0, 0};
    dot.right = dot.left + pen_width, dot.bottom = dot.top + pen_height;
    // PENUP draws as PENDOWN: the dot was asked for.
    gfx::PenMode mode = pen == PenState::kUp ? gfx::PenMode::kCopyPen : EyeMode();
    for (gfx::DrawTarget* each : {t, surface_->Backing()}) {
      if (!each) continue;
      gfx::DrawState saved = each->state();
      PrepareTarget(*each, each == t, EyeColour(eye), mode);
      each->PaintRegion(gfx::Region(dot));
      each->state() = saved;
    }
    Changed(dot);
  }
}

bool Turtle::DotP(int64_t x, int64_t y) {
  gfx::DrawTarget* t = target();
  Point p = Screen(x, y);
  if (!t || !area_.Contains(p) || !t->GetPixel(p)) return false;
  return t->PixelRgb(p) != t->RgbOf(gfx::Color::FromRgb(background));
}

void Turtle::Fill() {
  gfx::DrawTarget* t = target();
  if (!t || z_ <= -kEyeDistance) return;
  double sx, sy;
  Project({x_, y_, z_}, 0, sx, sy);
  Point seed{Saturate(int64_t(sx)), Saturate(int64_t(sy))};
  if (!area_.Contains(seed)) return;
  for (gfx::DrawTarget* each : {t, surface_->Backing()}) {
    if (!each) continue;
    gfx::DrawState saved = each->state();
    PrepareTarget(*each, each == t);
    // A client area that covers the whole picture needs no clip: the flood stops at the
    // picture's edges anyway, and a clip is looked up for every pixel.
    const Rect device = area_.Offset(each->state().origin.x, each->state().origin.y);
    if (device.left <= 0 && device.top <= 0 && device.right >= each->bitmap().width() &&
        device.bottom >= each->bitmap().height())
      each->ClearClip();
    each->FloodFill(seed, gfx::Color::FromRgb(pen_color));
    each->state() = saved;
  }
  Changed(area_);
}

void Turtle::Clean() {
  gfx::DrawTarget* t = target();
  if (!t || area_.Empty()) return;
  for (gfx::DrawTarget* each : {t, surface_->Backing()}) {
    if (!each) continue;
    gfx::DrawState saved = each->state();
    PrepareTarget(*each, each == t);
    each->FillRect(area_, gfx::Color::FromRgb(background));
    each->state() = saved;
  }
  figure_drawn_ = false;
  Changed(area_);
}

void Turtle::ClearScreen() {
  Clean();
  x_ = cx_, y_ = cy_, z_ = 0;
  SetHeading(0);
}

// --- The figure ------------------------------------------------------------------------

// A triangle drawn inverted, so drawing it again at the same place takes it away.
void Turtle::DrawFigure() {
  gfx::DrawTarget* t = target();
  if (!t || area_.Empty()) return;
  gfx::DrawState saved = t->state();
  t->SetClip(t->ToDevice(gfx::Region(area_)));
  t->state().pen = gfx::Pen{};
  t->state().pen_mode = gfx::PenMode::kNot;
  Rect changed{figure_[0].x, figure_[0].y, figure_[0].x + 1, figure_[0].y + 1};
  for (int i = 0; i < 3; ++i) {
    t->Line(figure_[i], figure_[(i + 1) % 3]);
    changed = changed.Union(Rect{figure_[i].x, figure_[i].y, figure_[i].x + 1, figure_[i].y + 1});
  }
  t->state() = saved;
  Changed(changed);
}

void Turtle::HideFigure() {
  if (!figure_drawn_) return;
  figure_drawn_ = false;
  // A surface drawn anew took the figure with it.
  if (surface_ && surface_->Generation() == figure_generation_) DrawFigure();
}

void Turtle::ShowFigure() {
  if (!shown_ || figure_drawn_ || !target()) return;
  // Far outside the window there is nothing to see.
  if (!area_.Inset(-kFigureTip, -kFigureTip).Contains({x_, y_})) return;
  // In 3-D the triangle is seen in perspective; near the eye it is not drawn.
  bool seen = true;
  auto at = [&](double along_h, double along_s) {
    Point3 p{x_ + std::lround(along_h * h_.x + along_s * s_.x),
             y_ - std::lround(along_h * h_.y + along_s * s_.y),
             z_ + std::lround(along_h * h_.z + along_s * s_.z)};
    if (p.z <= -kEyeDistance) return seen = false, Point{};
    double x, y;
    Project(p, 0, x, y);
    return Point{Saturate(int64_t(x)), Saturate(int64_t(y))};
  };
  figure_[0] = at(kFigureTip, 0);
  figure_[1] = at(0, kFigureHalfBase);
  figure_[2] = at(0, -kFigureHalfBase);
  if (!seen) return;
  DrawFigure();
  figure_drawn_ = true;
  figure_generation_ = surface_->Generation();
}

void Turtle::SetShown(bool shown) {
  HideFigure();
  shown_ = shown;
  ShowFigure();
}

// --- Text ------------------------------------------------------------------------------

void Turtle::Text(std::string_view text, Font& font) {
  if (!target() || area_.Empty()) return;
  const Point here{x_, y_};
  if (text_anchor_ != here) {
    text_anchor_ = here;
    text_pos_ = Screen(x_, y_);
    text_left_ = text_pos_.x;
  }
  const int line_height = std::max(1, font.metrics().line_height);
  HideFigure();
  for (size_t start = 0;;) {
    size_t end = text.find('\n', start);
    std::string_view piece = text.substr(start, end == std::string_view::npos ? end : end - start);
    TextPiece(piece.substr(0, kMaxTextLine), font);
    if (end == std::string_view::npos) break;
    // Far below the window the position stops moving: nothing there is seen anyway.
    text_pos_ = {text_left_, Saturate(std::min<int64_t>(int64_t(text_pos_.y) + line_height,
                                                        area_.bottom + line_height))};
    start = end + 1;
  }
  ShowFigure();
}

void Turtle::TextPiece(std::string_view piece, Font& font) {
  // Text that starts far outside the window is not drawn: none of it could be seen.
  const Rect reach = area_.Inset(-kMaxTextReach, -kMaxTextReach);
  if (piece.empty() || !reach.Contains(text_pos_)) return;
  const int baseline = text_pos_.y + font.metrics().ascent;
  const gfx::Color colour = gfx::Color::FromRgb(pen == PenState::kErase ? background : pen_color);
  int advance = 0;
  for (gfx::DrawTarget* each : {target(), surface_->Backing()}) {
    if (!each) continue;
    gfx::DrawState saved = each->state();
    PrepareTarget(*each, each == target());
    each->state().bk_mode = gfx::BkMode::kTransparent;
    advance = gfx::DrawText(*each, font, text_pos_.x, baseline, piece, colour);
    each->state() = saved;
  }
  Changed(gfx::TextCells(font, text_pos_.x, baseline, piece));
  text_pos_.x = std::min(text_pos_.x + advance, area_.right + 1);  // within reach: no overflow
}

}  // namespace corvida::logo
