#pragma once
// The model objects behind the headless platform's handles; private to the headless platform.
// They are never freed before the platform itself, so a handle to a destroyed window or a freed
// region stays safe to look at: the object says it is no longer alive.

#include <string>
#include <string_view>

#include "platform/common/utf8.h"
#include "platform/headless/headless_platform.h"
#include "platform/regions/region_model.h"

struct amorix::NativeWindowTag {
  const HeadlessPlatform* owner = nullptr;
  WindowEvents* events = nullptr;
  NativeEditTag* focus = nullptr;  // the edit that gets the focus when the window is active
  HeadlessPlatform::WindowInfo info;
};

struct amorix::NativeEditTag {
  const HeadlessPlatform* owner = nullptr;
  NativeWindowTag* window = nullptr;
  HeadlessPlatform::EditInfo info;
};

struct amorix::NativeRegionTag {
  const HeadlessPlatform* owner = nullptr;
  int number = 0;  // its name is R<number>
  bool alive = true;
  NativeWindowTag* window = nullptr;  // the window that owns it since SetWindowRgn
  regions::RegionModel model;
};

namespace amorix::headless {

using common::Utf8;

}  // namespace amorix::headless
