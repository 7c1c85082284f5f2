#pragma once
// A region of the shared region model as the cairo region a GTK window takes for its shape: the
// same pixels, as rectangles. Needs cairo alone, so that host tests can check it without a
// display.

#include <cairo.h>

#include "platform/regions/region_model.h"

namespace amorix::gtk {

// The caller destroys the result.
cairo_region_t* ToCairoRegion(const regions::RegionModel& model);

}  // namespace amorix::gtk
