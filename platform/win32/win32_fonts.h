#pragma once
// Fonts by description. Every window names its fonts by face, size and style; the same few
// descriptions recur in every load of every window, so each is made once and kept for the life of
// the process. An empty face is the default face (kDefaultFace).

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"

namespace amorix::win32 {

class FontCache {
 public:
  // The font for `params`, created on first use; null only if GDI cannot make it.
  HFONT Get(const FontSpec& params);

  // The LOGFONT height for a size in points at the screen's vertical resolution.
  static int HeightForPoints(float points, int pixels_per_inch);

 private:
  using Key = std::tuple<std::u16string, float, bool, bool, bool>;
  std::map<Key, UniqueFont> fonts_;
};

}  // namespace amorix::win32
