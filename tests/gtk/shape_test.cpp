// The GTK platform's window shapes hold exactly the pixels of the region they are made from.
#include <gtest/gtest.h>

#include <random>

#include "platform/gtk/gtk_shape.h"

namespace amorix {
namespace {

using regions::RegionModel;

// Every pixel of the region's box and a margin around it: in the shape exactly when in the region.
void ExpectSamePixels(const RegionModel& region) {
  cairo_region_t* shape = gtk::ToCairoRegion(region);
  const PixelRect box = region.BoundingBox();
  int differing = 0;
  for (int y = box.top - 2; y < box.bottom + 2; ++y) {
    for (int x = box.left - 2; x < box.right + 2; ++x) {
      differing +=
          region.Contains(x, y) != static_cast<bool>(cairo_region_contains_point(shape, x, y));
    }
  }
  cairo_rectangle_int_t extents;
  cairo_region_get_extents(shape, &extents);
  cairo_region_destroy(shape);
  EXPECT_EQ(differing, 0) << region.ToString();
  if (!region.Empty()) {
    EXPECT_EQ(
        (PixelRect{extents.x, extents.y, extents.x + extents.width, extents.y + extents.height}),
        box)
        << region.ToString();
  }
}

TEST(GtkShapeTest, OutlinesOfEveryKind) {
  RegionModel main_window = RegionModel::RoundRect(0, 0, 600, 342, 25, 25);
  RegionModel overlapping = RegionModel::Rect(0, 0, 40, 10);
  overlapping.Unite(RegionModel::Ellipse(20, 5, 61, 38));
  overlapping.Unite(RegionModel::RoundRect(-5, 30, 12, 47, 9, 40));
  for (const RegionModel& region :
       {RegionModel(), RegionModel::Rect(0, 0, 0, 5), RegionModel::Rect(3, 4, 320, 250),
        RegionModel::Ellipse(0, 0, 1, 1), RegionModel::Ellipse(10, 10, 17, 30),
        RegionModel::RoundRect(0, 0, 9, 9, 20, 3), main_window, overlapping}) {
    ExpectSamePixels(region);
  }
}

TEST(GtkShapeTest, RandomUnions) {
  std::mt19937 random(15);
  std::uniform_int_distribution<int> at(-20, 60), size(0, 50), corner(0, 60), kind(0, 2);
  for (int round = 0; round < 200; ++round) {
    RegionModel region;
    for (int shapes = 1 + round % 3; shapes > 0; --shapes) {
      const int left = at(random), top = at(random);
      const int right = left + size(random), bottom = top + size(random);
      switch (kind(random)) {
        case 0:
          region.Unite(RegionModel::Rect(left, top, right, bottom));
          break;
        case 1:
          region.Unite(RegionModel::Ellipse(left, top, right, bottom));
          break;
        default:
          region.Unite(
              RegionModel::RoundRect(left, top, right, bottom, corner(random), corner(random)));
      }
    }
    ExpectSamePixels(region);
  }
}

}  // namespace
}  // namespace amorix
