#pragma once
// Drawing on a device context for a window's paint. The window procedure hands the behaviour a
// canvas over an off-screen bitmap and copies the result to the screen in one blit, so a repaint
// never flickers. Colours are the platform's packed RGB or, with the top bit set, a system colour.

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_fonts.h"
#include "platform/win32/win32_pictures.h"

namespace amorix::win32 {

COLORREF ToColorRef(Color color);

inline RECT ToRect(const PixelRect& r) {
  return {r.left, r.top, r.right, r.bottom};
}
inline PixelRect ToPixelRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

class Win32Canvas final : public Canvas {
 public:
  Win32Canvas(HDC dc, const PixelRect& dirty, FontCache& fonts, PictureCache& pictures)
      : dc_(dc), dirty_(dirty), fonts_(fonts), pictures_(pictures) {}

  PixelRect Dirty() const override { return dirty_; }
  void FillRect(const PixelRect& r, Color c) override;
  // A border `width` pixels wide centred on the rectangle's edge, as a GDI pen of that width
  // draws it: a 1-pixel frame lies just inside, wider ones reach outside too.
  void FrameRect(const PixelRect& r, Color c, int width) override;
  void DrawPicture(ResourceId picture, int x, int y) override;
  void PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font, Color color,
                 Align align) override;

 private:
  HDC dc_;
  PixelRect dirty_;
  FontCache& fonts_;
  PictureCache& pictures_;
};

}  // namespace amorix::win32
