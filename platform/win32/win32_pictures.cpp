#include "platform/win32/win32_pictures.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

namespace amorix::win32 {

namespace {

void EnsureCom() {
  static const HRESULT initialized = ::CoInitialize(nullptr);
  (void)initialized;
}

// A stream over a private copy of the bytes; the stream frees the copy.
UniqueCom<IStream> StreamOver(const void* bytes, DWORD size) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return {};
  void* target = ::GlobalLock(memory);
  if (!target) {
    ::GlobalFree(memory);
    return {};
  }
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(memory);
  UniqueCom<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {
    ::GlobalFree(memory);
    return {};
  }
  return stream;
}

}  // namespace

PictureCache::Picture PictureCache::Get(ResourceId id) {
  auto found = pictures_.find(id);
  if (found == pictures_.end()) found = pictures_.emplace(id, Load(id)).first;
  return {found->second.bitmap.get(), found->second.size};
}

PictureCache::Entry PictureCache::Load(ResourceId id) const {
  HRSRC resource = ::FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
  if (!resource) return {};
  const DWORD size = ::SizeofResource(module_, resource);
  HGLOBAL loaded = ::LoadResource(module_, resource);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return {};

  EnsureCom();
  UniqueCom<IStream> stream = StreamOver(bytes, size);
  if (!stream) return {};
  UniqueCom<IPicture> picture;
  if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(picture.put())))) {
    return {};
  }
  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (FAILED(picture.get()->get_Type(&type)) || type != PICTYPE_BITMAP ||
      FAILED(picture.get()->get_Handle(&handle))) {
    return {};
  }
  // The picture object owns its bitmap; keep a copy of our own and let the object go.
  Entry entry;
  entry.bitmap.reset(static_cast<HBITMAP>(::CopyImage(
      reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0)));
  BITMAP info{};
  if (!entry.bitmap || !::GetObjectW(entry.bitmap.get(), sizeof(info), &info)) return {};
  entry.size = {info.bmWidth, info.bmHeight};
  return entry;
}

}  // namespace amorix::win32
