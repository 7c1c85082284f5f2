#include "platform/gtk/gtk_canvas.h"

#include <cairo-ft.h>
#include <gdk/gdk.h>
#include <pango/pangocairo.h>
// after the FreeType headers cairo-ft.h brings
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/common/frame_bands.h"
#include "platform/gtk/gtk_platform.h"
#include "resources/free_faces.h"
#include "resources/resource_ids.h"

namespace amorix::gtk {

namespace {

// The faces the layouts name, on metric-compatible fonts that Debian carries (the face table,
// resources/faces.txt). They are named here, where the backend names every font, and not as
// aliases in fontconfig's configuration, which GTK reloads from files when a font is installed
// while the program runs.
std::string FreeFamily(std::u16string_view face) {
#define AMORIX_FREE_FAMILY(name, family) {name, family},
  static constexpr std::pair<std::u16string_view, const char*> kFree[] = {
      AMORIX_FREE_FAMILIES(AMORIX_FREE_FAMILY)};
#undef AMORIX_FREE_FAMILY
  if (face.empty()) face = kDefaultFace;
  for (const auto& [name, family] : kFree) {
    if (name == face) return family;
  }
  return Utf8(face);
}

// The resource list's files, embedded under /amorix/.
const char* ResourcePath(ResourceId id) {
  switch (id) {
#define AMORIX_RESOURCE_PATH(number, file) \
  case number:                             \
    return "/amorix/" file;
    AMORIX_RESOURCE_FILES(AMORIX_RESOURCE_PATH)
#undef AMORIX_RESOURCE_PATH
    default:
      return nullptr;
  }
}

void SetColor(cairo_t* cr, Color c) {
  const Rgb8 rgb = Resolve(c);
  cairo_set_source_rgb(cr, rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0);
}

}  // namespace

int ScreenPixelsPerInch() {
  GdkScreen* screen = gdk_screen_get_default();
  const double dpi = screen ? gdk_screen_get_resolution(screen) : -1;
  return dpi > 0 ? static_cast<int>(std::lround(dpi)) : 96;
}

Pictures::~Pictures() {
  for (auto& [id, surface] : surfaces_) {
    if (surface) cairo_surface_destroy(surface);
  }
  for (auto& [id, pixbuf] : pixbufs_) {
    if (pixbuf) g_object_unref(pixbuf);
  }
}

GdkPixbuf* Pictures::Get(ResourceId id) {
  auto found = pixbufs_.find(id);
  if (found != pixbufs_.end()) return found->second;
  const char* path = ResourcePath(id);
  GdkPixbuf* pixbuf = path ? gdk_pixbuf_new_from_resource(path, nullptr) : nullptr;
  pixbufs_.emplace(id, pixbuf);
  return pixbuf;
}

cairo_surface_t* Pictures::Surface(ResourceId id) {
  auto found = surfaces_.find(id);
  if (found != surfaces_.end()) return found->second;
  // Decoded for this alone: a picture is only ever painted.
  const char* path = ResourcePath(id);
  GdkPixbuf* pixbuf = path ? gdk_pixbuf_new_from_resource(path, nullptr) : nullptr;
  cairo_surface_t* surface =
      pixbuf ? gdk_cairo_surface_create_from_pixbuf(pixbuf, 1, nullptr) : nullptr;
  if (pixbuf) g_object_unref(pixbuf);
  surfaces_.emplace(id, surface);
  return surface;
}

Fonts::~Fonts() {
  for (auto& [key, font] : fonts_) pango_font_description_free(font);
}

Fonts::Key Fonts::KeyOf(const FontSpec& font) {
  return {std::u16string(font.face), font.points, font.bold, font.italic, ScreenPixelsPerInch()};
}

const PangoFontDescription* Fonts::Get(const FontSpec& font) {
  Key key = KeyOf(font);
  auto found = fonts_.find(key);
  if (found != fonts_.end()) return found->second;
  PangoFontDescription* made = pango_font_description_new();
  pango_font_description_set_family(made, FreeFamily(font.face).c_str());
  pango_font_description_set_absolute_size(
      made, PixelsForPoints(font.points, std::get<4>(key)) * PANGO_SCALE);
  pango_font_description_set_weight(made, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(made, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  fonts_.emplace(std::move(key), made);
  return made;
}

Fonts::LineMetrics Fonts::Metrics(const FontSpec& font, PangoContext* context) {
  Key key = KeyOf(font);
  if (auto found = metrics_.find(key); found != metrics_.end()) return found->second;
  LineMetrics metrics;
  PangoFont* loaded = pango_context_load_font(context, Get(font));
  cairo_scaled_font_t* scaled =
      loaded ? pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(loaded)) : nullptr;
  FT_Face face = scaled ? cairo_ft_scaled_font_lock_face(scaled) : nullptr;
  if (face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && face->units_per_EM > 0) {
      const double scale =
          PixelsForPoints(font.points, std::get<4>(key)) / static_cast<double>(face->units_per_EM);
      metrics.ascent = static_cast<int>(std::lround(os2->usWinAscent * scale));
      metrics.height = metrics.ascent + static_cast<int>(std::lround(os2->usWinDescent * scale));
    }
    cairo_ft_scaled_font_unlock_face(scaled);
  }
  if (loaded) g_object_unref(loaded);
  metrics_.emplace(std::move(key), metrics);
  return metrics;
}

std::string Fonts::Resolved() {
  std::string lines;
  PangoContext* context = gdk_pango_context_get();
  std::u16string last;
  for (const auto& [key, description] : fonts_) {
    const std::u16string_view face = std::get<0>(key).empty() ? kDefaultFace : std::get<0>(key);
    if (face == last) continue;
    last = face;
    PangoFont* loaded = pango_context_load_font(context, description);
    PangoFontDescription* got = loaded ? pango_font_describe(loaded) : nullptr;
    const char* family = got ? pango_font_description_get_family(got) : nullptr;
    lines += "face_" + Utf8(face) + "=" + (family ? family : "") + "\n";
    if (got) pango_font_description_free(got);
    if (loaded) g_object_unref(loaded);
  }
  g_object_unref(context);
  return lines;
}

std::string Fonts::Css(const FontSpec& font) {
  std::string face = FreeFamily(font.face);
  std::erase(face, '"');
  return "font-family: \"" + face +
         "\"; font-size: " + std::to_string(PixelsForPoints(font.points, ScreenPixelsPerInch())) +
         "px; font-weight: " + (font.bold ? "bold" : "normal") +
         "; font-style: " + (font.italic ? "italic" : "normal") + ";";
}

void GtkCanvas::FillRect(const PixelRect& r, Color c) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  SetColor(cr_, c);
  cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
  cairo_fill(cr_);
}

void GtkCanvas::FrameRect(const PixelRect& r, Color c, int width) {
  const common::FrameBands frame = common::FrameRectBands(r, width);
  for (int i = 0; i < frame.count; ++i) FillRect(frame.bands[i], c);
}

PixelSize GtkCanvas::PictureSize(ResourceId picture) {
  cairo_surface_t* surface = pictures_.Surface(picture);
  if (!surface) return {};
  return {cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
}

void GtkCanvas::DrawPicture(ResourceId picture, const PixelRect& dest) {
  cairo_surface_t* surface = pictures_.Surface(picture);
  const PixelSize size = PictureSize(picture);
  if (!surface || dest.Width() <= 0 || dest.Height() <= 0) return;
  cairo_save(cr_);
  cairo_rectangle(cr_, dest.left, dest.top, dest.Width(), dest.Height());
  cairo_clip(cr_);
  cairo_translate(cr_, dest.left, dest.top);
  if (size.width != dest.Width() || size.height != dest.Height()) {
    cairo_scale(cr_, static_cast<double>(dest.Width()) / size.width,
                static_cast<double>(dest.Height()) / size.height);
  }
  cairo_set_source_surface(cr_, surface, 0, 0);
  // Its edge pixels reach to the rectangle's edge rather than fading into what lies beyond.
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void GtkCanvas::PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font,
                          Color color, Align align) {
  const bool overlaps = r.left < dirty_.right && dirty_.left < r.right && r.top < dirty_.bottom &&
                        dirty_.top < r.bottom;
  if (text.empty() || !overlaps || r.Width() <= 0 || r.Height() <= 0) return;
  PangoLayout* layout = pango_cairo_create_layout(cr_);
  const std::string utf8 = Utf8(text);
  pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
  pango_layout_set_font_description(layout, fonts_.Get(font));
  if (font.underline) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
  }
  pango_layout_set_width(layout, r.Width() * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
  pango_layout_set_alignment(layout,
                             align == Align::kCenter ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
  int top = r.top;
  if (const Fonts::LineMetrics metrics = fonts_.Metrics(font, pango_layout_get_context(layout));
      metrics.height > 0) {
    PangoRectangle line;
    pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(layout, 0), nullptr, &line);
    pango_layout_set_spacing(layout, (metrics.height - line.height) * PANGO_SCALE);
    top += metrics.ascent - pango_layout_get_baseline(layout) / PANGO_SCALE;
  }
  cairo_save(cr_);
  cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
  cairo_clip(cr_);
  SetColor(cr_, color);
  cairo_move_to(cr_, r.left, top);
  pango_cairo_show_layout(cr_, layout);
  cairo_restore(cr_);
  g_object_unref(layout);
}

}  // namespace amorix::gtk
