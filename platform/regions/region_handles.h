#pragma once
// GDI's region calls on the region model, for the backends whose regions are nothing but pixels
// until a window takes one (GTK, the web): a handle owns its model, and combining and deleting
// answer as GDI does. The headless platform keeps regions of its own, which record their calls.
//
// Shared by those backends; it belongs to none of them.

#include <utility>

#include "platform/platform.h"
#include "platform/regions/region_model.h"

struct amorix::NativeRegionTag {
  regions::RegionModel model;
};

namespace amorix::regions {

inline RegionHandle NewRegion(RegionModel model) {
  return new NativeRegionTag{std::move(model)};
}

inline int CombineRegions(RegionHandle dest, RegionHandle src1, RegionHandle src2, int mode) {
  if ((mode != Platform::kRgnCopy && mode != Platform::kRgnOr) || !dest || !src1 ||
      (mode == Platform::kRgnOr && !src2)) {
    return kRegionError;
  }
  RegionModel result = src1->model;
  if (mode == Platform::kRgnOr) result.Unite(src2->model);
  dest->model = std::move(result);
  return dest->model.Type();
}

inline int DeleteRegion(RegionHandle r) {
  if (!r) return 0;
  delete r;
  return 1;
}

// A platform whose region calls are these; SetWindowRgn, which hands a window its region, is the
// backend's own.
class ModelRegionsPlatform : public Platform {
 public:
  RegionHandle CreateRectRgn(int left, int top, int right, int bottom) final {
    return NewRegion(RegionModel::Rect(left, top, right, bottom));
  }
  RegionHandle CreateEllipticRgn(int left, int top, int right, int bottom) final {
    return NewRegion(RegionModel::Ellipse(left, top, right, bottom));
  }
  RegionHandle CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipse_w,
                                  int ellipse_h) final {
    return NewRegion(RegionModel::RoundRect(left, top, right, bottom, ellipse_w, ellipse_h));
  }
  int CombineRgn(RegionHandle dest, RegionHandle src1, RegionHandle src2, int mode) final {
    return CombineRegions(dest, src1, src2, mode);
  }
  int DeleteObject(RegionHandle r) final { return DeleteRegion(r); }
};

}  // namespace amorix::regions
