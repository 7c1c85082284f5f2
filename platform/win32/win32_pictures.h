#pragma once
// The windows' background pictures. They are JPEG files embedded as raw data resources; the
// system's picture loader decodes each into a bitmap the first time it is drawn (its libraries
// are loaded only then), and the bitmap is kept for the life of the process, so a window that
// comes back draws its picture at once. A picture that is missing or cannot be decoded is
// remembered as absent and draws nothing.

#include <windows.h>

#include <map>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"

namespace amorix::win32 {

class PictureCache {
 public:
  explicit PictureCache(HMODULE module) : module_(module) {}

  struct Picture {
    HBITMAP bitmap = nullptr;
    SIZE size{};
  };
  // The decoded picture, or an empty one (null bitmap) when there is none.
  Picture Get(ResourceId id);

 private:
  struct Entry {
    UniqueBitmap bitmap;
    SIZE size{};
  };
  Entry Load(ResourceId id);
  Entry LoadThroughSystem(const void* bytes, DWORD size);

  HMODULE module_;
  std::map<ResourceId, Entry> pictures_;
  UniqueModule ole32_, oleaut32_;  // bound when the first picture is drawn
};

}  // namespace amorix::win32
