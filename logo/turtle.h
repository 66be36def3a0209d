// The turtle: where it stands and faces, its pen and colours, its edge mode, and how it
// draws on the surface a script is given. Positions are window pixels (y downward);
// scripts see turtle coordinates, centred in the client area with y upward.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/fonts.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/types.h"

namespace corvida::logo {

// Where turtle drawing goes: the player hands one over for each script (the card
// window); the command line and tests hand over a blank picture.
class TurtleSurface {
 public:
  virtual ~TurtleSurface() = default;
  // The drawing target; null while there is nothing to draw on.
  virtual gfx::DrawTarget* Target() = 0;
  // A second target that receives every drawing operation too, unclipped; null: none.
  virtual gfx::DrawTarget* Backing() { return nullptr; }
  // The client area, in the target's logical coordinates.
  virtual Rect ClientArea() = 0;
  // Pixels inside `area` changed (a window repaints them).
  virtual void Changed(const Rect& /*area*/) {}
  // Changes whenever the surface's pixels are replaced as a whole (a card drawn anew): a
  // turtle figure drawn before is gone with them and must not be inverted away again.
  virtual uint64_t Generation() { return 0; }
  // Offscreen drawing: while on, drawing goes to a copy kept out of sight, and what it
  // changed there is shown when drawing comes back on screen. Without one, drawing stays
  // on the surface.
  virtual void SetOffscreen(bool on) { (void)on; }
  // Where the pointer is, in the target's logical coordinates; nothing when unknown.
  virtual std::optional<Point> Pointer() { return std::nullopt; }
};

// A white 32-bit picture of a given size.
class PictureSurface : public TurtleSurface {
 public:
  // False when the picture cannot be made (a side below 1 or too large).
  bool Create(int width, int height);
  gfx::DrawTarget* Target() override { return target_ ? &*target_ : nullptr; }
  Rect ClientArea() override { return bitmap_.Bounds(); }
  const gfx::Bitmap& bitmap() const { return bitmap_; }

 private:
  gfx::Bitmap bitmap_;
  std::optional<gfx::DrawTarget> target_;
};

// Asked by long drawing loops whether to go on (Escape, the work budget).
class WorkCheck {
 public:
  virtual ~WorkCheck() = default;
  virtual bool KeepGoing() = 0;
};

enum class PenState : uint8_t { kUp, kDown, kErase, kReverse };
enum class EdgeMode : uint8_t { kWindow, kFence, kWrap };

// The shape primitives: what is drawn (rectangle, oval, rounded rectangle, arc) and how.
enum class ShapeKind : uint8_t { kRect, kOval, kRoundRect, kArc };
enum class ShapeFamily : uint8_t { kFrame, kPaint, kErase, kInvert };

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

// A point in window pixels with its depth (0 in the plane, growing away from the viewer).
struct Point3 {
  int64_t x = 0, y = 0, z = 0;
};

// Depth of the eye: a point is drawn 1728 / (z + 1728) times as far from the centre, and
// points at the eye or behind it (z <= -1728) are not drawn.
inline constexpr int64_t kEyeDistance = 1728;

// The eight colours scripts name by number.
gfx::Rgb ColorOfNumber(int32_t n);  // n modulo 8
int NumberOfColor(gfx::Rgb c);      // the nearest, ties to the lower number

class Turtle {
 public:
  // Takes the surface for the script about to run (null: none); the centre follows its
  // client area. The first attachment puts the turtle in the middle.
  void Attach(TurtleSurface* surface);
  gfx::DrawTarget* target() { return surface_ ? surface_->Target() : nullptr; }
  // DRAWTOOFFSCREEN and DRAWTOSCREEN: where the surface's drawing goes.
  void DrawOffscreen(bool on) {
    if (surface_) surface_->SetOffscreen(on);
  }
  bool AreaEmpty() const { return area_.Empty(); }
  // The pointer in turtle coordinates; nothing without a surface that knows where it is.
  std::optional<Point> Pointer() const {
    if (!surface_) return std::nullopt;
    auto p = surface_->Pointer();
    if (!p) return std::nullopt;
    return Point{p->x - cx_, cy_ - p->y};
  }

  // --- Where the turtle is, in turtle coordinates ------------------------------------
  int32_t TurtleX() const { return x_ - cx_; }
  int32_t TurtleY() const { return cy_ - y_; }
  int32_t TurtleZ() const { return z_; }  // the centre's depth is 0
  // Window coordinates of a turtle point (64-bit: scripts may name any number).
  int64_t WindowX(int64_t tx) const { return cx_ + tx; }
  int64_t WindowY(int64_t ty) const { return cy_ - ty; }
  int32_t x() const { return x_; }
  int32_t y() const { return y_; }
  int32_t z() const { return z_; }
  int HeadingDegrees() const;
  // The 3-D orientation as whole degrees 0..359 (HEADING in 3-D: [roll pitch heading]).
  void Orientation(int& roll, int& pitch, int& heading) const;
  // The heading from the turtle to a turtle point, in whole degrees 0..359.
  int HeadingTowards(int64_t tx, int64_t ty) const;

  // --- Movement ------------------------------------------------------------------------
  enum class Moved { kDone, kOutOfBounds, kStopped };
  // Moves to a window point, drawing with the pen as the edge mode says; the depth stays.
  Moved MoveTo(int64_t x, int64_t y, WorkCheck& work) { return MoveTo({x, y, z_}, work); }
  // In 3-D the edge modes do not apply: the turtle moves and draws as in window mode.
  Moved MoveTo(Point3 to, WorkCheck& work);
  Moved Forward(int32_t distance, WorkCheck& work);
  void Turn(double degrees);  // clockwise; whole degrees use exact tables
  void SetHeading(double degrees);
  // SETHEADING3D: heading, pitch (up from the plane, away from the viewer) and roll.
  void SetHeading3D(double heading, double pitch, double roll);
  void Roll(double degrees);   // ROLLRIGHT: the left side goes away from the viewer
  void Pitch(double degrees);  // ROTATEIN: the nose goes away from the viewer
  // In the plane, facing it (z = 0, the up vector straight along z).
  bool Flat() const;
  void SetEdgeMode(EdgeMode mode);  // FENCE and WRAP bring an outside turtle home
  void Home(WorkCheck& work);

  // --- Drawing ---------------------------------------------------------------------------
  void ClearScreen();  // fill with the background, turtle home facing north
  void Clean();
  void Dot(Point3 at);  // window point, with the pen, projected in depth
  bool DotP(int64_t x, int64_t y);
  void Fill();
  // A shape in window pixels (not scrunched yet); `a` and `b` are the corner sizes of a
  // rounded rectangle or the start and extent of an arc, in degrees clockwise from noon.
  void Shape(ShapeKind kind, ShapeFamily family, Rect r, double a, double b);

  // The figure is taken off before drawing and put back afterwards.
  void HideFigure();
  void ShowFigure();
  void SetShown(bool shown);
  bool shown() const { return shown_; }

  // --- Text ----------------------------------------------------------------------------
  // Draws text (Windows characters, '\n' ends a line) in the pen colour at the text
  // position: where the turtle stands (the top of the first line), moving on as text is
  // drawn; a line end goes down a line, back under where the text began. A turtle that
  // moved since the last text starts again where it now stands.
  void Text(std::string_view text, Font& font);
  std::string font_family = "Geneva";
  int font_size = 12;
  uint8_t font_style = 0;

  // --- Pen and colours -----------------------------------------------------------------
  PenState pen = PenState::kDown;
  gfx::Rgb pen_color = gfx::kBlack;
  gfx::Rgb background = gfx::kWhite;
  gfx::Rgb fore_color = gfx::kBlack;  // of the shape primitives
  gfx::Rgb back_color = gfx::kWhite;
  int stereo_grey = 0;
  int pen_width = 1, pen_height = 1;
  EdgeMode edge = EdgeMode::kWindow;
  void SetPenSize(int32_t width, int32_t height);

  // 3-D: positions and headings have a depth; in stereo every line and dot is drawn
  // twice, once for each eye, in the stereo pens.
  bool three_d = false;
  bool stereo = false;
  gfx::Rgb stereo_pens[2] = {{255, 0, 0}, {0, 0x75, 255}};  // left eye (red), right eye

  // Horizontal scrunch: drawn x = centre + (x - centre) * num / den.
  bool SetScrunch(double ratio);
  int32_t scrunch_num = 1, scrunch_den = 1;

 private:
  Moved Wrap(int64_t tx, int64_t ty, WorkCheck& work);
  void Line(Point3 from, Point3 to);
  // One pass of a line, in drawn pixels, with the pen in `colour`.
  void Segment(double ax, double ay, double bx, double by, gfx::Rgb colour, gfx::PenMode mode);
  // Where a point is drawn: projected by its depth (eye 0 a plain view, -1 and 1 the left
  // and right eyes of the stereo view), then scrunched. Points at or behind the eye must
  // not be given.
  void Project(Point3 p, int eye, double& x, double& y) const;
  Point Screen(int64_t x, int64_t y) const;
  // The pen for one pass of a drawing: the pen state's colour and mode, or `colour` and
  // `mode` for the stereo pens.
  void PrepareTarget(gfx::DrawTarget& t, bool clip) const;
  void PrepareTarget(gfx::DrawTarget& t, bool clip, gfx::Rgb colour, gfx::PenMode mode) const;
  // The eyes a drawing is made for: {0} plainly, {-1, 1} in stereo.
  std::span<const int> Eyes() const;
  gfx::Rgb EyeColour(int eye) const;
  gfx::PenMode EyeMode() const;
  void DrawFigure();
  void TextPiece(std::string_view piece, Font& font);
  void Changed(const Rect& r) {
    if (surface_) surface_->Changed(r);
  }

  TurtleSurface* surface_ = nullptr;
  Rect area_;
  int32_t cx_ = 0, cy_ = 0;
  int32_t x_ = 0, y_ = 0, z_ = 0;
  bool placed_ = false;
  Vec3 h_{0, 1, 0}, s_{-1, 0, 0}, u_{0, 0, 1};
  bool shown_ = true;
  bool figure_drawn_ = false;
  uint64_t figure_generation_ = 0;  // the surface's generation the figure was drawn in
  Point figure_[3];
  std::optional<Point> text_anchor_;  // the turtle's position when its text began
  Point text_pos_;                    // where the next text goes (top left)
  int text_left_ = 0;                 // where lines start
};

}  // namespace corvida::logo
