#include "shaping/outline.h"

#include "app/numeric.h"

namespace amorix {
namespace {

constexpr unsigned kWmNcLButtonDown = 0xA1;
constexpr std::uintptr_t kHtCaption = 2;
constexpr int kRedraw = -1;

enum Kind : std::int16_t {
  kRectangle = 0,
  kSquare = 1,
  kOval = 2,
  kCircle = 3,
  kRoundedRectangle = 4,
  kRoundedSquare = 5,
};

struct Box {
  float left, top, right, bottom;  // twips
};

// A square centred along the longer side of the bounding box, spanning its shorter side.
Box FittedSquare(const BorderShape& s) {
  if (s.Width > s.Height) {
    const float d = RoundToInt16((double{s.Width} - s.Height) / 2);
    return {s.Left + d, s.Top, s.Left + s.Width - d, s.Top + s.Height};
  }
  const float d = RoundToInt16((double{s.Height} - s.Width) / 2);
  return {s.Left, s.Top + d, s.Left + s.Width, s.Top + s.Height - d};
}

}  // namespace

WindowOutline BuildOutline(Form& window, std::int16_t ox, std::int16_t oy) {
  Platform& gdi = window.platform();
  window.outline = gdi.CreateRectRgn(0, 0, 0, 0);
  RegionHandle scratch = gdi.CreateRectRgn(0, 0, 0, 0);

  const TwipsPerPixel ratio = gdi.ScreenTwipsPerPixel();
  const double offset_x = static_cast<float>(ox);
  const double offset_y = static_cast<float>(oy);
  const auto px = [&](float x) { return RoundToInt32(CheckedDivide(x, ratio.x) + offset_x); };
  const auto py = [&](float y) { return RoundToInt32(CheckedDivide(y, ratio.y) + offset_y); };

  const std::int16_t lowest = window.shpborder.LBound();
  const std::int16_t highest = window.shpborder.UBound();
  for (std::int32_t i = lowest; i <= highest; ++i) {
    BorderShape& shape = window.shpborder(static_cast<std::int16_t>(i));
    if (shape.Shape < kRectangle || shape.Shape > kRoundedSquare) shape.Shape = kOval;
    const bool square =
        shape.Shape == kSquare || shape.Shape == kCircle || shape.Shape == kRoundedSquare;
    const Box box =
        square ? FittedSquare(shape)
               : Box{shape.Left, shape.Top, shape.Left + shape.Width, shape.Top + shape.Height};
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
  user.SendMessageA(window.hWnd(), kWmNcLButtonDown, kHtCaption, 0);
}

}  // namespace amorix
