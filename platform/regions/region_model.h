#pragma once
// What GDI's region calls make, as a set of pixels: the regions of the headless platform, and
// the outlines the GTK platform turns into window shapes.
//
// A region is a union of shapes, each a box [left, right) x [top, bottom) with rounded corners:
// a rectangle has no corner, an ellipse has a corner as large as the box, and a rounded rectangle
// has a corner ellipse of the size it was made with (cut to the box, as GDI does). A pixel (x, y)
// belongs to a shape when its centre (x + 0.5, y + 0.5) lies inside. The arithmetic works on
// doubled coordinates, which puts pixel centres on whole numbers, and is exact for any size a
// screen has. Region types are GDI's: null (no pixel), simple (one rectangle), complex.

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace amorix::regions {

inline constexpr int kRegionError = 0;
inline constexpr int kNullRegion = 1;
inline constexpr int kSimpleRegion = 2;
inline constexpr int kComplexRegion = 3;

struct RegionShape {
  enum class Kind { kRect, kEllipse, kRoundRect };

  Kind kind = Kind::kRect;
  PixelRect box;
  int corner_width = 0, corner_height = 0;  // the corner ellipse; 0 for a rectangle

  bool Contains(int x, int y) const;
  // The pixels [first, second) of row y that lie inside; none when the row misses the shape.
  std::optional<std::pair<int, int>> Span(int y) const;
  PixelRect Bounds() const;  // of the pixels inside
  std::string ToString() const;
  friend bool operator==(const RegionShape&, const RegionShape&) = default;
};

class RegionModel {
 public:
  RegionModel() = default;  // empty
  static RegionModel Rect(int left, int top, int right, int bottom);
  static RegionModel Ellipse(int left, int top, int right, int bottom);
  static RegionModel RoundRect(int left, int top, int right, int bottom, int corner_width,
                               int corner_height);

  void Unite(const RegionModel& other);

  bool Empty() const { return shapes_.empty(); }
  bool Contains(int x, int y) const;
  PixelRect BoundingBox() const;  // all zero when empty
  int Type() const;               // kNullRegion, kSimpleRegion or kComplexRegion
  const std::vector<RegionShape>& shapes() const { return shapes_; }
  // The same pixels as rectangles: each shape's rows, runs of rows with the same span joined
  // (shapes may overlap one another), for a window system that takes a shape as rectangles.
  std::vector<PixelRect> Rectangles() const;
  // "Rect(l,t,r,b)", "Ellipse(l,t,r,b)", "RoundRect(l,t,r,b,w,h)" joined by " + "; "Empty".
  std::string ToString() const;

 private:
  void Add(const RegionShape& shape);
  bool RowIsSpan(int y, int left, int right) const;

  std::vector<RegionShape> shapes_;
};

}  // namespace amorix::regions
