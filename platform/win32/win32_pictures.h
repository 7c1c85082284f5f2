#pragma once
// The windows' background pictures. They are JPEG files embedded as raw data resources, our own,
// decoded by stb_image (compiled in, JPEG alone) into a bitmap the first time each is drawn (or
// ahead, while the program waits), and the bitmap is kept for the life of the process, so a window
// that comes back draws its picture at once. The system's imaging component is not used: its
// codecs library, with the libraries it brings in, cost some 1.9 MiB of working set, and wine's
// never agrees to be unloaded (DllCanUnloadNow answers S_FALSE). A picture that is missing or
// cannot be decoded is remembered as absent and draws nothing.
//
// On a screen of other than 96 pixels per inch a picture is drawn larger or smaller. It is scaled
// once, by GDI's halftone stretch into a bitmap of the size asked for, and that bitmap is kept
// beside the picture's own: each band of a paint copies from it, so no band is stretched on its
// own and no seam shows where two meet.

#include <windows.h>

#include <map>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"

namespace amorix::win32 {

class PictureCache {
 public:
  explicit PictureCache(HMODULE module) : module_(module) {}
  ~PictureCache();
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  struct Picture {
    HBITMAP bitmap = nullptr;
    SIZE size{};
  };
  // The decoded picture, or an empty one (null bitmap) when there is none.
  Picture Get(ResourceId id);
  // The picture at `size`, the decoded one itself when that is its own size; an empty one when
  // there is no picture or GDI cannot make the bitmap.
  Picture Get(ResourceId id, SIZE size);

 private:
  struct Entry {
    UniqueBitmap bitmap;
    SIZE size{};
    UniqueBitmap scaled;  // the last size asked for other than its own
    SIZE scaled_size{};
  };
  Entry& Find(ResourceId id);
  Entry Load(ResourceId id);

  HMODULE module_;
  std::map<ResourceId, Entry> pictures_;
};

}  // namespace amorix::win32
