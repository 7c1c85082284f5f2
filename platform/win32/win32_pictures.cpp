#include "platform/win32/win32_pictures.h"

#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_stats.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb_image.h>

namespace amorix::win32 {

namespace {

// A top-down 24-bit DIB section; its pixels, blue first, each row padded to four bytes.
HBITMAP MakeDib(SIZE size, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Halftone averages the source pixels each target pixel covers, and blends between them when
// it enlarges; it needs the brush origin set after the mode is chosen.
UniqueBitmap Stretch(HBITMAP from, SIZE from_size, SIZE to_size) {
  void* bits = nullptr;
  UniqueBitmap to(MakeDib(to_size, &bits));
  UniqueMemoryDc source(::CreateCompatibleDC(nullptr));
  UniqueMemoryDc target(::CreateCompatibleDC(nullptr));
  if (!to || !source || !target) return {};
  SelectGuard select_from(source.get(), from);
  SelectGuard select_to(target.get(), to.get());
  ::SetStretchBltMode(target.get(), HALFTONE);
  ::SetBrushOrgEx(target.get(), 0, 0, nullptr);
  if (!::StretchBlt(target.get(), 0, 0, to_size.cx, to_size.cy, source.get(), 0, 0, from_size.cx,
                    from_size.cy, SRCCOPY)) {
    return {};
  }
  return to;
}

}  // namespace

PictureCache::~PictureCache() {
  for (const auto& [id, entry] : pictures_) {
    stats::PictureBytes(-Bytes(entry.bitmap.get()) - Bytes(entry.scaled.get()));
  }
}

PictureCache::Entry& PictureCache::Find(ResourceId id) {
  auto found = pictures_.find(id);
  if (found == pictures_.end()) {
    found = pictures_.emplace(id, Load(id)).first;
    stats::PictureBytes(Bytes(found->second.bitmap.get()));
  }
  return found->second;
}

PictureCache::Picture PictureCache::Get(ResourceId id) {
  const Entry& entry = Find(id);
  return {entry.bitmap.get(), entry.size};
}

PictureCache::Picture PictureCache::Get(ResourceId id, SIZE size) {
  Entry& entry = Find(id);
  if (!entry.bitmap || (size.cx == entry.size.cx && size.cy == entry.size.cy)) {
    return {entry.bitmap.get(), entry.size};
  }
  if (!entry.scaled || size.cx != entry.scaled_size.cx || size.cy != entry.scaled_size.cy) {
    stats::PictureBytes(-Bytes(entry.scaled.get()));
    entry.scaled = Stretch(entry.bitmap.get(), entry.size, size);
    entry.scaled_size = entry.scaled ? size : SIZE{};
    stats::PictureBytes(Bytes(entry.scaled.get()));
  }
  return {entry.scaled.get(), entry.scaled_size};
}

PictureCache::Entry PictureCache::Load(ResourceId id) {
  HRSRC resource = ::FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
  if (!resource) return {};
  const DWORD size = ::SizeofResource(module_, resource);
  HGLOBAL loaded = ::LoadResource(module_, resource);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0 || size > INT_MAX) return {};

  int width = 0, height = 0, channels = 0;
  const std::unique_ptr<stbi_uc, decltype(&std::free)> rgb(
      stbi_load_from_memory(static_cast<const stbi_uc*>(bytes), static_cast<int>(size), &width,
                            &height, &channels, 3),
      &std::free);
  if (!rgb) return {};
  void* bits = nullptr;
  Entry entry;
  entry.bitmap.reset(MakeDib({width, height}, &bits));
  if (!entry.bitmap || !bits) return {};
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  for (int y = 0; y < height; ++y) {
    const stbi_uc* from = rgb.get() + static_cast<std::size_t>(y) * width * 3;
    auto* to = static_cast<BYTE*>(bits) + y * stride;
    for (int x = 0; x < width; ++x, from += 3, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  entry.size = {width, height};
  return entry;
}

}  // namespace amorix::win32
