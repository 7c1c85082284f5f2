#pragma once
// Where a shape's frame lands, as GDI draws a rectangle with an inside-less pen of a given width:
// the pen's path runs through the first and the last pixel of each side, so half the width falls
// outside. A backend fills the bands it is given; a frame too thick to have an inside is one band.
//
// Shared by the backends that paint; it belongs to none of them.

#include <array>

#include "platform/platform.h"

namespace amorix::common {

struct FrameBands {
  std::array<PixelRect, 4> bands{};
  int count = 0;
};

constexpr FrameBands FrameRectBands(const PixelRect& r, int width) {
  if (width <= 0) return {};
  const int before = width / 2;
  const PixelRect outer{r.left - before, r.top - before, r.right - 1 - before + width,
                        r.bottom - 1 - before + width};
  const PixelRect inner{outer.left + width, outer.top + width, outer.right - width,
                        outer.bottom - width};
  if (inner.Width() <= 0 || inner.Height() <= 0) return {{outer}, 1};
  return {{PixelRect{outer.left, outer.top, outer.right, inner.top},
           PixelRect{outer.left, inner.bottom, outer.right, outer.bottom},
           PixelRect{outer.left, inner.top, inner.left, inner.bottom},
           PixelRect{inner.right, inner.top, outer.right, inner.bottom}},
          4};
}

}  // namespace amorix::common
