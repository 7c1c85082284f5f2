#include "platform/gtk/gtk_shape.h"

namespace amorix::gtk {

// Each shape's rows, runs of rows with the same span joined into one rectangle.
cairo_region_t* ToCairoRegion(const regions::RegionModel& model) {
  cairo_region_t* region = cairo_region_create();
  for (const regions::RegionShape& shape : model.shapes()) {
    // The current run's span is [left, right); none while left == right.
    int top = shape.box.top, left = 0, right = 0;
    for (int y = shape.box.top; y <= shape.box.bottom; ++y) {
      const auto span = y < shape.box.bottom ? shape.Span(y) : std::nullopt;
      const int first = span ? span->first : 0, last = span ? span->second : 0;
      if (first == left && last == right) continue;
      if (left < right) {
        const cairo_rectangle_int_t rows{left, top, right - left, y - top};
        cairo_region_union_rectangle(region, &rows);
      }
      top = y;
      left = first;
      right = last;
    }
  }
  return region;
}

}  // namespace amorix::gtk
