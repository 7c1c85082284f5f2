#pragma once
// The classic Windows look for backends that have no Windows to ask: the system colours of the
// classic scheme (wine's defaults). Colours resolve as on Windows: packed RGB, or a system colour
// by index. And the one rule for a font's size in points as the pixels the system makes of it,
// which the Win32 backend follows too.
//
// Shared by the backends that paint; it belongs to none of them.

#include <array>
#include <cmath>
#include <cstddef>

#include "platform/platform.h"

namespace amorix::common {

struct Rgb8 {
  unsigned char r = 0, g = 0, b = 0;
};

// The classic scheme's system colours, by index.
inline constexpr std::array<Rgb8, 31> kSystemColors{{
    {212, 208, 200}, {58, 110, 165},  {10, 36, 106},   {128, 128, 128}, {212, 208, 200},
    {255, 255, 255}, {0, 0, 0},       {0, 0, 0},       {0, 0, 0},       {255, 255, 255},
    {212, 208, 200}, {212, 208, 200}, {128, 128, 128}, {10, 36, 106},   {255, 255, 255},
    {212, 208, 200}, {128, 128, 128}, {128, 128, 128}, {0, 0, 0},       {212, 208, 200},
    {255, 255, 255}, {64, 64, 64},    {212, 208, 200}, {0, 0, 0},       {255, 255, 225},
    {181, 181, 181}, {0, 0, 200},     {166, 202, 240}, {192, 192, 192}, {10, 36, 106},
    {212, 208, 200},
}};

inline Rgb8 Resolve(Color color) {
  if (color & kSystemColorFlag) {
    const std::size_t index = color & 0xFFu;
    return index < kSystemColors.size() ? kSystemColors[index] : Rgb8{};
  }
  return {static_cast<unsigned char>(color & 0xFF), static_cast<unsigned char>((color >> 8) & 0xFF),
          static_cast<unsigned char>((color >> 16) & 0xFF)};
}

// The em height in pixels of a font of `points` on a screen of `pixels_per_inch`.
inline int PixelsForPoints(float points, int pixels_per_inch) {
  // Hundredths of a point keep 8.25 exact; halves round away from zero, as the system's MulDiv.
  const long long product = std::llround(points * 100.0f) * pixels_per_inch;
  return static_cast<int>((product + (product >= 0 ? 3600 : -3600)) / 7200);
}

}  // namespace amorix::common
