#pragma once
// The windows' background pictures. They are JPEG files embedded as raw data resources; the
// system's imaging component decodes each into a bitmap the first time it is drawn (or ahead,
// while the program waits), and the bitmap is kept for the life of the process, so a window that
// comes back draws its picture at once. The codecs library, and the libraries it brings in, are
// loaded only for decoding and let go once the program is idle: they are most of what pictures
// cost. A picture that is missing or cannot be decoded is remembered as absent and draws nothing.

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
  // Unloads the picture loader and the codecs it brought in, until the next decode; false when
  // they were not loaded.
  bool LetCodecsGo();

 private:
  struct Entry {
    UniqueBitmap bitmap;
    SIZE size{};
  };
  Entry Load(ResourceId id);
  Entry LoadThroughSystem(const void* bytes, DWORD size);

  HMODULE module_;
  std::map<ResourceId, Entry> pictures_;
  UniqueModule codecs_;  // loaded for a decode, let go when the program is idle
};

}  // namespace amorix::win32
