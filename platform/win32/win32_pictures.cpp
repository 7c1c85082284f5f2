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

PictureCache::~PictureCache() {
  for (const auto& [id, entry] : pictures_) stats::PictureBytes(-Bytes(entry.bitmap.get()));
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
  if (!bytes || size == 0 || size > INT_MAX) return {};

  int width = 0, height = 0, channels = 0;
  const std::unique_ptr<stbi_uc, decltype(&std::free)> rgb(
      stbi_load_from_memory(static_cast<const stbi_uc*>(bytes), static_cast<int>(size), &width,
                            &height, &channels, 3),
      &std::free);
  if (!rgb) return {};
  // A top-down 24-bit DIB section holds the pixels, blue first, each row padded to four bytes.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Entry entry;
  entry.bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
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
