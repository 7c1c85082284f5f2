#include "platform/headless/recording_canvas.h"

#include <utility>

namespace amorix::headless {

const DrawOp* Drawing::FindText(std::u16string_view text) const {
  for (const DrawOp& op : ops) {
    if (op.kind == DrawOp::Kind::kText && op.text == text) return &op;
  }
  return nullptr;
}

std::vector<const DrawOp*> Drawing::OfKind(DrawOp::Kind kind) const {
  std::vector<const DrawOp*> found;
  for (const DrawOp& op : ops) {
    if (op.kind == kind) found.push_back(&op);
  }
  return found;
}

void RecordingCanvas::FillRect(const PixelRect& r, Color c) {
  DrawOp op;
  op.kind = DrawOp::Kind::kFill;
  op.rect = r;
  op.color = c;
  drawing_.ops.push_back(std::move(op));
}

void RecordingCanvas::FrameRect(const PixelRect& r, Color c, int width) {
  DrawOp op;
  op.kind = DrawOp::Kind::kFrame;
  op.rect = r;
  op.color = c;
  op.width = width;
  drawing_.ops.push_back(std::move(op));
}

PixelSize RecordingCanvas::PictureSize(ResourceId picture) {
  const auto found = picture_sizes_.find(picture);
  return found == picture_sizes_.end() ? PixelSize{} : found->second;
}

void RecordingCanvas::DrawPicture(ResourceId picture, const PixelRect& dest) {
  DrawOp op;
  op.kind = DrawOp::Kind::kPicture;
  op.rect = dest;
  op.picture = picture;
  drawing_.ops.push_back(std::move(op));
}

void RecordingCanvas::PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font,
                                Color color, Align align) {
  DrawOp op;
  op.kind = DrawOp::Kind::kText;
  op.rect = r;
  op.color = color;
  op.text = text;
  op.font = RecordedFont(font);
  op.align = align;
  drawing_.ops.push_back(std::move(op));
}

Drawing RecordingCanvas::Take() && {
  drawing_.painted = true;
  return std::move(drawing_);
}

}  // namespace amorix::headless
