#include "platform/win32/win32_canvas.h"

#include "platform/common/frame_bands.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_stats.h"

namespace amorix::win32 {

long long Bytes(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info)) return 0;
  return static_cast<long long>(info.bmWidthBytes) * info.bmHeight;
}

COLORREF ToColorRef(Color color) {
  if (color & kSystemColorFlag) return ::GetSysColor(static_cast<int>(color & 0xFFu));
  return color & 0xFFFFFFu;
}

PaintBuffer::~PaintBuffer() {
  Free();
}

void PaintBuffer::Free() {
  if (dc_ && original_) ::SelectObject(dc_.get(), original_);
  stats::PaintBufferBytes(-Bytes(bitmap_.get()));
  original_ = nullptr;
  bitmap_.reset();
  dc_.reset();
  width_ = 0;
}

bool PaintBuffer::Release() {
  if (!dc_ || kept_) return false;
  Free();
  return true;
}

void PaintBuffer::MakeAhead(int width) {
  WindowDcGuard screen(nullptr);
  kept_ = screen.dc() && Get(screen.dc(), width);
}

HDC PaintBuffer::Get(HDC screen, int width) {
  kept_ = false;
  if (dc_ && width <= width_) return dc_.get();
  Free();
  dc_.reset(::CreateCompatibleDC(screen));
  bitmap_.reset(::CreateCompatibleBitmap(screen, width, kBandRows));
  if (!dc_ || !bitmap_) {
    Free();
    return nullptr;
  }
  original_ = ::SelectObject(dc_.get(), bitmap_.get());
  stats::PaintBufferBytes(Bytes(bitmap_.get()));
  width_ = width;
  return dc_.get();
}

void Win32Canvas::FillRect(const PixelRect& r, Color c) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  const RECT rect = ToRect(r);
  ::SetDCBrushColor(dc_, ToColorRef(c));
  ::FillRect(dc_, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void Win32Canvas::FrameRect(const PixelRect& r, Color c, int width) {
  const common::FrameBands frame = common::FrameRectBands(r, width);
  for (int i = 0; i < frame.count; ++i) FillRect(frame.bands[i], c);
}

PixelSize Win32Canvas::PictureSize(ResourceId picture) {
  const PictureCache::Picture found = pictures_.Get(picture);
  return {found.size.cx, found.size.cy};
}

void Win32Canvas::DrawPicture(ResourceId picture, const PixelRect& dest) {
  if (dest.Width() <= 0 || dest.Height() <= 0) return;
  const PictureCache::Picture found = pictures_.Get(picture, {dest.Width(), dest.Height()});
  if (!found.bitmap) return;
  UniqueMemoryDc source(::CreateCompatibleDC(dc_));
  if (!source) return;
  SelectGuard select(source.get(), found.bitmap);
  ::BitBlt(dc_, dest.left, dest.top, found.size.cx, found.size.cy, source.get(), 0, 0, SRCCOPY);
}

void Win32Canvas::PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font,
                            Color color, Align align) {
  const bool overlaps = r.left < dirty_.right && dirty_.left < r.right && r.top < dirty_.bottom &&
                        dirty_.top < r.bottom;
  if (text.empty() || !overlaps) return;
  HFONT handle = fonts_.Get(font);
  SelectGuard select(dc_,
                     handle ? static_cast<HGDIOBJ>(handle) : ::GetStockObject(DEFAULT_GUI_FONT));
  const int old_mode = ::SetBkMode(dc_, TRANSPARENT);
  const COLORREF old_color = ::SetTextColor(dc_, ToColorRef(color));
  RECT rect = ToRect(r);
  const UINT format = DT_WORDBREAK | (align == Align::kCenter ? DT_CENTER : DT_LEFT);
  ::DrawTextW(dc_, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
              &rect, format);
  ::SetTextColor(dc_, old_color);
  ::SetBkMode(dc_, old_mode);
}

}  // namespace amorix::win32
