#include "platform/win32/win32_pictures.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>

namespace amorix::win32 {

namespace {

using CoInitializeFn = HRESULT(WINAPI*)(LPVOID);
using CreateStreamOnHGlobalFn = HRESULT(WINAPI*)(HGLOBAL, BOOL, LPSTREAM*);
using OleLoadPictureFn = HRESULT(WINAPI*)(LPSTREAM, LONG, BOOL, REFIID, LPVOID*);

// The address of `procedure` in `library`, loaded into `keep`; null when either is missing.
template <class Function>
Function Bind(const wchar_t* library, const char* procedure, UniqueModule& keep) {
  if (!keep) keep.reset(::LoadLibraryW(library));
  // Through void(*)(): the one cast between function types the compiler accepts silently.
  return keep ? reinterpret_cast<Function>(
                    reinterpret_cast<void (*)()>(::GetProcAddress(keep.get(), procedure)))
              : nullptr;
}

}  // namespace

PictureCache::Picture PictureCache::Get(ResourceId id) {
  auto found = pictures_.find(id);
  if (found == pictures_.end()) found = pictures_.emplace(id, Load(id)).first;
  return {found->second.bitmap.get(), found->second.size};
}

PictureCache::Entry PictureCache::Load(ResourceId id) {
  HRSRC resource = ::FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
  if (!resource) return {};
  const DWORD size = ::SizeofResource(module_, resource);
  HGLOBAL loaded = ::LoadResource(module_, resource);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return {};

  return LoadThroughSystem(bytes, size);
}

PictureCache::Entry PictureCache::LoadThroughSystem(const void* bytes, DWORD size) {
  const auto co_initialize = Bind<CoInitializeFn>(L"ole32.dll", "CoInitialize", ole32_);
  const auto create_stream =
      Bind<CreateStreamOnHGlobalFn>(L"ole32.dll", "CreateStreamOnHGlobal", ole32_);
  const auto load_picture = Bind<OleLoadPictureFn>(L"oleaut32.dll", "OleLoadPicture", oleaut32_);
  if (!co_initialize || !create_stream || !load_picture) return {};
  static const HRESULT com = co_initialize(nullptr);
  (void)com;

  // A stream over a private copy of the bytes; the stream frees the copy.
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  void* target = memory ? ::GlobalLock(memory) : nullptr;
  if (!target) {
    if (memory) ::GlobalFree(memory);
    return {};
  }
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(memory);
  UniqueCom<IStream> stream;
  if (FAILED(create_stream(memory, TRUE, stream.put()))) {
    ::GlobalFree(memory);
    return {};
  }
  UniqueCom<IPicture> picture;
  if (FAILED(load_picture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                          picture.put()))) {
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
