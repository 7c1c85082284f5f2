#pragma once
// What a window draws when the headless platform paints it. Tests read a Drawing to check what a
// window shows: its picture, the fills and frames of its controls, and each text with its font,
// colour and alignment. The records own their strings, so a Drawing outlives the paint.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace amorix::headless {

struct RecordedFont {
  std::u16string face;
  float points = 8.25f;
  bool bold = false, italic = false, underline = false;

  RecordedFont() = default;
  explicit RecordedFont(const FontSpec& font)
      : face(font.face),
        points(font.points),
        bold(font.bold),
        italic(font.italic),
        underline(font.underline) {}
  friend bool operator==(const RecordedFont&, const RecordedFont&) = default;
};

struct DrawOp {
  enum class Kind { kFill, kFrame, kPicture, kText };

  Kind kind = Kind::kFill;
  PixelRect rect;  // for a picture, where it is drawn
  Color color = 0;
  int width = 0;  // of a frame's line
  ResourceId picture = 0;
  std::u16string text;
  RecordedFont font;
  Align align = Align::kLeft;
};

struct Drawing {
  bool painted = false;  // false: the window could not be painted (gone, hidden, program ended)
  PixelRect dirty;
  std::vector<DrawOp> ops;

  // The first text drawn with exactly this content, or null.
  const DrawOp* FindText(std::u16string_view text) const;
  std::vector<const DrawOp*> OfKind(DrawOp::Kind kind) const;
};

class RecordingCanvas final : public Canvas {
 public:
  RecordingCanvas(const PixelRect& dirty, const std::map<ResourceId, PixelSize>& picture_sizes)
      : picture_sizes_(picture_sizes) {
    drawing_.dirty = dirty;
  }

  PixelRect Dirty() const override { return drawing_.dirty; }
  void FillRect(const PixelRect& r, Color c) override;
  void FrameRect(const PixelRect& r, Color c, int width) override;
  PixelSize PictureSize(ResourceId picture) override;
  void DrawPicture(ResourceId picture, const PixelRect& dest) override;
  void PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font, Color color,
                 Align align) override;

  Drawing Take() &&;

 private:
  const std::map<ResourceId, PixelSize>& picture_sizes_;
  Drawing drawing_;
};

}  // namespace amorix::headless
