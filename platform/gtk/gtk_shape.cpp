#include "platform/gtk/gtk_shape.h"

namespace amorix::gtk {

cairo_region_t* ToCairoRegion(const regions::RegionModel& model) {
  cairo_region_t* region = cairo_region_create();
  for (const PixelRect& r : model.Rectangles()) {
    const cairo_rectangle_int_t rect{r.left, r.top, r.Width(), r.Height()};
    cairo_region_union_rectangle(region, &rect);
  }
  return region;
}

}  // namespace amorix::gtk
