#include "platform/win32/win32_fonts.h"

#include <algorithm>

#include "platform/common/classic_look.h"

namespace amorix::win32 {

int FontCache::HeightForPoints(float points, int pixels_per_inch) {
  return -common::PixelsForPoints(points, pixels_per_inch);  // negative: the em height
}

HFONT FontCache::Get(const FontSpec& params) {
  Key key{std::u16string(params.face), params.points, params.bold, params.italic, params.underline};
  auto found = fonts_.find(key);
  if (found != fonts_.end()) return found->second.get();

  int pixels_per_inch = 96;
  {
    WindowDcGuard screen(nullptr);
    if (screen.dc()) pixels_per_inch = ::GetDeviceCaps(screen.dc(), LOGPIXELSY);
  }
  LOGFONTW font{};
  font.lfHeight = HeightForPoints(params.points, pixels_per_inch);
  font.lfWeight = params.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = params.italic;
  font.lfUnderline = params.underline;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::u16string_view face = params.face.empty() ? kDefaultFace : params.face;
  const size_t length = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(face.begin(), length, font.lfFaceName);

  HFONT made = ::CreateFontIndirectW(&font);
  if (made) fonts_.emplace(std::move(key), UniqueFont(made));
  return made;
}

}  // namespace amorix::win32
