#include "shaping/outline.h"

#include "app/numeric.h"

namespace amorix {
namespace {

constexpr int kRedraw = -1;

enum Kind : std::int16_t {
  kRectangle = 0,
  kSquare = 1,
  kOval = 2,
  kCircle = 3,
  kRoundedRectangle = 4,
  kRoundedSquare = 5,
};

// Twips, summed in double precision from the shapes' single-precision fields.
struct Box {
  double left, top, right, bottom;
};

// A square centred along the longer side of the bounding box, spanning its shorter side.
Box FittedSquare(const BorderShape& s) {
  const double left = s.Left, top = s.Top, width = s.Width, height = s.Height;
  if (width > height) {
    const std::int16_t d = RoundToInt16((width - height) / 2);
    return {left + d, top, left + width - d, top + height};
  }
  const std::int16_t d = RoundToInt16((height - width) / 2);
  return {left, top + d, left + width, top + height - d};
}

}  // namespace

WindowOutline BuildOutline(Form& window, std::int16_t ox, std::int16_t oy) {
  Platform& gdi = window.platform();
  window.outline = gdi.CreateRectRgn(0, 0, 0, 0);
  RegionHandle scratch = gdi.CreateRectRgn(0, 0, 0, 0);

  const TwipsPerPixel ratio = gdi.ScreenTwipsPerPixel();
  const double offset_x = static_cast<float>(ox);
  const double offset_y = static_cast<float>(oy);
  const auto px = [&](double x) { return RoundToInt32(CheckedDivide(x, ratio.x) + offset_x); };
  const auto py = [&](double y) { return RoundToInt32(CheckedDivide(y, ratio.y) + offset_y); };

  const std::int16_t lowest = window.shpborder.LBound();
  const std::int16_t highest = window.shpborder.UBound();
  for (std::int32_t i = lowest; i <= highest; ++i) {
    BorderShape& shape = window.shpborder(static_cast<std::int16_t>(i));
    if (shape.Shape < kRectangle || shape.Shape > kRoundedSquare) shape.Shape = kOval;
    const bool square =
        shape.Shape == kSquare || shape.Shape == kCircle || shape.Shape == kRoundedSquare;
    const Box box = square ? FittedSquare(shape)
                           : Box{shape.Left, shape.Top, double{shape.Left} + shape.Width,
                                 double{shape.Top} + shape.Height};
    const int left = px(box.left), top = py(box.top), right = px(box.right),
              bottom = py(box.bottom);

    RegionHandle region = nullptr;
    switch (shape.Shape) {
      case kRectangle:
      case kSquare:
        region = gdi.CreateRectRgn(left, top, right, bottom);
        break;
      case kOval:
      case kCircle:
        region = gdi.CreateEllipticRgn(left, top, right, bottom);
        break;
      default:
        region = gdi.CreateRoundRectRgn(left, top, right, bottom, kCornerEllipse, kCornerEllipse);
        break;
    }
    gdi.CombineRgn(scratch, window.outline, window.outline, Platform::kRgnCopy);
    gdi.CombineRgn(window.outline, scratch, region, Platform::kRgnOr);
    gdi.DeleteObject(region);
  }
  gdi.DeleteObject(scratch);
  return window.outline;
}

void ApplyOutline(Form& window) {
  WindowHandle handle = window.hWnd();
  WindowOutline outline = BuildOutline(window, 0, 0);
  window.platform().SetWindowRgn(handle, outline, kRedraw);
}

void BeginWindowDrag(Form& window) {
  Platform& user = window.platform();
  user.ReleaseCapture();
  user.SendMessageA(window.hWnd(), Platform::kWmNcLButtonDown, Platform::kHtCaption, 0);
}

}  // namespace amorix
