#pragma once
// Painting a form with cairo and Pango, and what painting needs kept: the pictures and icons,
// decoded once by gdk-pixbuf from the resources embedded in the program, and the fonts, made
// once per face, size and style. Colours, system colours included, resolve as on Windows with
// its classic scheme; a font's size in points becomes pixels as the system's conversion rounds.
// Text stands as the system's text does: its first baseline the font's Windows ascent below the
// top, its lines the Windows ascent plus descent apart (Pango's own metrics may differ).

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <pango/pango.h>

#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/common/classic_look.h"
#include "platform/platform.h"

namespace amorix::gtk {

using common::PixelsForPoints;
using common::Resolve;
using common::Rgb8;
int ScreenPixelsPerInch();

class Pictures {
 public:
  Pictures() = default;
  ~Pictures();
  Pictures(const Pictures&) = delete;
  Pictures& operator=(const Pictures&) = delete;
  GdkPixbuf* Get(ResourceId id);  // an icon; null when there is no such resource; owned here
  // A picture decoded and made ready to paint, once; null when there is none.
  cairo_surface_t* Surface(ResourceId id);

 private:
  std::map<ResourceId, GdkPixbuf*> pixbufs_;
  std::map<ResourceId, cairo_surface_t*> surfaces_;
};

class Fonts {
 public:
  Fonts() = default;
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  const PangoFontDescription* Get(const FontSpec& font);  // owned here
  // Its ascent and line height in pixels as the system measures them (the OS/2 table's Windows
  // metrics); zero when the font file has none.
  struct LineMetrics {
    int ascent = 0, height = 0;
  };
  LineMetrics Metrics(const FontSpec& font, PangoContext* context);
  // The family Pango resolves each face to now, as "face_NAME=FAMILY" lines.
  std::string Resolved();
  // The same font as a CSS declaration block for a text box.
  std::string Css(const FontSpec& font);

 private:
  // The screen's pixels per inch are part of the key: they may change while the program runs.
  using Key = std::tuple<std::u16string, float, bool, bool, int>;
  static Key KeyOf(const FontSpec& font);
  std::map<Key, PangoFontDescription*> fonts_;
  std::map<Key, LineMetrics> metrics_;
};

class GtkCanvas final : public Canvas {
 public:
  GtkCanvas(cairo_t* cr, const PixelRect& dirty, Pictures& pictures, Fonts& fonts)
      : cr_(cr), dirty_(dirty), pictures_(pictures), fonts_(fonts) {}

  PixelRect Dirty() const override { return dirty_; }
  void FillRect(const PixelRect& r, Color c) override;
  void FrameRect(const PixelRect& r, Color c, int width) override;
  PixelSize PictureSize(ResourceId picture) override;
  // Scaled with cairo's good filter; at its own size copied pixel for pixel.
  void DrawPicture(ResourceId picture, const PixelRect& dest) override;
  void PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font, Color color,
                 Align align) override;

 private:
  cairo_t* cr_;
  PixelRect dirty_;
  Pictures& pictures_;
  Fonts& fonts_;
};

}  // namespace amorix::gtk
