#include "platform/regions/region_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace amorix::regions {
namespace {

using Int = std::int64_t;

// One row of a shape in doubled coordinates: the left corner ellipse is centred at cx, and the
// row's pixel centres lie dy below or above its centre (dy <= 0: the row runs between corners).
struct Row {
  Int cx = 0, dy = 0, ew = 0, eh = 0;
};

Row RowOf(const RegionShape& s, Int y) {
  const Int ew = s.corner_width, eh = s.corner_height;
  const Int doubled_y = 2 * y + 1, top = 2 * Int{s.box.top}, bottom = 2 * Int{s.box.bottom};
  Int dy = 0;
  if (ew > 0 && eh > 0) {
    if (doubled_y < top + eh) {
      dy = top + eh - doubled_y;
    } else if (doubled_y > bottom - eh) {
      dy = doubled_y - (bottom - eh);
    }
  }
  return {2 * Int{s.box.left} + ew, dy, ew, eh};
}

// Whether pixel x of the row, in the left half of the shape, lies inside the corner ellipse:
// dx^2 eh^2 <= ew^2 (eh^2 - dy^2), with dx < ew and dy < eh. Whole numbers hold it exactly for
// corners below 65536 pixels, larger than any screen; beyond them it is worked in doubles.
bool InsideLeft(const Row& row, Int x) {
  const Int dx = row.cx - (2 * x + 1);
  if (row.dy <= 0 || dx <= 0) return true;
  const auto inside = [&]<typename T>(T) {
    const T rx = static_cast<T>(dx), ry = static_cast<T>(row.dy);
    const T ew = static_cast<T>(row.ew), eh = static_cast<T>(row.eh);
    return rx * rx * eh * eh <= ew * ew * (eh * eh - ry * ry);
  };
  return row.ew < 65536 && row.eh < 65536 ? inside(std::uint64_t{}) : inside(double{});
}

int ClampToInt(Int v) {
  return static_cast<int>(
      std::clamp<Int>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

PixelRect Normalized(int left, int top, int right, int bottom) {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right),
          std::max(top, bottom)};
}

bool EmptyBox(const PixelRect& r) {
  return r.left >= r.right || r.top >= r.bottom;
}

Int BoxWidth(const PixelRect& r) {
  return Int{r.right} - r.left;
}
Int BoxHeight(const PixelRect& r) {
  return Int{r.bottom} - r.top;
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  if (EmptyBox(a)) return b;
  if (EmptyBox(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

}  // namespace

bool RegionShape::Contains(int x, int y) const {
  if (!box.Contains(x, y)) return false;
  const Int mirrored = Int{box.left} + box.right - 1 - x;  // the corners are symmetric
  return InsideLeft(RowOf(*this, y), std::min<Int>(x, mirrored));
}

std::optional<std::pair<int, int>> RegionShape::Span(int y) const {
  if (EmptyBox(box) || y < box.top || y >= box.bottom) return std::nullopt;
  const Row row = RowOf(*this, y);
  if (row.dy <= 0) return std::pair{box.left, box.right};
  const Int left = box.left, sum = Int{box.left} + box.right;
  const double ew = static_cast<double>(row.ew), eh = static_cast<double>(row.eh);
  const double dy = static_cast<double>(row.dy);
  const double reach = ew * std::sqrt(std::max<double>(0, eh * eh - dy * dy)) / eh;
  Int x = static_cast<Int>(std::ceil((static_cast<double>(row.cx) - reach - 1) / 2));
  x = std::clamp<Int>(x, left, std::max(left, Int{box.right} - 1));
  while (x > left && InsideLeft(row, x - 1)) --x;
  while (2 * x + 1 <= sum && !InsideLeft(row, x)) ++x;
  if (2 * x + 1 > sum) return std::nullopt;
  return std::pair{static_cast<int>(x), static_cast<int>(sum - x)};
}

PixelRect RegionShape::Bounds() const {
  if (EmptyBox(box)) return {};
  int top = box.top;
  while (top < box.bottom && !Span(top)) ++top;
  if (top == box.bottom) return {};
  const int middle = static_cast<int>(box.top + (BoxHeight(box) - 1) / 2);
  const int left = Span(middle)->first;
  return {left, top, static_cast<int>(Int{box.left} + box.right - left),
          static_cast<int>(Int{box.top} + box.bottom - top)};
}

std::string RegionShape::ToString() const {
  const std::string coords = std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                             std::to_string(box.right) + "," + std::to_string(box.bottom);
  switch (kind) {
    case Kind::kRect:
      return "Rect(" + coords + ")";
    case Kind::kEllipse:
      return "Ellipse(" + coords + ")";
    case Kind::kRoundRect:
      break;
  }
  return "RoundRect(" + coords + "," + std::to_string(corner_width) + "," +
         std::to_string(corner_height) + ")";
}

RegionModel RegionModel::Rect(int left, int top, int right, int bottom) {
  RegionModel region;
  region.Add({RegionShape::Kind::kRect, Normalized(left, top, right, bottom)});
  return region;
}

RegionModel RegionModel::Ellipse(int left, int top, int right, int bottom) {
  const PixelRect box = Normalized(left, top, right, bottom);
  RegionModel region;
  region.Add(
      {RegionShape::Kind::kEllipse, box, ClampToInt(BoxWidth(box)), ClampToInt(BoxHeight(box))});
  return region;
}

RegionModel RegionModel::RoundRect(int left, int top, int right, int bottom, int corner_width,
                                   int corner_height) {
  const PixelRect box = Normalized(left, top, right, bottom);
  const Int w = std::min(std::abs(Int{corner_width}), BoxWidth(box));
  const Int h = std::min(std::abs(Int{corner_height}), BoxHeight(box));
  RegionModel region;
  region.Add({RegionShape::Kind::kRoundRect, box, ClampToInt(w), ClampToInt(h)});
  return region;
}

void RegionModel::Add(const RegionShape& shape) {
  if (EmptyBox(shape.box)) return;
  if (std::find(shapes_.begin(), shapes_.end(), shape) != shapes_.end()) return;
  shapes_.push_back(shape);
}

void RegionModel::Unite(const RegionModel& other) {
  const std::vector<RegionShape> added = other.shapes_;  // other may be this region
  for (const RegionShape& shape : added) Add(shape);
}

bool RegionModel::Contains(int x, int y) const {
  return std::any_of(shapes_.begin(), shapes_.end(),
                     [&](const RegionShape& s) { return s.Contains(x, y); });
}

PixelRect RegionModel::BoundingBox() const {
  PixelRect box;
  for (const RegionShape& s : shapes_) box = Union(box, s.Bounds());
  return box;
}

bool RegionModel::RowIsSpan(int y, int left, int right) const {
  std::vector<std::pair<int, int>> spans;
  for (const RegionShape& s : shapes_) {
    if (auto span = s.Span(y)) spans.push_back(*span);
  }
  if (spans.empty()) return false;
  std::sort(spans.begin(), spans.end());
  int reach = spans.front().second;
  for (const auto& [first, last] : spans) {
    if (first > reach) return false;  // a gap
    reach = std::max(reach, last);
  }
  return spans.front().first == left && reach == right;
}

int RegionModel::Type() const {
  if (shapes_.empty()) return kNullRegion;
  // Each row between two of these has the spans of the row above it.
  const PixelRect box = BoundingBox();
  std::vector<Int> rows{box.top};
  for (const RegionShape& s : shapes_) {
    rows.push_back(s.box.top);
    rows.push_back(s.box.bottom);
    const Int top = 2 * Int{s.box.top}, bottom = 2 * Int{s.box.bottom};
    for (Int y = s.box.top; y < s.box.bottom && 2 * y + 1 < top + s.corner_height; ++y) {
      rows.push_back(y);
      rows.push_back(y + 1);
    }
    for (Int y = Int{s.box.bottom} - 1; y >= s.box.top && 2 * y + 1 > bottom - s.corner_height;
         --y) {
      rows.push_back(y);
    }
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (Int y : rows) {
    if (y < box.top || y >= box.bottom) continue;
    if (!RowIsSpan(static_cast<int>(y), box.left, box.right)) return kComplexRegion;
  }
  return kSimpleRegion;
}

std::vector<PixelRect> RegionModel::Rectangles() const {
  std::vector<PixelRect> out;
  for (const RegionShape& shape : shapes_) {
    // The current run's span is [left, right); none while left == right.
    int top = shape.box.top, left = 0, right = 0;
    for (int y = shape.box.top; y <= shape.box.bottom; ++y) {
      const auto span = y < shape.box.bottom ? shape.Span(y) : std::nullopt;
      const int first = span ? span->first : 0, last = span ? span->second : 0;
      if (first == left && last == right) continue;
      if (left < right) out.push_back({left, top, right, y});
      top = y;
      left = first;
      right = last;
    }
  }
  return out;
}

std::string RegionModel::ToString() const {
  if (shapes_.empty()) return "Empty";
  std::string text;
  for (const RegionShape& s : shapes_) {
    if (!text.empty()) text += " + ";
    text += s.ToString();
  }
  return text;
}

}  // namespace amorix::regions
