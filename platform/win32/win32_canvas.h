#pragma once
// Drawing on a device context for a window's paint. The window procedure hands the behaviour a
// canvas over an off-screen bitmap and copies the result to the screen in one blit, so a repaint
// never flickers. Colours are the platform's packed RGB or, with the top bit set, a system colour.
//
// The off-screen bitmap (PaintBuffer) is one band of rows high: a large dirty area is composed and
// copied a band at a time, each band complete before its blit, so the buffer stays small. It is
// kept through a burst of paints and freed when the program falls idle; one made ahead for a
// window still to come waits for that window's first paint.

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_fonts.h"
#include "platform/win32/win32_pictures.h"

namespace amorix::win32 {

COLORREF ToColorRef(Color color);
// The bytes of a bitmap's pixels; 0 for none.
long long Bytes(HBITMAP bitmap);

inline RECT ToRect(const PixelRect& r) {
  return {r.left, r.top, r.right, r.bottom};
}
inline PixelRect ToPixelRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

class PaintBuffer {
 public:
  static constexpr int kBandRows = 64;

  PaintBuffer() = default;
  ~PaintBuffer();
  PaintBuffer(const PaintBuffer&) = delete;
  PaintBuffer& operator=(const PaintBuffer&) = delete;

  // A memory DC compatible with `screen` whose bitmap is at least `width` by kBandRows pixels;
  // null when GDI cannot make one.
  HDC Get(HDC screen, int width);
  // Makes the buffer ahead for a window `width` pixels wide, and keeps it from Release until a
  // paint has used it.
  void MakeAhead(int width);
  // Frees the bitmap between paints; false when none was held (or it is kept for a paint).
  bool Release();

 private:
  void Free();

  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ original_ = nullptr;  // the DC's own bitmap, put back before ours is freed
  int width_ = 0;
  bool kept_ = false;
};

class Win32Canvas final : public Canvas {
 public:
  Win32Canvas(HDC dc, const PixelRect& dirty, FontCache& fonts, PictureCache& pictures)
      : dc_(dc), dirty_(dirty), fonts_(fonts), pictures_(pictures) {}

  PixelRect Dirty() const override { return dirty_; }
  void FillRect(const PixelRect& r, Color c) override;
  // A border `width` pixels wide centred on the rectangle's edge, as a GDI pen of that width
  // draws it: a 1-pixel frame lies just inside, wider ones reach outside too.
  void FrameRect(const PixelRect& r, Color c, int width) override;
  PixelSize PictureSize(ResourceId picture) override;
  // At its own size copied as it is; at any other, from the picture scaled once (PictureCache).
  void DrawPicture(ResourceId picture, const PixelRect& dest) override;
  // Text whose rectangle misses the dirty area is not laid out at all.
  void PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font, Color color,
                 Align align) override;

 private:
  HDC dc_;
  PixelRect dirty_;
  FontCache& fonts_;
  PictureCache& pictures_;
};

}  // namespace amorix::win32
