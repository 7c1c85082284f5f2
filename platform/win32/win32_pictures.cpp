#include "platform/win32/win32_pictures.h"

#include <objbase.h>
// after <objbase.h>; defines the decoder's class and format identifiers here
#include <initguid.h>
#include <wincodec.h>

#include <cstring>
#include <utility>

#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_stats.h"

namespace amorix::win32 {

namespace {

using DllGetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, LPVOID*);

}  // namespace

PictureCache::~PictureCache() {
  for (const auto& [id, entry] : pictures_) stats::PictureBytes(-Bytes(entry.bitmap.get()));
}

bool PictureCache::LetCodecsGo() {
  if (!codecs_) return false;
  codecs_.reset();
  return true;
}

PictureCache::Picture PictureCache::Get(ResourceId id) {
  auto found = pictures_.find(id);
  if (found == pictures_.end()) {
    found = pictures_.emplace(id, Load(id)).first;
    stats::PictureBytes(Bytes(found->second.bitmap.get()));
  }
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

// The JPEG decoder of the imaging component, taken from its library's class factory: no COM
// apartment holds the library, so it can be let go after decoding.
PictureCache::Entry PictureCache::LoadThroughSystem(const void* bytes, DWORD size) {
  if (!codecs_) codecs_.reset(::LoadLibraryW(L"windowscodecs.dll"));
  // Through void(*)(): the one cast between function types the compiler accepts silently.
  const auto get_class = codecs_
                             ? reinterpret_cast<DllGetClassObjectFn>(reinterpret_cast<void (*)()>(
                                   ::GetProcAddress(codecs_.get(), "DllGetClassObject")))
                             : nullptr;
  UniqueCom<IClassFactory> factory;
  UniqueCom<IWICBitmapDecoder> decoder;
  if (!get_class || FAILED(get_class(CLSID_WICJpegDecoder, IID_IClassFactory, factory.put())) ||
      FAILED(factory.get()->CreateInstance(nullptr, IID_IWICBitmapDecoder, decoder.put()))) {
    return {};
  }
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
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {
    ::GlobalFree(memory);
    return {};
  }
  UniqueCom<IWICBitmapFrameDecode> frame;
  WICPixelFormatGUID format{};
  UINT width = 0, height = 0;
  if (FAILED(decoder.get()->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder.get()->GetFrame(0, frame.put())) ||
      FAILED(frame.get()->GetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR ||
      FAILED(frame.get()->GetSize(&width, &height)) || width == 0 || height == 0) {
    return {};
  }
  // Decoded straight into a top-down DIB section: one copy of the pixels, in the file's format.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Entry entry;
  entry.bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const UINT stride = (width * 3 + 3) & ~3u;
  if (!entry.bitmap || !bits ||
      FAILED(frame.get()->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
    return {};
  }
  entry.size = {static_cast<LONG>(width), static_cast<LONG>(height)};
  return entry;
}

}  // namespace amorix::win32
